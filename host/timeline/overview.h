// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_TIMELINE_OVERVIEW_H_
#define HOST_TIMELINE_OVERVIEW_H_

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "host/input/showline.h"
#include "host/timeline/timelineseries.h"

namespace vexohost {

// A show's nine channels over a part of it, in a fixed number of buckets per
// lane whatever its length: each bucket keeps the least, greatest and last
// value set in it, and whether one was a flicker. Built in one pass over the
// show's moments in time order (the check of a file does it, a stream as it
// plays): buckets start 1 ms long and, when a moment falls past the last,
// pairs of them merge into buckets twice as long, so memory stays at
// kBuckets per lane (295 KB in all) and taking a message allocates nothing.
//
// Any thread, one at a time: the zoomed part of a show is built on a worker.
class TimelineOverview : public TimelineSeries {
public:
    static constexpr int kBuckets = 4096;

    // The part [fromMs, toMs] of a show whose input channel firstChannel
    // arrives as lane 0: the values set before fromMs are the lanes' values
    // before the part, those after toMs are not kept.
    explicit TimelineOverview(int64_t fromMs = 0, std::optional<int64_t> toMs = std::nullopt,
                              int32_t firstChannel = 1);

    // A moment of the show, its channels as the input numbers them.
    void take(const ShowBatch& batch) {
        for (const HostMessage& message : batch.messages)
            if (message.msg == vexo::kMsgChannelValue) take(batch.timeMs, message.arg1, message.arg2);
    }
    void take(int64_t ms, int32_t channel, int32_t value) {
        const int64_t lane = int64_t(channel) - m_firstChannel;
        if (lane >= 0 && lane < kLanes) takeLane(ms, int(lane), value);
    }
    // Lane 0..8 is set to value at ms (never before the moment taken last).
    void takeLane(int64_t ms, int lane, int32_t value);
    // Where the part ends, when it is known (a file's last moment and a
    // second): the buckets then cover it evenly up to there.
    void setEndMs(int64_t endMs);

    int64_t fromMs() const { return m_fromMs; }
    // The last moment the overview covers so far.
    int64_t endMs() const { return m_endMs; }
    int32_t firstChannel() const { return m_firstChannel; }

    int64_t originMs() const override { return m_fromMs; }
    int64_t bucketMs() const override { return m_bucketMs; }
    int64_t firstIndex() const override { return 0; }
    int64_t endIndex() const override;
    const LaneBucket& bucket(int lane, int64_t index) const override {
        return m_buckets[size_t(lane) * kBuckets + size_t(index)];
    }
    int16_t valueBefore(int lane) const override { return m_before[size_t(lane)]; }

private:
    void widenTo(int64_t ms);

    const int64_t m_fromMs;
    const std::optional<int64_t> m_toMs;
    const int32_t m_firstChannel;
    int64_t m_bucketMs = 1;
    int64_t m_endMs;
    std::vector<LaneBucket> m_buckets;  // lane by lane
    std::array<int16_t, kLanes> m_before;
    std::array<LaneChanges, kLanes> m_changes{};
};

}  // namespace vexohost

#endif  // HOST_TIMELINE_OVERVIEW_H_
