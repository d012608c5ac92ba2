// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_INPUT_DEMOSHOW_H_
#define HOST_INPUT_DEMOSHOW_H_

#include <vector>

#include "host/input/showline.h"

namespace vexohost {

// The built-in show of about 20 s on channels 1..9: every nimbo climbs through
// every glow level, a light chases across the nine and back, flames flicker
// on and off, and everything fades out again.
std::vector<ShowEvent> demoShow();

}  // namespace vexohost

#endif  // HOST_INPUT_DEMOSHOW_H_
