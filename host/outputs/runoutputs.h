// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_OUTPUTS_RUNOUTPUTS_H_
#define HOST_OUTPUTS_RUNOUTPUTS_H_

#include <QElapsedTimer>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>

#include "host/files/atomicfile.h"
#include "host/outputs/csvwriter.h"
#include "host/outputs/showwriter.h"
#include "host/outputs/universeshowwriter.h"
#include "host/recording/recorder.h"
#include "host/recording/recordingprogress.h"

namespace vexohost {

class PluginSession;

// What a run leaves behind: the snapshot of the display window when the
// input ends (--snapshot), the recording of the display (--record, or the
// main window's Record), with a progress bar on a terminal, what the plug-in
// was sent as a show to play again (--save-show) and as the nine channels'
// values at each change (--export-csv). A show is recorded on its own time,
// frame by frame as it plays; any other input on the wall clock
// (ClockRecording). The saved show and the values take the times the input
// control gives them: a show's own, a live input's on the wall clock. Each
// file appears under its name only when complete; a failure or an
// interruption leaves an earlier file of that name as it was.
//
// Owns the snapshot's file from the start of the run, the recorder, the
// progress, the saved show and the values. The application opens and
// finishes it and records on the wall clock; the input control hands it
// every channel value the plug-in is sent, starts the recording of its show
// when the show starts and hands it each frame. GUI thread.
class RunOutputs {
public:
    struct Paths {
        QString snapshot, record, savedShow, csv;
        // The saved show is this live universe, whole, in ola_recorder's format.
        std::optional<unsigned> savedUniverse;
    };
    // session: renders the display window; outlives this. Empty paths: not written.
    RunOutputs(const PluginSession& session, Paths paths);
    ~RunOutputs();

    // Makes the files beside their final names, so a folder that cannot take
    // them fails the run before the show rather than after it; the values'
    // columns are named from input channel base on. False, said on standard
    // error, when one cannot be made.
    bool open(int base);
    // Milliseconds on the wall clock since open().
    int64_t wallMs() const { return m_clock.elapsed(); }
    // The time last taken (-1 before the first).
    int64_t lastMs() const { return m_lastMs; }
    // The plug-in was sent value for input channel inputChannel, which it
    // numbers channel, at ms (an earlier time than the last taken counts as
    // that). The saved show's moments less than a frame apart join when
    // liveTiming (the wall clock of a console's frames); a show's keep their
    // own. No file I/O, no allocation.
    void keep(int64_t ms, int64_t inputChannel, int32_t channel, int32_t value, bool liveTiming) {
        ms = std::max(ms, m_lastMs);
        m_lastMs = ms;
        if (m_savedShow) m_savedShow->take(ms, inputChannel, value, liveTiming);
        if (m_savedUniverse) m_savedUniverse->take(ms, inputChannel, value);
        if (m_csv && channel >= 1 && channel <= kLanes) m_csv->take(ms, channel - 1, value);
    }
    // A live universe's frame as it came, into a saved universe (before its
    // changes are kept).
    void keepFrame(int64_t ms, unsigned universe, const uint8_t* slots, unsigned size) {
        ms = std::max(ms, m_lastMs);
        m_lastMs = ms;
        if (m_savedUniverse) m_savedUniverse->takeFrame(ms, universe, slots, size);
    }
    // The values have a row at ms even where nothing changed (the state after a seek).
    void markMoment(int64_t ms) {
        m_lastMs = std::max(ms, m_lastMs);
        if (m_csv) m_csv->mark(m_lastMs);
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
    bool savesShow() const { return m_savedShow || m_savedUniverse; }
    const QString& savedShowPath() const { return m_savedShowPath; }
    // The values are exported, to this file.
    bool exportsValues() const { return m_csv != nullptr; }
    const QString& csvPath() const { return m_csvPath; }
    // Completes the recording before the run ends (the window's Stop).
    // False when it failed, said on standard error.
    bool stopRecording();

    // The display as it is now, shown for lengthMs; doneMs of totalMs played
    // (for the progress bar). A failed write ends the recording and the run's
    // status says so.
    void addFrame(int64_t lengthMs, int64_t doneMs, std::optional<int64_t> totalMs);
    // The user interrupted the run: the recording, the saved show and the
    // values are discarded, the snapshot not written. Says which file was
    // not written.
    void interrupt();
    // Completes the recording, the saved show and the values, and writes the
    // snapshot. False when one of them failed (said on standard error), or
    // an earlier frame did.
    bool finish();

private:
    void writeSnapshot();

    const PluginSession& m_session;
    bool closeRecorder();

    const QString m_snapshotPath;
    const QString m_savedShowPath;
    const QString m_csvPath;
    const std::optional<unsigned> m_savedUniverseNumber;
    std::unique_ptr<ShowWriter> m_savedShow;
    std::unique_ptr<UniverseShowWriter> m_savedUniverse;
    std::unique_ptr<CsvWriter> m_csv;
    QElapsedTimer m_clock;
    int64_t m_lastMs = -1;
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
