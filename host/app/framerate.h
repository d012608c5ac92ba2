// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_APP_FRAMERATE_H_
#define HOST_APP_FRAMERATE_H_

#include <array>
#include <cstdint>
#include <optional>

namespace vexohost {

// Frames per second of a live source: the frames counted over the last
// second, from a running frame count sampled now and then (four times a
// second, say) on any clock. A source that stops shows 0 a second later,
// not a rate that decays.
class FrameRate {
public:
    static constexpr int64_t kWindowMs = 1000;

    void reset() { m_count = 0; }
    // frames: the source's running count; nowMs: a clock that only goes forward.
    void sample(int64_t nowMs, uint64_t frames) {
        m_samples[m_next] = {nowMs, frames};
        m_next = (m_next + 1) % m_samples.size();
        if (m_count < m_samples.size()) ++m_count;
    }
    // Unknown until samples about a second apart are in.
    std::optional<double> perSecond() const {
        if (m_count < 2) return std::nullopt;
        const Sample& last = at(0);
        // The oldest sample at most a second ago, give or take a timer's lateness.
        for (size_t age = m_count - 1; age > 0; --age) {
            const Sample& first = at(age);
            const int64_t span = last.ms - first.ms;
            if (span > kWindowMs + kLateMs) continue;
            if (span < kWindowMs - kLateMs) return std::nullopt;
            return double(last.frames - first.frames) * 1000.0 / double(span);
        }
        return std::nullopt;
    }

private:
    static constexpr int64_t kLateMs = 100;
    struct Sample {
        int64_t ms = 0;
        uint64_t frames = 0;
    };
    // The sample `age` samples before the last.
    const Sample& at(size_t age) const {
        return m_samples[(m_next + m_samples.size() - 1 - age) % m_samples.size()];
    }

    std::array<Sample, 16> m_samples{};
    size_t m_next = 0;
    size_t m_count = 0;
};

}  // namespace vexohost

#endif  // HOST_APP_FRAMERATE_H_
