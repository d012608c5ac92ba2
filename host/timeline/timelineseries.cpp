// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/timeline/timelineseries.h"

#include <algorithm>

namespace vexohost {

std::array<std::optional<int16_t>, kLanes> valuesAt(const TimelineSeries& series, int64_t ms) {
    std::array<std::optional<int16_t>, kLanes> values{};
    const int64_t offset = ms - series.originMs();
    const int64_t index = offset / series.bucketMs() - (offset % series.bucketMs() < 0 ? 1 : 0);
    if (index < series.firstIndex()) return values;
    const int64_t last = std::min(index, series.endIndex() - 1);
    for (int lane = 0; lane < kLanes; ++lane) {
        int16_t value = series.valueBefore(lane);
        for (int64_t i = last; i >= series.firstIndex(); --i) {
            const LaneBucket& b = series.bucket(lane, i);
            if (i == index && (b.flags & LaneBucket::kGap)) {
                value = TimelineSeries::kNoValue;
                break;
            }
            if (b.isSet()) {
                value = b.last;
                break;
            }
        }
        if (value != TimelineSeries::kNoValue) values[size_t(lane)] = value;
    }
    return values;
}

}  // namespace vexohost
