// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_WINDOWS_CHANNELTIMELINE_H_
#define HOST_WINDOWS_CHANNELTIMELINE_H_

#include <QFutureWatcher>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

#include "host/files/atomicfile.h"
#include "host/input/showfile.h"
#include "host/outputs/csvwriter.h"
#include "host/timeline/livetrace.h"
#include "host/timeline/overview.h"
#include "host/timeline/timelinepainter.h"
#include "host/windows/nimbocolours.h"

namespace vexohost {

class SentValues;
class TimelinePane;

// What the timeline writes when the run ends (--plot, --plot-size) and as it
// goes (--export-csv); empty paths write nothing.
struct TimelineOutputs {
    QString plotPath;
    QSize plotSize{1600, 900};
    QString csvPath;
};

// The show a timeline can read again, for a zoomed part or another base: a
// file (and the universe of a recording), or the demo.
struct TimelineShow {
    QString path;  // empty: the demo
    std::optional<unsigned> universe;
};

// The nine channels over time, for the pane in the main window, the plot and
// the CSV file. A show's overview comes from the check of its file (and, for
// a zoomed part or another base address, from reading it again on a worker
// thread); a pipe or standard input is drawn as it plays, in show time; a
// live input (olad, the faders) on the wall clock, its last ten minutes, with
// gaps where no data came.
//
// Owns the overview or the trace of the input that runs, the zoomed overview,
// the plot's and the CSV's files, the lanes' colours, and the pane's view
// (what it draws, and whether a live trace is frozen). The input control
// tells it what plays and hands it every value sent to the nine channels
// (take() and takeLive() allocate nothing and do no I/O); the application
// opens and finishes it. GUI thread; the worker only reads a file.
class ChannelTimeline : public QObject {
    Q_OBJECT

public:
    // sent: what the host sent the plug-in; outlives this.
    ChannelTimeline(const SentValues& sent, TimelineOutputs outputs, QObject* parent = nullptr);
    ~ChannelTimeline() override;

    // Makes the plot's and the CSV's files beside their names, the CSV's
    // columns named from input channel base on. False, said on standard
    // error, when one cannot be made.
    bool open(int base);
    // The pane drawn into from now on (may be null).
    void setPane(TimelinePane* pane);
    // Renders the display window, for the lanes' colours.
    void setDisplay(std::function<QImage()> display) { m_display = std::move(display); }

    // The sink that builds a show's overview of [fromMs, toMs] as the check
    // reads the file, its input channel base on lane 0; showStarted() takes it up.
    ShowFile::CheckSink overviewSink(int64_t fromMs, std::optional<int64_t> toMs, int base);
    // A show plays its part [fromMs, fromMs + lengthMs]: drawn whole from the
    // overview the check built (the demo's is built here).
    void showStarted(const TimelineShow& show, int64_t fromMs, int64_t lengthMs, bool seekable, int base);
    // A pipe or standard input plays, drawn as it comes.
    void streamStarted(int base);
    // A live input runs, drawn on the wall clock.
    void liveStarted(int base);
    void setBase(int base);

    // Channel 1..9 (as the plug-in numbers it) was sent value: at show time
    // ms, or, for a live input, now.
    void take(int64_t ms, int channel, int32_t value);
    void takeLive(int channel, int32_t value);
    // Where the show stands (show time).
    void setPlayhead(int64_t showMs);
    // A live input has had no data for sinceDataMs (0 while it receives).
    void setLiveSilence(int64_t sinceDataMs);
    // The live trace stops moving in the pane (the values still come in).
    void setFrozen(bool frozen);
    bool isFrozen() const { return m_frozen; }
    // How much of a live input the pane shows.
    void setLiveWindow(int64_t ms);

    // Writes the plot and completes the CSV. False when one failed (said on
    // standard error).
    bool finish();
    // The run was interrupted: nothing is written.
    void abort();

private:
    enum class Mode { None, Show, Stream, Live };
    void begin(Mode mode, int base);
    void follow();
    void sampleColours();
    TimelineLook look() const;
    void zoom(qint64 startMs, qint64 endMs);
    void rebuild(int64_t fromMs, int64_t toMs, bool whole);
    void rebuilt();
    void showSeries();
    const TimelineSeries* series() const;
    // A live trace's time now: the kernel's coarse monotonic clock, a few
    // nanoseconds to read and a few milliseconds fine, well within a bucket.
    int64_t liveNowMs() const;
    // The time the plot and the pane's part cover.
    int64_t endMs() const;

    const SentValues& m_sent;
    const TimelineOutputs m_outputs;
    QPointer<TimelinePane> m_pane;
    std::function<QImage()> m_display;
    Mode m_mode = Mode::None;
    int m_base = 1;
    TimelineShow m_show;
    int64_t m_fromMs = 0;
    int64_t m_lengthMs = 0;
    bool m_seekable = false;
    std::unique_ptr<TimelineOverview> m_pending;  // built by the check of the show that opens
    std::unique_ptr<TimelineOverview> m_overview;
    std::shared_ptr<const TimelineOverview> m_zoomed;
    std::unique_ptr<LiveTrace> m_trace;
    int64_t m_startMs = 0;  // of a live trace, on the coarse clock
    int64_t m_silentSinceMs = -1;
    int64_t m_liveWindowMs = 60000;
    bool m_frozen = false;
    QTimer m_follow;
    QTimer m_sampleColours;  // while there is a pane
    NimboColours m_colours;
    QFutureWatcher<std::shared_ptr<TimelineOverview>> m_worker;
    struct Rebuild {
        int64_t fromMs = 0, toMs = 0;
        bool whole = false;
    };
    std::optional<Rebuild> m_running, m_next;
    AtomicFile m_plotFile;
    std::unique_ptr<CsvWriter> m_csv;
};

}  // namespace vexohost

#endif  // HOST_WINDOWS_CHANNELTIMELINE_H_
