// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_RECORDING_RECORDINGPROGRESS_H_
#define HOST_RECORDING_RECORDINGPROGRESS_H_

#include <cstdint>
#include <cstdio>

namespace vexohost {

// "recording [#####.....]  50%" on a terminal, redrawn in place; nothing when
// the stream is not a terminal, so logs stay clean.
class RecordingProgress {
public:
    // to: not owned; stays open while the progress is shown.
    explicit RecordingProgress(FILE* to = stderr);

    // doneMs of totalMs recorded.
    void show(int64_t doneMs, int64_t totalMs);
    // Ends the line of the bar, if one was drawn.
    void end();

private:
    FILE* const m_to;
    const bool m_terminal;
    bool m_drawn = false;
};

}  // namespace vexohost

#endif  // HOST_RECORDING_RECORDINGPROGRESS_H_
