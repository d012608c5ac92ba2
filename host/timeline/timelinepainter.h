// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_TIMELINE_TIMELINEPAINTER_H_
#define HOST_TIMELINE_TIMELINEPAINTER_H_

#include <QColor>
#include <QFontMetrics>
#include <QRect>
#include <array>
#include <cstdint>
#include <optional>
#include <span>

#include "host/timeline/lanebucket.h"

class QPainter;

namespace vexohost {

class TimelineLayout;
class TimelineSeries;

// A value a lane was set to by hand (a fader) while a show played: the show's
// own lanes do not hold it.
struct TimelineMark {
    int64_t ms = 0;
    int lane = 0;
    int16_t value = 0;  // as laneValue() keeps it
};

// How a timeline looks: the nimbos' colours and the channels the lanes
// stand for, and the colours around them.
struct TimelineLook {
    std::array<QColor, kLanes> colours;
    int firstChannel = 1;  // the input channel of lane 0, for the labels
    QColor background = Qt::white;
    QColor text = Qt::black;
    QColor grid = QColor(0, 0, 0, 28);
    QColor playhead = QColor(0, 90, 200);
    QColor glitch = QColor(220, 0, 0);
    QColor outOfRange = QColor(240, 130, 0);
    int64_t axisZeroMs = 0;  // the time the axis counts from
    std::optional<int64_t> playheadMs;
    std::span<const TimelineMark> marks;  // in time order; owned by whoever draws
    std::optional<int> selectedLane;      // its label drawn bold, with a bar before it
};

// The default colours of the nine lanes, before the display's are known.
std::array<QColor, kLanes> defaultLaneColours();

// Draws the series over layout's time: for each lane, per pixel column, the
// area under the last value and the range of the values set there, faint
// lines at the glow levels' edges (10, 60, 110, 160, 210), a red mark over a
// flicker, an orange bar along the lane's top where a value above 255 was set
// and along its bottom where one below 0 was, hatching where no data came, a
// diamond in the text's colour at each value set by hand; the labels, the
// time axis in M:SS and the playhead. Vector drawing only, so that an SVG painter gets shapes.
// dirty, when given, is the part to draw (what a scroll uncovered); the rest
// is left as it is.
void paintTimeline(QPainter& painter, const TimelineLayout& layout, const TimelineSeries& series,
                   const TimelineLook& look, const QRect& dirty = QRect());

// "M:SS" (or "H:MM:SS") for an axis label.
QString formatAxisTime(int64_t ms);

// The room one time label takes on the axis, drawn with these metrics.
int axisLabelWidth(const QFontMetrics& metrics, const TimelineLayout& layout, const TimelineLook& look);

}  // namespace vexohost

#endif  // HOST_TIMELINE_TIMELINEPAINTER_H_
