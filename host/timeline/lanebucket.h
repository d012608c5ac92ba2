// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_TIMELINE_LANEBUCKET_H_
#define HOST_TIMELINE_LANEBUCKET_H_

#include <algorithm>
#include <cstdint>

namespace vexohost {

// The nine lanes of a timeline, one per nimbo: channel 1..9 as the plug-in
// numbers it, the input channel from the base address on.
inline constexpr int kLanes = 9;

// A value as a timeline keeps it: 0..255, with -1 for any negative value and
// 256 for any above 255 (both are marked out of range).
constexpr int16_t laneValue(int32_t value) {
    return int16_t(std::clamp<int32_t>(value, -1, 256));
}

// What one lane did in one stretch of time: the least, greatest and last of
// the values set in it, and what else is known of it. 8 bytes.
struct LaneBucket {
    static constexpr uint8_t kSet = 1;       // a value was set in it (else it holds the one before)
    static constexpr uint8_t kGlitch = 2;    // a value set in it was a flicker (LaneChanges)
    static constexpr uint8_t kGap = 4;       // no data came: nothing is known of the lane
    static constexpr uint8_t kNoSource = 8;  // with kGap: nothing to take data from (olad unreachable)

    int16_t min = 0;
    int16_t max = 0;
    int16_t last = 0;
    uint8_t flags = 0;

    bool isSet() const { return flags & kSet; }
    void take(int16_t value) {
        if (!isSet()) {
            min = max = value;
        } else {
            min = std::min(min, value);
            max = std::max(max, value);
        }
        last = value;
        flags |= kSet;
    }
    // This bucket and the one after it, as one.
    void merge(const LaneBucket& later) {
        if (later.isSet()) {
            min = isSet() ? std::min(min, later.min) : later.min;
            max = isSet() ? std::max(max, later.max) : later.max;
            last = later.last;
        }
        // Both gaps make a gap (of no source when both were); data in either half is data.
        const uint8_t gap = (flags & later.flags) & (kGap | kNoSource);
        flags = uint8_t(((flags | later.flags) & (kSet | kGlitch)) | gap);
    }
    friend bool operator==(const LaneBucket&, const LaneBucket&) = default;
};

// Finds flickers in a lane's changes: a value that lasts less than two
// frames of DMX at its full rate (44 frames/s) before the channel goes back
// to the value it had before, as a one-frame glitch of a console or a cable
// does. A fade, whose values each last a frame but never come back, is none.
class LaneChanges {
public:
    static constexpr int64_t kFlickerMs = 45;

    // The channel changes to value at ms. True when the value it leaves was
    // a flicker, set at flickerMs().
    bool change(int64_t ms, int16_t value) {
        const bool flicker = m_changes >= 2 && value == m_before && ms - m_since < kFlickerMs;
        m_before = m_value;
        m_flickerMs = m_since;
        m_value = value;
        m_since = ms;
        if (m_changes < 2) ++m_changes;
        return flicker;
    }
    // Whether value is the lane's value now (nothing is before the first value).
    bool holds(int16_t value) const { return m_changes > 0 && m_value == value; }
    int64_t flickerMs() const { return m_flickerMs; }
    void clear() { *this = LaneChanges(); }

private:
    int16_t m_value = 0;
    int16_t m_before = 0;
    int64_t m_since = 0;
    int64_t m_flickerMs = 0;
    int m_changes = 0;  // counted to 2
};

}  // namespace vexohost

#endif  // HOST_TIMELINE_LANEBUCKET_H_
