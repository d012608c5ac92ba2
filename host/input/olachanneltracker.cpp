// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/input/olachanneltracker.h"

#include <algorithm>

namespace vexohost {

OlaChannelTracker::OlaChannelTracker() {
    m_changes.reserve(kChannels);
    reset();
}

void OlaChannelTracker::reset() {
    m_values.fill(-1);
    m_changes.clear();
}

const ChannelChanges& OlaChannelTracker::apply(const uint8_t* values, size_t count) {
    m_changes.clear();
    const size_t n = values ? std::min(count, size_t(kChannels)) : 0;
    for (size_t i = 0; i < n; ++i) {
        if (m_values[i] != values[i]) {
            m_values[i] = values[i];
            m_changes.emplace_back(int(i) + 1, int(values[i]));
        }
    }
    return m_changes;
}

int OlaChannelTracker::value(int channel) const {
    if (channel < 1 || channel > kChannels) return -1;
    return m_values[size_t(channel - 1)];
}

}  // namespace vexohost
