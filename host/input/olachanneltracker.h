// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_INPUT_OLACHANNELTRACKER_H_
#define HOST_INPUT_OLACHANNELTRACKER_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "host/input/universe.h"

namespace vexohost {

// (channel 1..512, value 0..255) pairs, in channel order.
using ChannelChanges = std::vector<std::pair<int, int>>;

// Turns a stream of DMX frames into the channels whose value changed. A
// channel nobody has heard of yet counts as changed, so the first frame
// reports every slot it carries, and a frame shorter than a universe reports
// only slots it carries. Nothing is allocated after construction.
class OlaChannelTracker {
public:
    static constexpr int kChannels = kUniverseSize;

    OlaChannelTracker();

    // Forget every value, as before the first frame.
    void reset();

    // Compares the frame (slot 0 is channel 1; slots past 512 are ignored)
    // with the values seen so far and records it. The returned list stays
    // valid until the next call.
    const ChannelChanges& apply(const uint8_t* values, size_t count);

    // The last value of a channel 1..512, or -1 if no frame carried it yet.
    int value(int channel) const;

private:
    std::array<int16_t, kChannels> m_values;
    ChannelChanges m_changes;
};

}  // namespace vexohost

#endif  // HOST_INPUT_OLACHANNELTRACKER_H_
