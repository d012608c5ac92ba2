// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_INPUT_CHANNELSTATE_H_
#define HOST_INPUT_CHANNELSTATE_H_

#include <bitset>
#include <cstdint>
#include <memory>

#include "host/input/hostmessage.h"

namespace vexohost {

// The last value a show gave each channel 0..65535, for starting a show
// part-way with the state it has reached: applying it sends one message 15
// per channel that was set, in channel order. Channels outside that range
// and other messages cannot light a nimbo and are not kept. About 264 KB, taken
// when first used.
class ChannelState {
public:
    static constexpr int32_t kChannels = 65536;

    void clear();
    void take(const HostMessage& message);
    bool empty() const { return !m_set || m_set->none(); }

    // f(HostMessage) for each channel that was set, in channel order.
    template <class F>
    void forEach(F&& f) const {
        if (!m_set) return;
        for (int32_t channel = 0; channel < kChannels; ++channel)
            if (m_set->test(size_t(channel))) f(HostMessage::channelValue(channel, m_values[channel]));
    }

private:
    std::unique_ptr<int32_t[]> m_values;
    std::unique_ptr<std::bitset<kChannels>> m_set;
};

}  // namespace vexohost

#endif  // HOST_INPUT_CHANNELSTATE_H_
