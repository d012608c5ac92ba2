// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_INPUT_UNIVERSE_H_
#define HOST_INPUT_UNIVERSE_H_

namespace vexohost {

// The channels of one DMX universe, 1..kUniverseSize: what a live universe
// or a recording carries, and how far the base address can reach.
inline constexpr int kUniverseSize = 512;

}  // namespace vexohost

#endif  // HOST_INPUT_UNIVERSE_H_
