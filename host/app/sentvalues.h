// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_APP_SENTVALUES_H_
#define HOST_APP_SENTVALUES_H_

#include <array>
#include <cstdint>
#include <optional>

#include "host/input/hostmessage.h"

namespace vexohost {

// The last value the host sent each of the plug-in's nine channels 1..9
// (after the base shift), whatever input it came from: what the display
// should show, and what the faders stand at. Taking a message is two stores.
class SentValues {
public:
    static constexpr int kChannels = 9;

    void take(const HostMessage& message) {
        if (message.msg != vexo::kMsgChannelValue || message.arg1 < 1 || message.arg1 > kChannels) return;
        const auto k = size_t(message.arg1 - 1);
        m_values[k] = message.arg2;
        m_set[k] = true;
        ++m_changes;
    }
    // Channel 1..9; nothing until the channel was sent.
    std::optional<int32_t> value(int channel) const {
        const auto k = size_t(channel - 1);
        return m_set[k] ? std::optional<int32_t>(m_values[k]) : std::nullopt;
    }
    // Grows with every message taken, so a window can tell whether to look again.
    uint64_t changes() const { return m_changes; }

private:
    std::array<int32_t, kChannels> m_values{};
    std::array<bool, kChannels> m_set{};
    uint64_t m_changes = 0;
};

}  // namespace vexohost

#endif  // HOST_APP_SENTVALUES_H_
