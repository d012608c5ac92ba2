// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_OUTPUTS_TIMELINEPLOT_H_
#define HOST_OUTPUTS_TIMELINEPLOT_H_

#include <QSize>
#include <QString>
#include <cstdint>

namespace vexohost {

class AtomicFile;
class TimelineSeries;
struct TimelineLook;

// Writes the timeline of [startMs, endMs] as a picture of size pixels to
// file, opened and not yet committed: as shapes through Qt SVG's generator
// for a .svg, else through Qt's PNG writer; and commits it. False with
// *error set when it cannot be written.
bool writeTimelinePlot(AtomicFile& file, QSize size, const TimelineSeries& series, int64_t startMs,
                       int64_t endMs, const TimelineLook& look, QString* error);

// Whether path names a picture the plot can be (.png or .svg).
bool isTimelinePlotPath(const QString& path);

}  // namespace vexohost

#endif  // HOST_OUTPUTS_TIMELINEPLOT_H_
