// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_SESSION_HOSTCLASSES_H_
#define HOST_SESSION_HOSTCLASSES_H_

#include <string_view>

namespace vexohost {

// The host's title: told to plug-ins (Init, the helper's HostTitle) and shown
// on the host's own windows.
constexpr char kHostTitle[] = "vexo-host";

constexpr std::string_view kModuleInfoProgId = "VexoTypeLib.VexoModuleInfo";
constexpr std::string_view kPluginHelperProgId = "VexoTypeLib.VexoPluginHelper";

// Puts the factories of the host's creatable classes, VexoModuleInfo and
// VexoPluginHelper, into the process class table, where plug-ins create them
// (CoCreateInstance by CLSID, or by ProgID). Calling it again registers
// fresh factories in their place; the outcome is the same.
void registerHostClasses();

}  // namespace vexohost

#endif  // HOST_SESSION_HOSTCLASSES_H_
