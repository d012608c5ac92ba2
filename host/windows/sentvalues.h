// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_WINDOWS_SENTVALUES_H_
#define HOST_WINDOWS_SENTVALUES_H_

#include <array>
#include <cstdint>
#include <optional>

#include "host/input/hostmessage.h"

namespace vexohost {

// The glow level 0..6 the display gives a channel value: 0 unlit, 1 for
// 1..9 (and any negative value), then a level for every 50 up to 6 from 210
// to 255. -1 for 256 and over, which the display ignores: its nimbo stays as
// it was.
constexpr int glowLevelOf(int32_t value) {
    if (value == 0) return 0;
    // The first bound the value is below gives its level.
    constexpr int32_t kBelow[] = {10, 60, 110, 160, 210, 256};
    int level = 1;
    for (const int32_t bound : kBelow) {
        if (value < bound) return level;
        ++level;
    }
    return -1;
}

// The same, looked up for the values of a channel: one load on the message path.
inline constexpr auto kGlowLevels = [] {
    std::array<int8_t, 256> levels{};
    for (int value = 0; value < 256; ++value) levels[size_t(value)] = int8_t(glowLevelOf(value));
    return levels;
}();
constexpr int glowLevel(int32_t value) {
    if (uint32_t(value) < kGlowLevels.size()) return kGlowLevels[size_t(value)];
    return value < 0 ? 1 : -1;
}

// The last value the host sent each of the plug-in's nine channels 1..9
// (after the base shift), whatever input it came from, and the glow level
// the display shows for it: what the faders stand at and the readouts say.
// Taking a message is a few compares and stores.
class SentValues {
public:
    static constexpr int kChannels = 9;

    SentValues() = default;

    void take(const HostMessage& message) {
        if (message.msg != vexo::kMsgChannelValue || message.arg1 < 1 || message.arg1 > kChannels) return;
        const auto k = size_t(message.arg1 - 1);
        m_values[k] = message.arg2;
        m_set[k] = true;
        if (const int level = glowLevel(message.arg2); level >= 0) {
            m_levels[k] = int8_t(level);
            m_shownValues[k] = message.arg2;
        }
        ++m_changes;
    }
    // Channel 1..9; nothing until the channel was sent.
    std::optional<int32_t> value(int channel) const {
        const auto k = size_t(channel - 1);
        return m_set[k] ? std::optional<int32_t>(m_values[k]) : std::nullopt;
    }
    // The glow level the display shows on channel 1..9: that of the last
    // value it took (0 before any).
    int level(int channel) const { return m_levels[size_t(channel - 1)]; }
    // The last value of channel 1..9 the display took, which a display that
    // was loaded afresh needs to show what it showed (0 before any).
    int32_t shownValue(int channel) const { return m_shownValues[size_t(channel - 1)]; }
    // Nothing is known to be sent any more (another input starts; the
    // display was sent 0 for what was lit).
    void forget() { *this = SentValues{m_changes + 1}; }
    // Grows with every message taken, so a window can tell whether to look again.
    uint64_t changes() const { return m_changes; }

private:
    explicit SentValues(uint64_t changes) : m_changes(changes) {}

    std::array<int32_t, kChannels> m_values{};
    std::array<int32_t, kChannels> m_shownValues{};
    std::array<int8_t, kChannels> m_levels{};
    std::array<bool, kChannels> m_set{};
    uint64_t m_changes = 0;
};

}  // namespace vexohost

#endif  // HOST_WINDOWS_SENTVALUES_H_
