// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_TIMELINE_TIMELINELAYOUT_H_
#define HOST_TIMELINE_TIMELINELAYOUT_H_

#include <QFontMetrics>
#include <QRect>
#include <cstdint>

#include "host/timeline/lanebucket.h"

namespace vexohost {

// Where a timeline's parts stand in a rectangle: the channel labels on the
// left, nine lanes one above the other, the time axis below; and the time
// [startMs, endMs) drawn from the left of the lanes to their right.
class TimelineLayout {
public:
    // What the layout takes from the font: measured once per font, since
    // measuring text is far dearer than the rest of a layout.
    struct Margins {
        int labels = 0;     // the channel labels' column
        int right = 0;      // half a time label, centred under the last tick
        int axis = 0;       // the time axis's height
        int timeLabel = 0;  // the room a time label takes
        static Margins of(const QFontMetrics& metrics);
    };

    TimelineLayout(const QRect& rect, const QFontMetrics& metrics, int64_t startMs, int64_t endMs)
        : TimelineLayout(rect, Margins::of(metrics), startMs, endMs) {}
    TimelineLayout(const QRect& rect, const Margins& margins, int64_t startMs, int64_t endMs);

    // Where the lanes are drawn, all nine.
    const QRect& plot() const { return m_plot; }
    QRect lane(int lane) const;
    // The bottom strip with the times, and the room a time label takes.
    QRect axis() const;
    // The row the time labels stand in: the axis and the margins either side.
    QRect timeRow() const;
    int timeLabelWidth() const { return m_margins.timeLabel; }
    int64_t startMs() const { return m_startMs; }
    int64_t endMs() const { return m_endMs; }

    // The x at which time ms is drawn, and the time a pixel column starts at.
    double xOf(int64_t ms) const;
    int64_t msAt(double x) const;
    // The y of value 0..255 in a lane (0 at its bottom).
    double yOf(int lane, int value) const;

private:
    Margins m_margins;
    QRect m_plot;
    int m_laneHeight;
    int64_t m_startMs;
    int64_t m_endMs;
};

}  // namespace vexohost

#endif  // HOST_TIMELINE_TIMELINELAYOUT_H_
