// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_APP_RUNOUTPUTS_H_
#define HOST_APP_RUNOUTPUTS_H_

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>

#include "host/app/atomicfile.h"
#include "host/app/recorder.h"
#include "host/app/recordingprogress.h"

namespace vexohost {

class PluginSession;

// What a run leaves behind: the snapshot of the display window when the
// input ends (--snapshot) and the recording of a show as it plays (--record),
// with a progress bar on a terminal. Each file appears under its name only
// when complete; a failure or an interruption leaves an earlier file of that
// name as it was.
//
// Owns the snapshot's file from the start of the run, the recorder and the
// progress. The application opens and finishes it; the input control starts
// the recording when its show starts and hands it each frame. GUI thread.
class RunOutputs {
public:
    // session: renders the display window; outlives this. Empty paths: no
    // snapshot, no recording.
    RunOutputs(const PluginSession& session, QString snapshotPath, QString recordPath);

    // Makes the snapshot's file beside its final name, so a folder that cannot
    // take it fails the run before the show rather than after it. False, said
    // on standard error, when it cannot be made.
    bool open();
    // A recording was asked for.
    bool wantsRecording() const { return !m_recordPath.isEmpty(); }
    // Starts the recording at the display window's size. False, said on
    // standard error, when it cannot start.
    bool startRecording();
    bool isRecording() const { return m_recorder != nullptr; }
    const QString& recordPath() const { return m_recordPath; }

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
    const QString m_snapshotPath;
    const QString m_recordPath;
    AtomicFile m_snapshotFile;  // open from open() until the snapshot is written
    std::unique_ptr<Recorder> m_recorder;
    RecordingProgress m_progress;
    bool m_failed = false;
    bool m_interrupted = false;
};

}  // namespace vexohost

#endif  // HOST_APP_RUNOUTPUTS_H_
