// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_TIMELINE_LIVETRACE_H_
#define HOST_TIMELINE_LIVETRACE_H_

#include <array>
#include <cstdint>
#include <vector>

#include "host/timeline/timelineseries.h"

namespace vexohost {

// The last ten minutes of a live input's nine channels, in buckets of 20 ms
// on the wall clock (a ring of 30,000 per lane, 2.2 MB in all, taken once):
// what each lane was set to, its flickers, and where no data came, which is
// a gap and not a held value. Taking a message is an index and a few stores.
// GUI thread.
class LiveTrace : public TimelineSeries {
public:
    static constexpr int64_t kBucketMs = 20;
    static constexpr int kBuckets = 30000;

    LiveTrace();

    // Lane 0..8 is set to value at ms, the trace's time (never before the
    // last time it was given).
    void take(int64_t ms, int lane, int32_t value);
    // The input is known to have had data up to dataUntilMs and nothing from
    // there to nowMs (equal while it receives): the buckets up to nowMs are
    // made, those after dataUntilMs gaps; gaps of no source when noSource
    // (olad unreachable, rather than no frames from a reachable one).
    void advance(int64_t nowMs, int64_t dataUntilMs, bool noSource = false);
    // Forgets everything: the trace starts anew at ms 0.
    void clear();

    // The trace's time now, as last taken or advanced.
    int64_t nowMs() const { return m_nowMs; }

    int64_t originMs() const override { return 0; }
    int64_t bucketMs() const override { return kBucketMs; }
    int64_t firstIndex() const override { return std::max<int64_t>(0, m_head + 1 - kBuckets); }
    int64_t endIndex() const override { return m_head + 1; }
    const LaneBucket& bucket(int lane, int64_t index) const override {
        return m_buckets[size_t(lane) * kBuckets + size_t(index % kBuckets)];
    }
    int16_t valueBefore(int lane) const override;

private:
    LaneBucket& at(int lane, int64_t index) {
        return m_buckets[size_t(lane) * kBuckets + size_t(index % kBuckets)];
    }
    void extendTo(int64_t index);

    std::vector<LaneBucket> m_buckets;  // lane by lane, bucket i at i % kBuckets
    int64_t m_head = -1;                // the last bucket made
    int64_t m_nowMs = 0;
    int64_t m_gapFrom = -1;                 // the first bucket of the gap being drawn, or -1
    uint8_t m_gapFlags = LaneBucket::kGap;  // of that gap
    std::array<LaneChanges, kLanes> m_changes{};
    // What each lane held when its bucket left the ring.
    std::array<int16_t, kLanes> m_dropped;
};

}  // namespace vexohost

#endif  // HOST_TIMELINE_LIVETRACE_H_
