// SPDX-License-Identifier: GPL-3.0-or-later
#include "vexo/vexotypelib.h"

#include "platform/com/dispatchbuilder.h"

using namespace vexo;

template <>
const com::DispatchTable& com::dispatchTable<IVexoPluginHelper>() {
    static const auto table =
        makeDispatchTable<IVexoPluginHelper>(propertyGet("HostTitle", &IVexoPluginHelper::get_HostTitle));
    return table;
}

template <>
const com::DispatchTable& com::dispatchTable<IVexoModuleInfo>() {
    using I = IVexoModuleInfo;
    static const auto table = makeDispatchTable<I>(
        propertyGet("ModuleId", &I::get_ModuleId), propertyPut("ModuleId", &I::put_ModuleId),
        propertyGet("DisplayName", &I::get_DisplayName), propertyPut("DisplayName", &I::put_DisplayName),
        propertyGet("Description", &I::get_Description), propertyPut("Description", &I::put_Description),
        propertyGet("Author", &I::get_Author), propertyPut("Author", &I::put_Author),
        propertyGet("StartEnabled", &I::get_StartEnabled), propertyPut("StartEnabled", &I::put_StartEnabled),
        propertyGet("ShowInMenu", &I::get_ShowInMenu), propertyPut("ShowInMenu", &I::put_ShowInMenu),
        propertyGet("ModuleKind", &I::get_ModuleKind), propertyPut("ModuleKind", &I::put_ModuleKind),
        propertyGet("ToolWindowName", &I::get_ToolWindowName),
        propertyPut("ToolWindowName", &I::put_ToolWindowName), propertyGet("ToolWindow", &I::get_ToolWindow),
        propertyPut("ToolWindow", &I::putref_ToolWindow), propertyGet("DockPosition", &I::get_DockPosition),
        propertyPut("DockPosition", &I::put_DockPosition),
        propertyGet("UsesProjectData", &I::get_UsesProjectData),
        propertyPut("UsesProjectData", &I::put_UsesProjectData),
        propertyGet("ShowToolWindowAtStart", &I::get_ShowToolWindowAtStart),
        propertyPut("ShowToolWindowAtStart", &I::put_ShowToolWindowAtStart),
        propertyGet("SendsMessages", &I::get_SendsMessages),
        propertyPut("SendsMessages", &I::put_SendsMessages), propertyGet("Messages", &I::get_Messages));
    return table;
}

template <>
const com::DispatchTable& com::dispatchTable<IVexoPlugin>() {
    using I = IVexoPlugin;
    static const auto table = makeDispatchTable<I>(
        method("Disable", &I::Disable), method("Enable", &I::Enable), method("Configure", &I::Configure),
        method("Init", &I::Init), method("MessageHandle", &I::MessageHandle),
        propertyGet("PluginName", &I::get_PluginName), method("Term", &I::Term));
    return table;
}

template <>
const com::DispatchTable& com::dispatchTable<IVexoModule>() {
    static const auto table =
        makeDispatchTable<IVexoModule>(propertyGet("ModuleInfo", &IVexoModule::get_ModuleInfo));
    return table;
}

template <>
const com::DispatchTable& com::dispatchTable<IVexoTool>() {
    using I = IVexoTool;
    static const auto table = makeDispatchTable<I>(
        sub("ClearProjectData", &I::ClearProjectData), sub("LoadProjectData", &I::LoadProjectData),
        sub("SaveProjectData", &I::SaveProjectData), method("AskToSaveProjectData", &I::AskToSaveProjectData),
        propertyPut("ViewMode", &I::put_ViewMode));
    return table;
}
