// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_TIMELINE_TIMELINESERIES_H_
#define HOST_TIMELINE_TIMELINESERIES_H_

#include <array>
#include <cstdint>
#include <optional>

#include "host/timeline/lanebucket.h"

namespace vexohost {

// What a timeline is drawn from: for each lane, buckets of equal length in
// time, bucket i covering [originMs() + i * bucketMs(), + bucketMs()).
// Buckets firstIndex() up to endIndex() are known; each lane also has the
// value it held before the first of them. GUI thread.
class TimelineSeries {
public:
    static constexpr int16_t kNoValue = INT16_MIN;  // the lane had no value yet

    virtual ~TimelineSeries() = default;
    virtual int64_t originMs() const = 0;
    virtual int64_t bucketMs() const = 0;
    virtual int64_t firstIndex() const = 0;
    virtual int64_t endIndex() const = 0;
    // Lane 0..8, index firstIndex() <= index < endIndex().
    virtual const LaneBucket& bucket(int lane, int64_t index) const = 0;
    // The value lane held before bucket firstIndex(), or kNoValue.
    virtual int16_t valueBefore(int lane) const = 0;
};

// What each lane holds at ms, as the lanes draw it there: the last value of
// the bucket ms falls in, or of the last bucket before it that set one;
// nothing in a gap or before the lane's first value.
std::array<std::optional<int16_t>, kLanes> valuesAt(const TimelineSeries& series, int64_t ms);

}  // namespace vexohost

#endif  // HOST_TIMELINE_TIMELINESERIES_H_
