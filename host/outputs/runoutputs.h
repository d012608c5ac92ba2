// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_OUTPUTS_RUNOUTPUTS_H_
#define HOST_OUTPUTS_RUNOUTPUTS_H_

#include <QElapsedTimer>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

#include "host/files/atomicfile.h"
#include "host/input/hostmessage.h"
#include "host/outputs/showwriter.h"
#include "host/recording/recorder.h"
#include "host/recording/recordingprogress.h"

namespace vexohost {

class PluginSession;

// What a run leaves behind: the snapshot of the display window when the
// input ends (--snapshot), the recording of the display (--record, or the
// main window's Record), with a progress bar on a terminal, and what the
// input sent as a show to play again (--save-show). A show is
// recorded on its own time, frame by frame as it plays; any other input on
// the wall clock (ClockRecording). Each file appears under its name only
// when complete; a failure or an interruption leaves an earlier file of that
// name as it was.
//
// Owns the snapshot's file from the start of the run, the recorder and the
// progress. The application opens and finishes it and records on the wall
// clock; the input control starts the recording of its show when the show
// starts and hands it each frame. GUI thread.
class RunOutputs {
public:
    // session: renders the display window; outlives this. Empty paths: no
    // snapshot, no recording, no show of what came in.
    RunOutputs(const PluginSession& session, QString snapshotPath, QString recordPath,
               QString savedShowPath = {});
    ~RunOutputs();

    // Makes the snapshot's file beside its final name, and the saved show's,
    // so a folder that cannot take them fails the run before the show rather
    // than after it. False, said on standard error, when one cannot be made.
    bool open();
    // An input channel's value as the input sent it, into the saved show, at
    // the time since open(). No file I/O, no allocation.
    void keep(const HostMessage& message) {
        if (m_savedShow && message.msg == vexo::kMsgChannelValue)
            m_savedShow->take(m_clock.elapsed(), message.arg1, message.arg2);
    }
    // A recording was asked for on the command line, to this file.
    bool wantsRecording() const { return !m_requestedPath.isEmpty(); }
    const QString& requestedRecordPath() const { return m_requestedPath; }
    // Starts a recording to path at the display window's size, of a show's
    // own time or of the wall clock. False, said on standard error (and in
    // *why), when it cannot start.
    enum class Timing { ShowTime, WallClock };
    bool startRecording(const QString& path, Timing timing, QString* why = nullptr);
    bool isRecording() const { return m_recorder != nullptr; }
    // Whether a recording was started in this run, even one that has since
    // failed or ended (the start of a run asks, to make --record's once).
    bool recordingStarted() const { return m_recordingStarted; }
    // The show is recorded as it plays: nothing may seek in it or replace it.
    bool recordsShowTime() const { return m_recorder && m_timing == Timing::ShowTime; }
    const QString& recordPath() const { return m_recordPath; }
    // What came in is saved as a show, to this file.
    bool savesShow() const { return m_savedShow != nullptr; }
    const QString& savedShowPath() const { return m_savedShowPath; }
    // Completes the recording before the run ends (the window's Stop).
    // False when it failed, said on standard error.
    bool stopRecording();

    // The display as it is now, shown for lengthMs; doneMs of totalMs played
    // (for the progress bar). A failed write ends the recording and the run's
    // status says so.
    void addFrame(int64_t lengthMs, int64_t doneMs, std::optional<int64_t> totalMs);
    // The user interrupted the run: the recording is discarded, the snapshot
    // not written. Says which file was not written.
    void interrupt();
    // Completes the recording and writes the snapshot. False when one of them
    // failed (said on standard error), or an earlier frame did.
    bool finish();

private:
    void writeSnapshot();

    const PluginSession& m_session;
    bool closeRecorder();

    const QString m_snapshotPath;
    const QString m_savedShowPath;
    std::unique_ptr<ShowWriter> m_savedShow;
    QElapsedTimer m_clock;
    const QString m_requestedPath;
    QString m_recordPath;  // of the recording that runs, or ran last
    Timing m_timing = Timing::ShowTime;
    AtomicFile m_snapshotFile;  // open from open() until the snapshot is written
    std::unique_ptr<Recorder> m_recorder;
    RecordingProgress m_progress;
    bool m_failed = false;
    bool m_interrupted = false;
    bool m_recordingStarted = false;
};

}  // namespace vexohost

#endif  // HOST_OUTPUTS_RUNOUTPUTS_H_
