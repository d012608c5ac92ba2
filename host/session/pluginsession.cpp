// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/session/pluginsession.h"

#include <QFileInfo>
#include <QWidget>
#include <algorithm>

#include "host/session/hostclasses.h"
#include "platform/com/bstr.h"
#include "platform/com/classtable.h"
#include "platform/com/registry.h"
#include "platform/com/runtimeerror.h"
#include "platform/com/server.h"
#include "platform/com/variant.h"
#include "platform/forms/formwindow.h"

namespace vexohost {
namespace {

std::string readString(vexo::IVexoModuleInfo* info,
                       com::HRESULT (NIMBO_COM_CALL vexo::IVexoModuleInfo::*get)(com::BSTR*),
                       com::HRESULT* status) {
    com::Bstr text;
    if (com::SUCCEEDED(*status)) *status = (info->*get)(text.put());
    return text.toUtf8();
}

int32_t readNumber(vexo::IVexoModuleInfo* info,
                   com::HRESULT (NIMBO_COM_CALL vexo::IVexoModuleInfo::*get)(int32_t*),
                   com::HRESULT* status) {
    int32_t value = 0;
    if (com::SUCCEEDED(*status)) *status = (info->*get)(&value);
    return value;
}

// The ProgID of a class that the server at path registered, found through the
// registry entries DllRegisterServer wrote: CLSID\{...}\InprocServer32 = path.
std::optional<std::string> progIdServedBy(const std::string& path) {
    com::Registry& registry = com::registry();
    for (const std::string& clsid : registry.enumerate("CLSID")) {
        const std::string key = "CLSID\\" + clsid;
        const auto server = registry.value(key + "\\InprocServer32", "");
        if (!server || *server != path) continue;
        if (auto progId = registry.value(key + "\\ProgID", "")) return progId;
    }
    return std::nullopt;
}

}  // namespace

QString describeFailure(com::HRESULT status) {
    const com::ErrorInfo& info = com::errorInfo();
    const int number = com::runtimeErrorNumber(status);
    QString text = number ? QStringLiteral("run-time error %1").arg(number)
                          : QStringLiteral("status 0x%1").arg(uint32_t(status), 8, 16, QLatin1Char('0'));
    if (info.status == status && !info.description.empty())
        text += QStringLiteral(": ") + QString::fromStdString(info.description);
    return text;
}

PluginSession::~PluginSession() {
    close();
}

bool PluginSession::fail(const QString& what, com::HRESULT status) {
    m_error = status == com::S_OK ? what : what + QStringLiteral(": ") + describeFailure(status);
    return false;
}

bool PluginSession::open(const QString& path) {
    registerHostClasses();
    const QFileInfo file(path);
    if (!file.exists()) return fail(QStringLiteral("plug-in file not found: %1").arg(path), com::S_OK);
    m_path = file.canonicalFilePath();
    std::string error;
    m_version = readVersionInfo(m_path.toStdString(), &error);

    com::HRESULT status = com::guarded([&] {
        com::Server& server = com::loadServer(m_path.toStdString());
        com::check(server.registerServer());
        const auto progId = progIdServedBy(server.path());
        if (!progId) com::raise(429, "the plug-in registered no class");
        m_progId = QString::fromStdString(*progId);
    });
    if (com::FAILED(status)) {
        fail(QStringLiteral("registering %1 failed").arg(m_path), status);
        // The registry is the host's own file: what to do with a damaged one.
        if (com::runtimeErrorNumber(status) == com::kErrInvalidFileFormat)
            m_error += QStringLiteral(
                " (move that file away and the plug-in is registered afresh, "
                "or give another with --registry PATH)");
        return false;
    }

    status = com::createInstanceByProgId(m_progId.toStdString(), vexo::IVexoPlugin::iid, m_plugin.putVoid());
    if (com::FAILED(status)) return fail(QStringLiteral("creating %1 failed").arg(m_progId), status);

    status = com::CoCreateInstance(vexo::CLSID_VexoPluginHelper, nullptr, vexo::IVexoPluginHelper::iid,
                                   m_helper.putVoid());
    if (com::FAILED(status)) return fail(QStringLiteral("creating the plug-in helper failed"), status);

    com::Bstr title(kHostTitle);
    com::Bstr fileName(file.fileName().toStdString());
    vexo::IVexoPluginHelper* helper = m_helper.get();
    com::VARIANT_BOOL ok = com::VARIANT_FALSE;
    status = m_plugin->Init(title.get(), fileName.get(), &helper, &ok);
    if (com::FAILED(status)) return fail(QStringLiteral("Init failed"), status);
    return true;
}

bool PluginSession::readModuleInfo() {
    if (!m_plugin) return fail(QStringLiteral("no plug-in"), com::S_OK);
    const auto module = m_plugin.as<vexo::IVexoModule>();
    if (!module) return fail(QStringLiteral("the plug-in has no module information"), com::E_NOINTERFACE);
    com::ComPtr<vexo::IVexoModuleInfo> info;
    com::HRESULT status = module->get_ModuleInfo(info.put());
    if (com::FAILED(status)) return fail(QStringLiteral("ModuleInfo failed"), status);
    if (!info) return fail(QStringLiteral("ModuleInfo returned no object"), com::S_OK);

    using I = vexo::IVexoModuleInfo;
    ModuleDescription& m = m_module;
    m.moduleId = readString(info.get(), &I::get_ModuleId, &status);
    m.displayName = readString(info.get(), &I::get_DisplayName, &status);
    m.description = readString(info.get(), &I::get_Description, &status);
    m.author = readString(info.get(), &I::get_Author, &status);
    m.startEnabled = readNumber(info.get(), &I::get_StartEnabled, &status);
    m.showInMenu = readNumber(info.get(), &I::get_ShowInMenu, &status);
    m.moduleKind = readNumber(info.get(), &I::get_ModuleKind, &status);
    m.toolWindowName = readString(info.get(), &I::get_ToolWindowName, &status);
    com::ComPtr<com::IDispatch> window;
    if (com::SUCCEEDED(status)) status = info->get_ToolWindow(window.put());
    m.dockPosition = readNumber(info.get(), &I::get_DockPosition, &status);
    m.usesProjectData = readNumber(info.get(), &I::get_UsesProjectData, &status);
    m.showToolWindowAtStart = readNumber(info.get(), &I::get_ShowToolWindowAtStart, &status);
    m.sendsMessages = readNumber(info.get(), &I::get_SendsMessages, &status);
    if (com::FAILED(status)) return fail(QStringLiteral("reading the module information failed"), status);

    com::ComPtr<com::ICollection> messages;
    status = info->get_Messages(messages.put());
    if (com::FAILED(status) || !messages)
        return fail(QStringLiteral("reading the wanted messages failed"), status);
    status = com::guarded([&] {
        int32_t count = 0;
        com::check(messages->get_Count(&count));
        for (int32_t n = 1; n <= count; ++n) {
            com::Variant item;
            com::check(messages->Item(com::Variant::fromInt32(n).get(), item.put()));
            m.messages.push_back(item.toInt32());
        }
    });
    if (com::FAILED(status)) return fail(QStringLiteral("reading the wanted messages failed"), status);
    m_wantedSmall = 0;
    for (int32_t msg : m.messages)
        if (msg >= 0 && msg < 64) m_wantedSmall |= uint64_t(1) << msg;

    m_window = window.as<forms::IFormWindow>();
    return true;
}

bool PluginSession::wants(int32_t msg) const {
    if (msg >= 0 && msg < 64) return (m_wantedSmall >> msg) & 1;
    return std::find(m_module.messages.begin(), m_module.messages.end(), msg) != m_module.messages.end();
}

bool PluginSession::deliver(int32_t msg, int32_t arg1, int32_t arg2, com::HRESULT* status) {
    *status = com::S_OK;
    if (!m_plugin || !wants(msg)) return false;
    int32_t result = 0;
    *status = m_plugin->MessageHandle(&msg, &arg1, &arg2, &result);
    return true;
}

com::HRESULT PluginSession::configure() {
    if (!m_plugin) return com::E_POINTER;
    com::VARIANT_BOOL ok = com::VARIANT_FALSE;
    return m_plugin->Configure(&ok);
}

QWidget* PluginSession::toolWidget() const {
    QWidget* widget = nullptr;
    if (m_window) m_window->get_Window(&widget);
    return widget;
}

void PluginSession::close() {
    m_window = nullptr;
    m_helper = nullptr;
    m_plugin = nullptr;
}

}  // namespace vexohost
