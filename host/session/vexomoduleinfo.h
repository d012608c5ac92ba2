// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_SESSION_VEXOMODULEINFO_H_
#define HOST_SESSION_VEXOMODULEINFO_H_

#include <cstdint>

#include "platform/com/bstr.h"
#include "platform/com/collection.h"
#include "platform/com/comptr.h"
#include "platform/com/object.h"
#include "vexo/vexotypelib.h"

namespace vexohost {

// What a plug-in tells the host about itself: the host's creatable class
// VexoModuleInfo. A plug-in creates one in its ModuleInfo, fills it and hands
// it over; the host owns it from then on. Strings start empty, numbers at 0,
// the tool window at none, and Messages as an empty collection.
class VexoModuleInfo : public com::ComObject<com::Dual<vexo::IVexoModuleInfo>> {
public:
    VexoModuleInfo();

    com::HRESULT NIMBO_COM_CALL get_ModuleId(com::BSTR* result) override;
    com::HRESULT NIMBO_COM_CALL put_ModuleId(com::BSTR value) override;
    com::HRESULT NIMBO_COM_CALL get_DisplayName(com::BSTR* result) override;
    com::HRESULT NIMBO_COM_CALL put_DisplayName(com::BSTR value) override;
    com::HRESULT NIMBO_COM_CALL get_Description(com::BSTR* result) override;
    com::HRESULT NIMBO_COM_CALL put_Description(com::BSTR value) override;
    com::HRESULT NIMBO_COM_CALL get_Author(com::BSTR* result) override;
    com::HRESULT NIMBO_COM_CALL put_Author(com::BSTR value) override;
    com::HRESULT NIMBO_COM_CALL get_StartEnabled(int32_t* result) override;
    com::HRESULT NIMBO_COM_CALL put_StartEnabled(int32_t value) override;
    com::HRESULT NIMBO_COM_CALL get_ShowInMenu(int32_t* result) override;
    com::HRESULT NIMBO_COM_CALL put_ShowInMenu(int32_t value) override;
    com::HRESULT NIMBO_COM_CALL get_ModuleKind(int32_t* result) override;
    com::HRESULT NIMBO_COM_CALL put_ModuleKind(int32_t value) override;
    com::HRESULT NIMBO_COM_CALL get_ToolWindowName(com::BSTR* result) override;
    com::HRESULT NIMBO_COM_CALL put_ToolWindowName(com::BSTR value) override;
    // The window as it was set, AddRef'ed; null when none.
    com::HRESULT NIMBO_COM_CALL get_ToolWindow(com::IDispatch** result) override;
    // Keeps a counted reference to value (null clears it).
    com::HRESULT NIMBO_COM_CALL putref_ToolWindow(com::IDispatch* value) override;
    com::HRESULT NIMBO_COM_CALL get_DockPosition(int32_t* result) override;
    com::HRESULT NIMBO_COM_CALL put_DockPosition(int32_t value) override;
    com::HRESULT NIMBO_COM_CALL get_UsesProjectData(int32_t* result) override;
    com::HRESULT NIMBO_COM_CALL put_UsesProjectData(int32_t value) override;
    com::HRESULT NIMBO_COM_CALL get_ShowToolWindowAtStart(int32_t* result) override;
    com::HRESULT NIMBO_COM_CALL put_ShowToolWindowAtStart(int32_t value) override;
    com::HRESULT NIMBO_COM_CALL get_SendsMessages(int32_t* result) override;
    com::HRESULT NIMBO_COM_CALL put_SendsMessages(int32_t value) override;
    // The collection itself (not a copy), AddRef'ed: items added to it stay.
    com::HRESULT NIMBO_COM_CALL get_Messages(com::ICollection** result) override;

private:
    static com::HRESULT getString(const com::Bstr& field, com::BSTR* result);
    static com::HRESULT putString(com::Bstr& field, com::BSTR value);
    static com::HRESULT getNumber(int32_t field, int32_t* result);

    com::Bstr m_moduleId;
    com::Bstr m_displayName;
    com::Bstr m_description;
    com::Bstr m_author;
    int32_t m_startEnabled = 0;
    int32_t m_showInMenu = 0;
    int32_t m_moduleKind = 0;
    com::Bstr m_toolWindowName;
    com::ComPtr<com::IDispatch> m_toolWindow;
    int32_t m_dockPosition = 0;
    int32_t m_usesProjectData = 0;
    int32_t m_showToolWindowAtStart = 0;
    int32_t m_sendsMessages = 0;
    com::ComPtr<com::ICollection> m_messages;
};

}  // namespace vexohost

#endif  // HOST_SESSION_VEXOMODULEINFO_H_
