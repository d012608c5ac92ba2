// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_APP_EXITSTATUS_H_
#define HOST_APP_EXITSTATUS_H_

namespace vexohost {

// Exit statuses of vexo-host.
enum ExitStatus : int {
    kExitOk = 0,
    kExitFailure = 1,        // a write failed, or something else went wrong
    kExitUsage = 2,          // unknown option or bad value
    kExitPluginMissing = 3,  // plug-in file missing
    kExitPluginFailed = 4,   // registration, creation or Init failed
    kExitModuleInfo = 5,     // ModuleInfo failed (e.g. a missing picture file)
    kExitShowFile = 6,       // the show file is malformed or unreadable
};

}  // namespace vexohost

#endif  // HOST_APP_EXITSTATUS_H_
