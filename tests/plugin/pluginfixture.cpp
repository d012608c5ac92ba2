// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/plugin/pluginfixture.h"

#include <QDir>
#include <QFile>
#include <QWidget>
#include <algorithm>

#include "host/session/hostclasses.h"
#include "platform/com/classfactory.h"
#include "platform/com/registry.h"
#include "platform/forms/formwindow.h"
#include "platform/forms/picture.h"
#include "platform/forms/twips.h"
#include "ui/nimboformlayout.h"

namespace plugintest {
namespace {

const QString kBuiltPlugin = QStringLiteral(NIMBO_PLUGIN_FILE);
const QString kBuiltImages = QStringLiteral(NIMBO_IMAGES_DIR);

// The place in pixels of item index of a control array of the display
// window, as its layout puts it.
QRect placeOf(std::string_view name, int index) {
    for (const forms::ControlDesign& design : nimbo::nimboFormLayout().controls)
        if (design.name == name && design.index == index)
            return forms::twipsToPixels(design.left, design.top, design.width, design.height);
    ADD_FAILURE() << "the display window has no " << name << "(" << index << ")";
    return {};
}

}  // namespace

PluginCopy::PluginCopy(const QStringList& omit) {
    if (!m_dir.isValid()) throw std::runtime_error("no temporary folder");
    const QString plugin = m_dir.filePath("Nimbolux.so");
    if (!QFile::copy(kBuiltPlugin, plugin)) throw std::runtime_error("cannot copy the plug-in");
    QDir(m_dir.path()).mkdir("images");
    const QDir images(kBuiltImages);
    for (const QString& name : images.entryList({"*.gif"}, QDir::Files)) {
        if (omit.contains(name)) continue;
        if (!QFile::copy(images.filePath(name), imagesFolder() + '/' + name))
            throw std::runtime_error("cannot copy a picture");
    }
    m_path = plugin.toStdString();
    m_server = &com::loadServer(m_path);
}

com::ComPtr<vexo::IVexoPlugin> PluginCopy::create() {
    com::ComPtr<com::IClassFactory> factory;
    EXPECT_EQ(m_server->getClassObject(kPluginClsid, com::uuidof<com::IClassFactory>(), factory.putVoid()),
              com::S_OK);
    com::ComPtr<vexo::IVexoPlugin> plugin;
    if (factory) {
        EXPECT_EQ(factory->CreateInstance(nullptr, com::uuidof<vexo::IVexoPlugin>(), plugin.putVoid()),
                  com::S_OK);
    }
    return plugin;
}

void PluginCopy::restorePicture(const QString& name) {
    ASSERT_TRUE(QFile::copy(QDir(kBuiltImages).filePath(name), imagesFolder() + '/' + name));
}

void PluginTest::SetUp() {
    ASSERT_TRUE(m_registryDir.isValid());
    com::registry().setLocation(m_registryDir.filePath("registry.txt").toStdString());
    vexohost::registerHostClasses();
    forms::setTwipsPerPixel(forms::kDesignTwipsPerPixel);
}

void PluginTest::TearDown() {
    m_plugin = nullptr;
    com::clearErrorInfo();
}

void PluginTest::load(const QStringList& omit) {
    m_copy = std::make_unique<PluginCopy>(omit);
    m_plugin = m_copy->create();
    ASSERT_TRUE(m_plugin);
}

bool PluginTest::releaseAndCanUnload() {
    m_plugin = nullptr;
    return m_copy->server().canUnloadNow() == com::S_OK;
}

int32_t PluginTest::message(int32_t msg, int32_t channel, int32_t value, com::HRESULT* status) {
    int32_t result = 77;
    *status = m_plugin->MessageHandle(&msg, &channel, &value, &result);
    return result;
}

com::ComPtr<vexo::IVexoModuleInfo> moduleInfo(vexo::IVexoPlugin* plugin) {
    com::ComPtr<vexo::IVexoModule> module;
    EXPECT_EQ(plugin->QueryInterface(com::uuidof<vexo::IVexoModule>(), module.putVoid()), com::S_OK);
    com::ComPtr<vexo::IVexoModuleInfo> info;
    if (module) {
        EXPECT_EQ(module->get_ModuleInfo(info.put()), com::S_OK);
    }
    return info;
}

com::ComPtr<com::IDispatch> toolWindow(vexo::IVexoModuleInfo* info) {
    com::ComPtr<com::IDispatch> window;
    EXPECT_EQ(info->get_ToolWindow(window.put()), com::S_OK);
    return window;
}

static QWidget* widgetOf(com::IDispatch* window) {
    com::ComPtr<forms::IFormWindow> form;
    if (!window || com::FAILED(window->QueryInterface(com::uuidof<forms::IFormWindow>(), form.putVoid())))
        return nullptr;
    QWidget* widget = nullptr;
    form->get_Window(&widget);
    return widget;
}

QImage renderWindow(com::IDispatch* window) {
    QWidget* widget = widgetOf(window);
    if (!widget) return {};
    QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(1.0);
    image.fill(Qt::transparent);
    widget->render(&image);
    return image;
}

bool windowVisible(com::IDispatch* window) {
    QWidget* widget = widgetOf(window);
    return widget && widget->isVisible();
}

bool showsEnvelope(const QImage& render, int nimbo, const QString& folder, const QString& file,
                   std::string* why) {
    const com::ComPtr<forms::Picture> picture = forms::loadPicture(folder + '/' + file);
    const QImage& expected = picture->image();
    // The part of the envelope in front of which lies neither a neighbour's
    // envelope nor a basket.
    const QRect envelope = placeOf("Nimbo", nimbo);
    const int from = nimbo == 0 ? envelope.left() : placeOf("Nimbo", nimbo - 1).right() + 1;
    const int to = nimbo == 8 ? envelope.right() + 1 : placeOf("Nimbo", nimbo + 1).left();
    const int bottom = std::min(envelope.bottom() + 1, placeOf("korb", nimbo).top());
    for (int y = envelope.top(); y < bottom; ++y) {
        for (int x = from; x < to; ++x) {
            // Transparent pixels show the black window behind.
            const int px = x - envelope.left(), py = y - envelope.top();
            const QRgb want = px < expected.width() && py < expected.height() ? expected.pixel(px, py) : 0;
            const QRgb seen = render.pixel(x, y);
            if (qRed(want) != qRed(seen) || qGreen(want) != qGreen(seen) || qBlue(want) != qBlue(seen)) {
                *why = file.toStdString() + " differs at envelope pixel (" + std::to_string(px) + ", " +
                       std::to_string(py) + ") of nimbo " + std::to_string(nimbo);
                return false;
            }
        }
    }
    return true;
}

bool flameLit(const QImage& render, int nimbo) {
    const QRect cover = placeOf("fire", nimbo);
    for (int y = cover.top(); y <= cover.bottom(); ++y)
        for (int x = cover.left(); x <= cover.right(); ++x)
            if ((render.pixel(x, y) & 0xFFFFFF) != 0) return true;
    return false;
}

uint32_t refCount(com::IUnknown* object) {
    object->AddRef();
    return object->Release();
}

}  // namespace plugintest
