// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/session/vexomoduleinfo.h"

#include "platform/com/runtimeerror.h"

namespace vexohost {

VexoModuleInfo::VexoModuleInfo() : m_messages(com::createCollection()) {}

com::HRESULT VexoModuleInfo::getString(const com::Bstr& field, com::BSTR* result) {
    if (!result) return com::E_POINTER;
    return com::guarded([&] { *result = com::Bstr::copyOf(field.get()).detach(); });
}

com::HRESULT VexoModuleInfo::putString(com::Bstr& field, com::BSTR value) {
    return com::guarded([&] { field = com::Bstr::copyOf(value); });
}

com::HRESULT VexoModuleInfo::getNumber(int32_t field, int32_t* result) {
    if (!result) return com::E_POINTER;
    *result = field;
    return com::S_OK;
}

// clang-format off
com::HRESULT VexoModuleInfo::get_ModuleId(com::BSTR* result) { return getString(m_moduleId, result); }
com::HRESULT VexoModuleInfo::put_ModuleId(com::BSTR value) { return putString(m_moduleId, value); }
com::HRESULT VexoModuleInfo::get_DisplayName(com::BSTR* result) { return getString(m_displayName, result); }
com::HRESULT VexoModuleInfo::put_DisplayName(com::BSTR value) { return putString(m_displayName, value); }
com::HRESULT VexoModuleInfo::get_Description(com::BSTR* result) { return getString(m_description, result); }
com::HRESULT VexoModuleInfo::put_Description(com::BSTR value) { return putString(m_description, value); }
com::HRESULT VexoModuleInfo::get_Author(com::BSTR* result) { return getString(m_author, result); }
com::HRESULT VexoModuleInfo::put_Author(com::BSTR value) { return putString(m_author, value); }
com::HRESULT VexoModuleInfo::get_StartEnabled(int32_t* result) { return getNumber(m_startEnabled, result); }
com::HRESULT VexoModuleInfo::put_StartEnabled(int32_t value) { m_startEnabled = value; return com::S_OK; }
com::HRESULT VexoModuleInfo::get_ShowInMenu(int32_t* result) { return getNumber(m_showInMenu, result); }
com::HRESULT VexoModuleInfo::put_ShowInMenu(int32_t value) { m_showInMenu = value; return com::S_OK; }
com::HRESULT VexoModuleInfo::get_ModuleKind(int32_t* result) { return getNumber(m_moduleKind, result); }
com::HRESULT VexoModuleInfo::put_ModuleKind(int32_t value) { m_moduleKind = value; return com::S_OK; }
com::HRESULT VexoModuleInfo::get_ToolWindowName(com::BSTR* result) { return getString(m_toolWindowName, result); }
com::HRESULT VexoModuleInfo::put_ToolWindowName(com::BSTR value) { return putString(m_toolWindowName, value); }
com::HRESULT VexoModuleInfo::get_DockPosition(int32_t* result) { return getNumber(m_dockPosition, result); }
com::HRESULT VexoModuleInfo::put_DockPosition(int32_t value) { m_dockPosition = value; return com::S_OK; }
com::HRESULT VexoModuleInfo::get_UsesProjectData(int32_t* result) { return getNumber(m_usesProjectData, result); }
com::HRESULT VexoModuleInfo::put_UsesProjectData(int32_t value) { m_usesProjectData = value; return com::S_OK; }
com::HRESULT VexoModuleInfo::get_ShowToolWindowAtStart(int32_t* result) {
    return getNumber(m_showToolWindowAtStart, result);
}
com::HRESULT VexoModuleInfo::put_ShowToolWindowAtStart(int32_t value) {
    m_showToolWindowAtStart = value;
    return com::S_OK;
}
com::HRESULT VexoModuleInfo::get_SendsMessages(int32_t* result) { return getNumber(m_sendsMessages, result); }
com::HRESULT VexoModuleInfo::put_SendsMessages(int32_t value) { m_sendsMessages = value; return com::S_OK; }
// clang-format on

com::HRESULT VexoModuleInfo::get_ToolWindow(com::IDispatch** result) {
    if (!result) return com::E_POINTER;
    m_toolWindow.copyTo(result);
    return com::S_OK;
}

com::HRESULT VexoModuleInfo::putref_ToolWindow(com::IDispatch* value) {
    m_toolWindow = com::ComPtr<com::IDispatch>(value);
    return com::S_OK;
}

com::HRESULT VexoModuleInfo::get_Messages(com::ICollection** result) {
    if (!result) return com::E_POINTER;
    m_messages.copyTo(result);
    return com::S_OK;
}

}  // namespace vexohost
