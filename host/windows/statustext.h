// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_WINDOWS_STATUSTEXT_H_
#define HOST_WINDOWS_STATUSTEXT_H_

#include <QString>
#include <cstdint>
#include <optional>

namespace vexohost {

class ShowPlayer;

// The texts of the main window's status line, one for each situation an
// input can be in. Numbers are written as people read them: times as M:SS
// (H:MM:SS from an hour on), counts with thousands separated by commas.

// "0:07", "4:30", "1:02:03"; a time is rounded down to its second.
QString clockTime(int64_t ms);
// A time as a user types it: "75", "1:15", "1:15.250", "1:02:03.5" (seconds
// to the millisecond); nothing when it is none.
std::optional<int64_t> parseClockTime(const QString& text);

// Where a show stands:
//   "demo 0:07 / 0:19", "show.txt 1:02 / 4:30 (looping)",
//   "show.txt 1:02 / 4:30 (paused)", "show.txt ended at 4:30".
// lengthMs: the length of the part played, when the source knows it.
struct ShowState {
    QString name;
    int64_t positionMs = 0;
    std::optional<int64_t> lengthMs;
    bool looping = false;
    bool paused = false;
    bool ended = false;
};
QString showStatus(const ShowState& state);
// Where a player stands, under name.
ShowState showState(const ShowPlayer& player, const QString& name);

// A live universe: "universe 1 from olad: 43.9 frames/s" (the frames of the
// last second); while the rate is not yet known, "universe 1 from olad"; and
// once no frame has come for three frame intervals (a second when no frame
// came in the last), "universe 1 from olad: last frame 0.4 s ago".
QString liveStatus(unsigned universe, std::optional<double> framesPerSecond, int64_t sinceFrameMs = 0);
// "universe 1: no data for 3 s"
QString noDataStatus(unsigned universe, int64_t quietMs);
// "standard input: 1,204 lines", "standard input ended after 1,204 lines".
QString standardInputStatus(int64_t lines, bool ended);
// The failures the host reported on standard error:
//   "1 failure: channel 3 = 120: run-time error 53 ...",
//   "3 failures, the last: ...".
QString failureStatus(int count, const QString& last);

}  // namespace vexohost

#endif  // HOST_WINDOWS_STATUSTEXT_H_
