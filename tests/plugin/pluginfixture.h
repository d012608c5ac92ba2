// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESTS_PLUGIN_PLUGINFIXTURE_H_
#define TESTS_PLUGIN_PLUGINFIXTURE_H_

#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <string_view>

#include "nimbo/nimbotypelib.h"
#include "platform/com/comptr.h"
#include "platform/com/dispatch.h"
#include "platform/com/guid.h"
#include "platform/com/server.h"
#include "vexo/vexotypelib.h"

namespace plugintest {

// The plug-in's identity as hosts keep it in their registries. The tests
// state it for themselves rather than take it from the type library: a
// changed GUID is a fault, not something to follow.
constexpr com::CLSID kPluginClsid = com::makeGuid("2a3648be-24be-49a3-b4e4-cf2ea5a4ae92");
constexpr com::GUID kPluginLibid = com::makeGuid("6624892d-5e1a-48ce-83eb-409766e22054");

// The picture-file word of each nimbo's default colour, nimbo 0 first.
constexpr const char* kDefaultColorWords[9] = {"blau",   "gelb", "gruen", "hellblau", "lila",
                                               "orange", "rosa", "rot",   "weiss"};

// A private copy of the built Nimbolux.so with an images/ folder beside it,
// loaded by path. Each copy is a separate file, so it is loaded as a library
// of its own with fresh plug-in state: no window, no dialog, no helper. The
// copies stay loaded until the process ends (their windows are released by
// forms::shutdown() at the end of the test run).

class PluginCopy {
public:
    // Copies the plug-in and every picture except those named in omit.
    explicit PluginCopy(const QStringList& omit = {});

    const std::string& path() const { return m_path; }
    QString imagesFolder() const { return m_dir.filePath("images"); }
    com::Server& server() { return *m_server; }

    // A new plug-in object through DllGetClassObject and its factory.
    com::ComPtr<vexo::IVexoPlugin> create();
    // Puts a picture that was left out back into the folder.
    void restorePicture(const QString& name);

private:
    QTemporaryDir m_dir;
    std::string m_path;
    com::Server* m_server = nullptr;
};

// Every test starts with the host classes registered and the registry in a
// file of its own; the copy of the plug-in comes from the test.
class PluginTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Loads a copy (missing the given pictures) and creates one plug-in object.
    void load(const QStringList& omit = {});
    // Releases the object, then asks the server whether it could be unloaded:
    // true only when no window, dialog, object or lock of it is left.
    bool releaseAndCanUnload();

    // MessageHandle through the vtable; the status goes to *status.
    int32_t message(int32_t msg, int32_t channel, int32_t value, com::HRESULT* status);

    std::unique_ptr<PluginCopy> m_copy;
    com::ComPtr<vexo::IVexoPlugin> m_plugin;
    QTemporaryDir m_registryDir;
};

// The module information of plugin, or fails the test.
com::ComPtr<vexo::IVexoModuleInfo> moduleInfo(vexo::IVexoPlugin* plugin);
// The tool window of a module information object (null when none).
com::ComPtr<com::IDispatch> toolWindow(vexo::IVexoModuleInfo* info);
// The client area of a form object as it would be painted, at one pixel per
// design pixel. Loads nothing: the form must be loaded already.
QImage renderWindow(com::IDispatch* window);
// Whether the form object's window is visible.
bool windowVisible(com::IDispatch* window);

// Whether nimbo i of a rendered display window shows the envelope picture
// file (e.g. "blau100.gif") from folder, compared pixel for pixel on the
// part of the envelope that no neighbour or basket covers. *why says where
// it differs.
bool showsEnvelope(const QImage& render, int nimbo, const QString& folder, const QString& file,
                   std::string* why);
// Whether the burner flame of nimbo i shows (its cover hidden).
bool flameLit(const QImage& render, int nimbo);

// A counted reference's count, read by AddRef/Release.
uint32_t refCount(com::IUnknown* object);

}  // namespace plugintest

#endif  // TESTS_PLUGIN_PLUGINFIXTURE_H_
