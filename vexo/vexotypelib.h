// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef VEXO_VEXOTYPELIB_H_
#define VEXO_VEXOTYPELIB_H_

// The host's type library VexoTypeLib 2.2: the contract between the
// lighting-control host and its plug-ins.
//
// Who calls what:
// - The host loads a plug-in's in-process server, creates its class and calls
//   every member of IVexoPlugin and IVexoModule on the thread that created the
//   object (single-threaded apartment). Any member may be called any number of
//   times, in any order.
// - The plug-in creates VexoModuleInfo objects (a creatable host class) in
//   ModuleInfo and hands them to the host, which owns them from then on.
// - The tool window a plug-in reports in its module information implements
//   IVexoTool; the host calls it when it clears, loads or saves a project.
//
// Every interface is dual: its own members follow the seven IDispatch slots in
// the order declared here, and IDispatch answers the same members by name.
// Every member returns a status; a result comes back through the last
// (out-)parameter. Booleans are VARIANT_BOOL: -1 true, 0 false.

#include "platform/com/automation.h"
#include "platform/com/collection.h"
#include "platform/com/dispatch.h"

namespace vexo {

using com::BSTR;
using com::HRESULT;
using com::IDispatch;
using com::VARIANT_BOOL;

constexpr com::GUID LIBID_VexoTypeLib = com::makeGuid("3dfcfcbe-b319-489e-9ccb-71c7b2fc4ba1");
constexpr int kVexoTypeLibMajor = 2;
constexpr int kVexoTypeLibMinor = 2;

// The one message number that carries a channel value: arg1 = channel, arg2 = value.
constexpr int32_t kMsgChannelValue = 15;

// The helper object a host passes to Init. Plug-ins may keep it.
struct IVexoPluginHelper : IDispatch {
    static constexpr com::IID iid = com::makeGuid("84ef2d02-b2f3-48b1-b1aa-aecd67feaaf5");

    // The host application's title.
    virtual HRESULT NIMBO_COM_CALL get_HostTitle(BSTR* result) = 0;

protected:
    ~IVexoPluginHelper() = default;
};
constexpr com::CLSID CLSID_VexoPluginHelper = com::makeGuid("abfa0ca4-9bd3-4a03-94a2-38697f11f1d8");

// What a module tells the host about itself. The properties in declaration
// order; each is a get/put pair (the object reference a get/putref pair).
struct IVexoModuleInfo : IDispatch {
    static constexpr com::IID iid = com::makeGuid("2d10dbe1-7033-4eac-ab38-cc803e6d5c78");

    // 1. The module's identity, a GUID in registry form "{xxxxxxxx-...}".
    virtual HRESULT NIMBO_COM_CALL get_ModuleId(BSTR* result) = 0;
    virtual HRESULT NIMBO_COM_CALL put_ModuleId(BSTR value) = 0;
    // 2. The name the host shows for the module.
    virtual HRESULT NIMBO_COM_CALL get_DisplayName(BSTR* result) = 0;
    virtual HRESULT NIMBO_COM_CALL put_DisplayName(BSTR value) = 0;
    // 3. One line about what the module does.
    virtual HRESULT NIMBO_COM_CALL get_Description(BSTR* result) = 0;
    virtual HRESULT NIMBO_COM_CALL put_Description(BSTR value) = 0;
    // 4. Who made it.
    virtual HRESULT NIMBO_COM_CALL get_Author(BSTR* result) = 0;
    virtual HRESULT NIMBO_COM_CALL put_Author(BSTR value) = 0;
    // 5. Boolean: the module starts enabled. Host default 0.
    virtual HRESULT NIMBO_COM_CALL get_StartEnabled(int32_t* result) = 0;
    virtual HRESULT NIMBO_COM_CALL put_StartEnabled(int32_t value) = 0;
    // 6. Boolean: the host lists the module in its menu of tools. Host default 0.
    virtual HRESULT NIMBO_COM_CALL get_ShowInMenu(int32_t* result) = 0;
    virtual HRESULT NIMBO_COM_CALL put_ShowInMenu(int32_t value) = 0;
    // 7. Kind of module: 0 none, 1 output, 2 visualiser (a tool window that
    //    watches channel values). Host default 0.
    virtual HRESULT NIMBO_COM_CALL get_ModuleKind(int32_t* result) = 0;
    virtual HRESULT NIMBO_COM_CALL put_ModuleKind(int32_t value) = 0;
    // 8. The class name of the tool window.
    virtual HRESULT NIMBO_COM_CALL get_ToolWindowName(BSTR* result) = 0;
    virtual HRESULT NIMBO_COM_CALL put_ToolWindowName(BSTR value) = 0;
    // 9. The tool window itself (a form that implements IVexoTool), or none.
    virtual HRESULT NIMBO_COM_CALL get_ToolWindow(IDispatch** result) = 0;
    virtual HRESULT NIMBO_COM_CALL putref_ToolWindow(IDispatch* value) = 0;
    // 10. Where the host docks the tool window: 0 floating, 1 left, 2 right,
    //     3 bottom. Host default 0.
    virtual HRESULT NIMBO_COM_CALL get_DockPosition(int32_t* result) = 0;
    virtual HRESULT NIMBO_COM_CALL put_DockPosition(int32_t value) = 0;
    // 11. Boolean: the module keeps data in the host's project. Host default 0.
    virtual HRESULT NIMBO_COM_CALL get_UsesProjectData(int32_t* result) = 0;
    virtual HRESULT NIMBO_COM_CALL put_UsesProjectData(int32_t value) = 0;
    // 12. Boolean: the host shows the tool window when it starts. Host default 0.
    virtual HRESULT NIMBO_COM_CALL get_ShowToolWindowAtStart(int32_t* result) = 0;
    virtual HRESULT NIMBO_COM_CALL put_ShowToolWindowAtStart(int32_t value) = 0;
    // 13. Boolean: the module sends messages back to the host. Host default 0.
    virtual HRESULT NIMBO_COM_CALL get_SendsMessages(int32_t* result) = 0;
    virtual HRESULT NIMBO_COM_CALL put_SendsMessages(int32_t value) = 0;
    // The message numbers the module wants passed to MessageHandle, as a
    // collection of 32-bit integers; starts empty.
    virtual HRESULT NIMBO_COM_CALL get_Messages(com::ICollection** result) = 0;

protected:
    ~IVexoModuleInfo() = default;
};
constexpr com::CLSID CLSID_VexoModuleInfo = com::makeGuid("196489a3-7357-4b0c-8c99-025de23ef244");

struct IVexoPlugin : IDispatch {
    static constexpr com::IID iid = com::makeGuid("c5759d76-ec91-47a4-a5ab-ef40927b931b");

    virtual HRESULT NIMBO_COM_CALL Disable(VARIANT_BOOL* result) = 0;
    virtual HRESULT NIMBO_COM_CALL Enable(VARIANT_BOOL* result) = 0;
    virtual HRESULT NIMBO_COM_CALL Configure(VARIANT_BOOL* result) = 0;
    // The helper is passed by reference; the plug-in may keep a counted reference.
    virtual HRESULT NIMBO_COM_CALL Init(BSTR callingAppTitle, BSTR myFilename,
                                        IVexoPluginHelper** vexoPluginHelper, VARIANT_BOOL* result) = 0;
    // All three arguments by reference; called for every host message.
    virtual HRESULT NIMBO_COM_CALL MessageHandle(int32_t* msg, int32_t* arg1, int32_t* arg2,
                                                 int32_t* result) = 0;
    virtual HRESULT NIMBO_COM_CALL get_PluginName(BSTR* result) = 0;
    virtual HRESULT NIMBO_COM_CALL Term(VARIANT_BOOL* result) = 0;

protected:
    ~IVexoPlugin() = default;
};

struct IVexoModule : IDispatch {
    static constexpr com::IID iid = com::makeGuid("e0d1099f-687e-43dc-a6fa-fc7804bfa91a");

    // A new module-information object; the caller owns the returned reference.
    virtual HRESULT NIMBO_COM_CALL get_ModuleInfo(IVexoModuleInfo** result) = 0;

protected:
    ~IVexoModule() = default;
};

struct IVexoTool : IDispatch {
    static constexpr com::IID iid = com::makeGuid("b4deedc5-2cd7-4e9b-a07f-1fc50a9d287a");

    virtual HRESULT NIMBO_COM_CALL ClearProjectData() = 0;
    virtual HRESULT NIMBO_COM_CALL LoadProjectData() = 0;
    virtual HRESULT NIMBO_COM_CALL SaveProjectData() = 0;
    virtual HRESULT NIMBO_COM_CALL AskToSaveProjectData(VARIANT_BOOL* result) = 0;
    virtual HRESULT NIMBO_COM_CALL put_ViewMode(int32_t rhs) = 0;

protected:
    ~IVexoTool() = default;
};

}  // namespace vexo

// Late binding for every interface of the type library (vexotypelib.cpp).
template <>
const com::DispatchTable& com::dispatchTable<vexo::IVexoPluginHelper>();
template <>
const com::DispatchTable& com::dispatchTable<vexo::IVexoModuleInfo>();
template <>
const com::DispatchTable& com::dispatchTable<vexo::IVexoPlugin>();
template <>
const com::DispatchTable& com::dispatchTable<vexo::IVexoModule>();
template <>
const com::DispatchTable& com::dispatchTable<vexo::IVexoTool>();

#endif  // VEXO_VEXOTYPELIB_H_
