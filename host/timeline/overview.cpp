// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/timeline/overview.h"

namespace vexohost {

TimelineOverview::TimelineOverview(int64_t fromMs, std::optional<int64_t> toMs, int32_t firstChannel)
    : m_fromMs(fromMs),
      m_toMs(toMs),
      m_firstChannel(firstChannel),
      m_endMs(fromMs),
      m_buckets(size_t(kLanes) * kBuckets) {
    m_before.fill(kNoValue);
}

int64_t TimelineOverview::endIndex() const {
    return std::min<int64_t>(kBuckets, (m_endMs - m_fromMs) / m_bucketMs + 1);
}

void TimelineOverview::takeLane(int64_t ms, int lane, int32_t value) {
    if (m_toMs && ms > *m_toMs) return;
    const int16_t v = laneValue(value);
    LaneChanges& changes = m_changes[size_t(lane)];
    // A value sent again (a recording sends whole frames) changes nothing.
    if (changes.holds(v)) return;
    const bool flicker = changes.change(ms, v);
    if (ms < m_fromMs) {
        m_before[size_t(lane)] = v;
        return;
    }
    widenTo(ms);
    LaneBucket* buckets = &m_buckets[size_t(lane) * kBuckets];
    buckets[(ms - m_fromMs) / m_bucketMs].take(v);
    if (flicker && changes.flickerMs() >= m_fromMs)
        buckets[(changes.flickerMs() - m_fromMs) / m_bucketMs].flags |= LaneBucket::kGlitch;
}

void TimelineOverview::setEndMs(int64_t endMs) {
    widenTo(endMs);
}

// Merges pairs of buckets until ms falls in the last.
void TimelineOverview::widenTo(int64_t ms) {
    if (ms > m_endMs) m_endMs = ms;
    while ((m_endMs - m_fromMs) / m_bucketMs >= kBuckets) {
        for (int lane = 0; lane < kLanes; ++lane) {
            LaneBucket* buckets = &m_buckets[size_t(lane) * kBuckets];
            for (int i = 0; i < kBuckets / 2; ++i) {
                LaneBucket merged = buckets[2 * i];
                merged.merge(buckets[2 * i + 1]);
                buckets[i] = merged;
            }
            std::fill(buckets + kBuckets / 2, buckets + kBuckets, LaneBucket());
        }
        m_bucketMs *= 2;
    }
}

}  // namespace vexohost
