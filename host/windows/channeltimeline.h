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
#include <vector>

#include "host/files/atomicfile.h"
#include "host/input/showfile.h"
#include "host/timeline/livetrace.h"
#include "host/timeline/overview.h"
#include "host/timeline/timelinepainter.h"

namespace vexohost {

class TimelinePane;

// What the timeline writes when the run ends (--plot, --plot-size); an empty
// path writes nothing.
struct TimelineOutputs {
    QString plotPath;
    QSize plotSize{1600, 900};
};

// The show a timeline can read again, for a zoomed part or another base: a
// file (and the universe of a recording), or the demo.
struct TimelineShow {
    QString path;  // empty: the demo
    std::optional<unsigned> universe;
};

// The nine channels over time, for the pane in the main window and the plot. A show's overview comes from the
// check of its file (and, for a zoomed part or another base address, from reading it again on a worker
// thread); a pipe or standard input is drawn as it plays, in show time; a
// live input (olad, the faders) on the wall clock, its last ten minutes, with
// gaps where no data came.
//
// Owns the overview or the trace of the input that runs, the zoomed overview,
// the plot's file, the marks of values set by hand, and the pane's view
// (what it draws, and whether a live trace is frozen). The input control
// tells it what plays and hands it every value sent to the nine channels
// (take() and takeLive() allocate nothing and do no I/O); the application
// opens and finishes it. GUI thread; the worker only reads a file.
class ChannelTimeline : public QObject {
    Q_OBJECT

public:
    explicit ChannelTimeline(TimelineOutputs outputs, QObject* parent = nullptr);
    ~ChannelTimeline() override;

    // Makes the plot's file beside its name. False, said on standard error,
    // when it cannot be made.
    bool open(int base);
    // The pane drawn into from now on (may be null).
    void setPane(TimelinePane* pane);
    // The nimbos' colours (invalid: not named yet, a colour of the lane's own).
    void setColours(const std::array<QColor, kLanes>& colours);

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
    // Channel 1..9 was set to value by hand at show time ms while a show
    // plays: marked on its lane (up to kMarks of them).
    void mark(int64_t ms, int channel, int32_t value);
    static constexpr size_t kMarks = 4096;
    // Where the show stands (show time).
    void setPlayhead(int64_t showMs);
    // The show time of the first moment after showMs (forward) or the last
    // before it where one of the nine lanes (or the lane chosen in the pane)
    // changes, within the part; nothing when there is none. Reads the show
    // again, as a seek does.
    std::optional<int64_t> changeNear(int64_t showMs, bool forward) const;
    // A live input has had no data for sinceDataMs (0 while it receives).
    // noSource: olad is not reached at all (else it has no frames to give).
    void setLiveSilence(int64_t sinceDataMs, bool noSource = false);
    // The live trace stops moving in the pane (the values still come in).
    void setFrozen(bool frozen);
    bool isFrozen() const { return m_frozen; }
    // How much of a live input the pane shows.
    void setLiveWindow(int64_t ms);
    // Another live view of the main window is about to paint: a live step at
    // least half due is taken now, so that the window paints both at once
    // rather than one after the other.
    void followAlong();

    // Writes the plot. False when it failed (said on standard error).
    bool finish();
    // The run was interrupted: nothing is written.
    void abort();

private:
    enum class Mode { None, Show, Stream, Live };
    void begin(Mode mode, int base);
    void follow();
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

    const TimelineOutputs m_outputs;
    QPointer<TimelinePane> m_pane;
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
    std::vector<TimelineMark> m_marks;  // reserved for kMarks, in time order
    int64_t m_startMs = 0;              // of a live trace, on the coarse clock
    int64_t m_silentSinceMs = -1;
    bool m_noSource = false;  // of the silence
    int64_t m_liveWindowMs = 60000;
    bool m_frozen = false;
    QTimer m_follow;
    std::array<QColor, kLanes> m_colours{};
    QFutureWatcher<std::shared_ptr<TimelineOverview>> m_worker;
    struct Rebuild {
        int64_t fromMs = 0, toMs = 0;
        bool whole = false;
    };
    std::optional<Rebuild> m_running, m_next;
    AtomicFile m_plotFile;
};

}  // namespace vexohost

#endif  // HOST_WINDOWS_CHANNELTIMELINE_H_
