// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_SESSION_MODULEINFOTEXT_H_
#define HOST_SESSION_MODULEINFOTEXT_H_

#include <QStringList>

namespace vexohost {

class PluginSession;

// What the host prints about a loaded plug-in, one "label        value" line
// each: its file and ProgID, the module information and the version block.
// `everything` adds every property and every version entry (`vexo-host info`);
// otherwise only what people look at first.
QStringList moduleInfoText(const PluginSession& session, bool everything);

}  // namespace vexohost

#endif  // HOST_SESSION_MODULEINFOTEXT_H_
