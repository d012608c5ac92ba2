// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/timeline/livetrace.h"

namespace vexohost {

LiveTrace::LiveTrace() : m_buckets(size_t(kLanes) * kBuckets) {
    m_dropped.fill(kNoValue);
}

void LiveTrace::clear() {
    std::fill(m_buckets.begin(), m_buckets.end(), LaneBucket());
    m_head = -1;
    m_nowMs = 0;
    m_gapFrom = -1;
    m_changes = {};
    m_dropped.fill(kNoValue);
}

// The ring moves on to bucket index: the buckets that leave it hand their
// last value on, oldest first; the new ones start empty (holding the value
// before), or as gaps while no data comes.
void LiveTrace::extendTo(int64_t index) {
    if (index <= m_head) return;
    const uint8_t gap = m_gapFrom >= 0 ? m_gapFlags : 0;
    const int64_t leaving = std::min(m_head, index - kBuckets);  // the last bucket that leaves
    const int64_t fresh = std::max(m_head + 1, index + 1 - kBuckets);
    for (int lane = 0; lane < kLanes; ++lane) {
        for (int64_t i = firstIndex(); i <= leaving; ++i)
            if (const LaneBucket& old = at(lane, i); old.isSet()) m_dropped[size_t(lane)] = old.last;
        for (int64_t i = fresh; i <= index; ++i) at(lane, i) = LaneBucket{0, 0, 0, gap};
    }
    m_head = index;
}

void LiveTrace::take(int64_t ms, int lane, int32_t value) {
    if (ms > m_nowMs) m_nowMs = ms;
    // A message is data: whatever gap was being drawn ends at it.
    const int64_t index = m_nowMs / kBucketMs;
    if (m_gapFrom >= 0) {
        extendTo(index - 1);
        m_gapFrom = -1;
        extendTo(index);
        for (int other = 0; other < kLanes; ++other)
            at(other, index).flags &= uint8_t(~(LaneBucket::kGap | LaneBucket::kNoSource));
    }
    extendTo(index);
    const int16_t v = laneValue(value);
    LaneChanges& changes = m_changes[size_t(lane)];
    LaneBucket& b = at(lane, index);
    if (changes.holds(v)) return;
    const bool flicker = changes.change(m_nowMs, v);
    b.take(v);
    if (const int64_t at = changes.flickerMs() / kBucketMs; flicker && at >= firstIndex())
        this->at(lane, at).flags |= LaneBucket::kGlitch;
}

void LiveTrace::advance(int64_t nowMs, int64_t dataUntilMs, bool noSource) {
    if (nowMs > m_nowMs) m_nowMs = nowMs;
    const int64_t last = m_nowMs / kBucketMs;
    if (dataUntilMs >= m_nowMs) {
        m_gapFrom = -1;
        return extendTo(last);
    }
    extendTo(last);
    // No data since dataUntilMs: the buckets after it are gaps, also those
    // made as held before the silence was known. Marked once (again when its
    // kind changes, from there on); the ring makes the later ones as gaps.
    const uint8_t flags = noSource ? uint8_t(LaneBucket::kGap | LaneBucket::kNoSource) : LaneBucket::kGap;
    int64_t gapFrom = std::max(dataUntilMs / kBucketMs + 1, firstIndex());
    if (m_gapFrom >= 0 && m_gapFrom <= gapFrom) {
        if (flags == m_gapFlags) return;
        gapFrom = last;  // the same silence, of another kind from now on
    }
    for (int64_t i = gapFrom; i <= last; ++i)
        for (int lane = 0; lane < kLanes; ++lane)
            if (LaneBucket& b = at(lane, i); !b.isSet())
                b.flags = uint8_t((b.flags & ~(LaneBucket::kGap | LaneBucket::kNoSource)) | flags);
    if (m_gapFrom < 0 || gapFrom < m_gapFrom) m_gapFrom = gapFrom;
    m_gapFlags = flags;
}

int16_t LiveTrace::valueBefore(int lane) const {
    return m_dropped[size_t(lane)];
}

}  // namespace vexohost
