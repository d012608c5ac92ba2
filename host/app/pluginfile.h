// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_APP_PLUGINFILE_H_
#define HOST_APP_PLUGINFILE_H_

#include <QString>

#include "host/app/hostoptions.h"

namespace vexohost {

// The plug-in file a run loads: --plugin, or the one installed with the
// host (beside it in a build, in its library folder once installed).
QString pluginFile(const HostOptions& options);

// --version: "vexo-host VERSION", the plug-in's version from its version
// block (without loading it) and the licence; kExitPluginMissing when the
// plug-in is not there.
int printVersions(const HostOptions& options);

}  // namespace vexohost

#endif  // HOST_APP_PLUGINFILE_H_
