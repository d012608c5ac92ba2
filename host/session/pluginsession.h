// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_SESSION_PLUGINSESSION_H_
#define HOST_SESSION_PLUGINSESSION_H_

#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/session/versioninfo.h"
#include "platform/com/comptr.h"
#include "vexo/vexotypelib.h"

class QWidget;

namespace forms {
struct IFormWindow;
}

namespace vexohost {

// What a plug-in told the host about itself in its module information.
struct ModuleDescription {
    std::string moduleId, displayName, description, author, toolWindowName;
    int32_t startEnabled = 0, showInMenu = 0, moduleKind = 0, dockPosition = 0;
    int32_t usesProjectData = 0, showToolWindowAtStart = 0, sendsMessages = 0;
    std::vector<int32_t> messages;  // the message numbers it wants, in order
};

// One loaded plug-in, as the host drives it: registered into the host's
// registry, created by its ProgID, given the host's helper, asked for its
// module information. Every failure is reported as one line of text.
class PluginSession {
public:
    PluginSession() = default;
    ~PluginSession();
    PluginSession(const PluginSession&) = delete;
    PluginSession& operator=(const PluginSession&) = delete;

    // Registers the server at path (DllRegisterServer), creates the class it
    // registered (by its ProgID), and calls Init. false with error() on failure.
    bool open(const QString& path);
    // Calls ModuleInfo and reads every property. false with error() on failure.
    bool readModuleInfo();

    // Passes one host message when the plug-in wants its number; true when it
    // was passed. *status receives the call's status (S_OK when not passed).
    bool deliver(int32_t msg, int32_t arg1, int32_t arg2, com::HRESULT* status);
    bool wants(int32_t msg) const;

    com::HRESULT configure();

    const ModuleDescription& module() const { return m_module; }
    const std::optional<VersionInfo>& versionInfo() const { return m_version; }
    const QString& pluginPath() const { return m_path; }
    const QString& progId() const { return m_progId; }
    const QString& error() const { return m_error; }

    // The plug-in's tool window, if its module information named one.
    forms::IFormWindow* toolWindow() const { return m_window.get(); }
    // Its top-level widget (owned by the window), or null.
    QWidget* toolWidget() const;

    // Lets go of the plug-in and its window (before the application goes away).
    void close();

private:
    bool fail(const QString& what, com::HRESULT status);

    QString m_path;
    QString m_progId;
    QString m_error;
    com::ComPtr<vexo::IVexoPlugin> m_plugin;
    com::ComPtr<vexo::IVexoPluginHelper> m_helper;
    com::ComPtr<forms::IFormWindow> m_window;
    ModuleDescription m_module;
    std::optional<VersionInfo> m_version;
    // Wanted message numbers 0..63 as bits, for the test on every message.
    uint64_t m_wantedSmall = 0;
};

// "run-time error 53: File not found: ..." or "status 0x80004002" with the
// thread's error info, for a failed call.
QString describeFailure(com::HRESULT status);

}  // namespace vexohost

#endif  // HOST_SESSION_PLUGINSESSION_H_
