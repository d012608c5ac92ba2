// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_APP_OPTIONCHECKS_H_
#define HOST_APP_OPTIONCHECKS_H_

#include <QString>

#include "host/app/hostoptions.h"

namespace vexohost {

// The checks between options, once each option was read on its own: one
// input, what needs a show, a part that ends after it starts, an option
// that would do nothing without another, a recording that ends, and no two
// files named alike (through links too), since one
// written over the other would lose it. inputs: how many input options were
// given. The first fault as one line; empty when the options go together.
QString checkOptionCombinations(const HostOptions& options, int inputs);

}  // namespace vexohost

#endif  // HOST_APP_OPTIONCHECKS_H_
