// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/input/channelstate.h"

namespace vexohost {

void ChannelState::clear() {
    if (m_set) m_set->reset();
}

void ChannelState::take(const HostMessage& message) {
    if (message.msg != vexo::kMsgChannelValue || message.arg1 < 0 || message.arg1 >= kChannels) return;
    if (!m_set) {
        m_values = std::make_unique<int32_t[]>(kChannels);
        m_set = std::make_unique<std::bitset<kChannels>>();
    }
    m_values[message.arg1] = message.arg2;
    m_set->set(size_t(message.arg1));
}

}  // namespace vexohost
