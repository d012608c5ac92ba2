// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/windows/channeltimeline.h"

#include <time.h>

#include <QtConcurrent/QtConcurrentRun>

#include "host/files/console.h"
#include "host/input/demoshow.h"
#include "host/outputs/timelineplot.h"
#include "host/timeline/timelinepane.h"
#include "host/windows/sentvalues.h"

namespace vexohost {
namespace {

// A live trace is followed up to ten times a second while a pane shows it,
// else four times a second (for its gaps); the lanes' colours are
// looked at once a second, and soon after the display is first shown.
constexpr int kLiveStepMs = 100;
constexpr int kHeadlessFollowMs = 250;
constexpr int kSampleMs = 1000;
constexpr int kFirstSampleMs = 100;
// A pipe's part grows as it plays, at least this long.
constexpr int64_t kLeastStreamMs = 10000;

// The part [fromMs, toMs] of a show read again; nothing when it no longer reads.
std::shared_ptr<TimelineOverview> readOverview(const TimelineShow& show, int64_t fromMs, int64_t toMs,
                                               int base) {
    auto overview = std::make_shared<TimelineOverview>(fromMs, toMs, base);
    if (show.path.isEmpty()) {
        for (const ShowEvent& event : demoShow())
            if (event.msg == vexo::kMsgChannelValue) overview->take(event.timeMs, event.arg1, event.arg2);
    } else {
        ShowOptions options;
        options.universe = show.universe;
        ShowError error;
        if (!ShowFile::open(show.path.toStdString(), options, &error,
                            [&](const ShowBatch& batch) { overview->take(batch); }))
            return nullptr;
    }
    overview->setEndMs(toMs);
    return overview;
}

}  // namespace

ChannelTimeline::ChannelTimeline(const SentValues& sent, TimelineOutputs outputs, QObject* parent)
    : QObject(parent), m_sent(sent), m_outputs(std::move(outputs)) {
    connect(&m_follow, &QTimer::timeout, this, &ChannelTimeline::follow);
    m_sampleColours.setInterval(kSampleMs);
    connect(&m_sampleColours, &QTimer::timeout, this, &ChannelTimeline::sampleColours);
    connect(&m_worker, &QFutureWatcher<std::shared_ptr<TimelineOverview>>::finished, this,
            &ChannelTimeline::rebuilt);
}

ChannelTimeline::~ChannelTimeline() {
    m_worker.waitForFinished();
}

bool ChannelTimeline::open(int base) {
    m_base = base;
    if (!m_outputs.plotPath.isEmpty() && !m_plotFile.open(m_outputs.plotPath)) {
        printError(QStringLiteral("cannot write the plot: ") + m_plotFile.error());
        return false;
    }
    if (m_outputs.csvPath.isEmpty()) return true;
    m_csv = std::make_unique<CsvWriter>();
    if (!m_csv->open(m_outputs.csvPath, m_base)) {
        printError(QStringLiteral("cannot export the values: ") + m_csv->error());
        m_csv.reset();
        return false;
    }
    return true;
}

void ChannelTimeline::setPane(TimelinePane* pane) {
    m_pane = pane;
    if (!m_pane) return;
    connect(m_pane, &TimelinePane::viewChanged, this, &ChannelTimeline::zoom);
    m_sampleColours.start();
    QTimer::singleShot(kFirstSampleMs, this, &ChannelTimeline::sampleColours);
    showSeries();
    if (m_mode == Mode::Live) m_follow.start(kLiveStepMs);
}

ShowFile::CheckSink ChannelTimeline::overviewSink(int64_t fromMs, std::optional<int64_t> toMs, int base) {
    m_pending = std::make_unique<TimelineOverview>(fromMs, toMs, base);
    return [overview = m_pending.get()](const ShowBatch& batch) { overview->take(batch); };
}

void ChannelTimeline::begin(Mode mode, int base) {
    m_mode = mode;
    m_base = base;
    m_zoomed.reset();
    m_next.reset();
    m_overview.reset();
    m_trace.reset();
    m_pending.reset();
    m_frozen = false;
    m_follow.stop();
}

void ChannelTimeline::showStarted(const TimelineShow& show, int64_t fromMs, int64_t lengthMs, bool seekable,
                                  int base) {
    std::unique_ptr<TimelineOverview> pending = std::move(m_pending);
    begin(Mode::Show, base);
    m_show = show;
    m_fromMs = fromMs;
    m_lengthMs = lengthMs;
    m_seekable = seekable;
    if (pending && pending->fromMs() == fromMs && pending->firstChannel() == base) {
        m_overview = std::move(pending);
        m_overview->setEndMs(fromMs + lengthMs);
    } else if (auto overview = readOverview(show, fromMs, fromMs + lengthMs, base)) {
        m_overview = std::make_unique<TimelineOverview>(std::move(*overview));
    }
    showSeries();
}

void ChannelTimeline::streamStarted(int base) {
    begin(Mode::Stream, base);
    m_fromMs = 0;
    m_seekable = false;
    m_overview = std::make_unique<TimelineOverview>(0, std::nullopt, 1);
    // Its part grows as it plays: redrawn at most four times a second.
    m_follow.start(kHeadlessFollowMs);
    showSeries();
}

void ChannelTimeline::liveStarted(int base) {
    begin(Mode::Live, base);
    m_trace = std::make_unique<LiveTrace>();
    m_startMs = 0;
    m_startMs = liveNowMs();
    m_silentSinceMs = -1;
    m_follow.start(m_pane ? kLiveStepMs : kHeadlessFollowMs);
    showSeries();
}

void ChannelTimeline::setBase(int base) {
    if (base == m_base) return;
    m_base = base;
    if (m_pane) m_pane->setFirstChannel(base);
    // A show's lanes are read again for the new channels; a stream's and a
    // live trace's go on with what the nimbos are sent from now on.
    if (m_mode == Mode::Show) {
        m_zoomed.reset();
        rebuild(m_fromMs, m_fromMs + m_lengthMs, true);
    }
}

void ChannelTimeline::take(int64_t ms, int channel, int32_t value) {
    if (m_csv) m_csv->take(ms, channel - 1, value);
    if (m_mode == Mode::Stream) m_overview->takeLane(ms, channel - 1, value);
}

void ChannelTimeline::takeLive(int channel, int32_t value) {
    if (m_mode != Mode::Live) return;
    const int64_t now = liveNowMs();
    m_trace->take(now, channel - 1, value);
    if (m_csv) m_csv->take(now, channel - 1, value);
}

void ChannelTimeline::setPlayhead(int64_t showMs) {
    if (m_pane && m_mode == Mode::Show) m_pane->setPlayhead(showMs);
}

void ChannelTimeline::setLiveSilence(int64_t sinceDataMs) {
    if (m_mode != Mode::Live) return;
    m_silentSinceMs = sinceDataMs > 0 ? liveNowMs() - sinceDataMs : -1;
}

void ChannelTimeline::setFrozen(bool frozen) {
    m_frozen = frozen && m_mode == Mode::Live;
    if (!m_frozen) follow();
}

void ChannelTimeline::setLiveWindow(int64_t ms) {
    m_liveWindowMs = ms;
    follow();
}

int64_t ChannelTimeline::liveNowMs() const {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1000000 - m_startMs;
}

const TimelineSeries* ChannelTimeline::series() const {
    if (m_trace) return m_trace.get();
    return m_overview.get();
}

int64_t ChannelTimeline::endMs() const {
    switch (m_mode) {
        case Mode::Show:
            return m_fromMs + m_lengthMs;
        case Mode::Stream:
            return std::max(m_overview->endMs(), kLeastStreamMs);
        case Mode::Live:
            return m_trace->nowMs();
        case Mode::None:
            break;
    }
    return 0;
}

// Gives the pane what it draws now.
void ChannelTimeline::showSeries() {
    if (!m_pane) return;
    m_pane->setFirstChannel(m_base);
    m_pane->setPlayhead(std::nullopt);
    m_pane->setAxisZero(m_mode == Mode::Show ? m_fromMs : 0);
    if (m_mode == Mode::Live)
        m_pane->followLive(endMs(), m_liveWindowMs);
    else
        m_pane->setPart(m_fromMs, std::max(endMs(), m_fromMs + 1), m_mode == Mode::Show && m_seekable);
    m_pane->setSeries(series());
}

void ChannelTimeline::follow() {
    if (m_mode == Mode::Live) {
        const int64_t now = liveNowMs();
        m_trace->advance(now, m_silentSinceMs >= 0 ? m_silentSinceMs : now);
    }
    if (!m_pane || !m_pane->isVisible()) return;
    if (m_frozen) return;
    if (m_mode == Mode::Live) {
        m_pane->followLive(m_trace->nowMs(), m_liveWindowMs);
        // Woken when the next two columns are due, at most ten times a
        // second: each step moves the pane's pixels on the screen, which
        // costs more than drawing the columns it uncovers.
        const int interval = std::clamp(int(2 * m_pane->msPerColumn()), kLiveStepMs, kHeadlessFollowMs);
        if (m_follow.interval() != interval) m_follow.setInterval(interval);
    } else if (m_mode == Mode::Stream && endMs() - m_pane->viewEndMs() >= m_pane->msPerColumn()) {
        m_pane->setPart(0, endMs(), false);
    }
}

void ChannelTimeline::sampleColours() {
    if (m_pane && m_pane->isVisible() && m_display && m_colours.sample(m_display(), m_sent))
        m_pane->setColours(look().colours);
}

// The lanes in the nimbos' colours as far as they were seen.
TimelineLook ChannelTimeline::look() const {
    TimelineLook look;
    look.colours = defaultLaneColours();
    for (int k = 0; k < kLanes; ++k)
        if (m_colours.colour(k).isValid()) look.colours[size_t(k)] = m_colours.colour(k);
    look.firstChannel = m_base;
    look.axisZeroMs = m_mode == Mode::Show ? m_fromMs : 0;
    return look;
}

// The pane shows part of a show: a finer overview of it is read when the
// one it has is coarser than the pane's pixels.
void ChannelTimeline::zoom(qint64 startMs, qint64 endMs) {
    if (m_mode != Mode::Show || !m_overview || !m_pane) return;
    const bool whole = startMs <= m_fromMs && endMs >= m_fromMs + m_lengthMs;
    const bool inZoomed = m_zoomed && startMs >= m_zoomed->fromMs() && endMs <= m_zoomed->endMs() &&
                          m_zoomed->bucketMs() * m_pane->width() <= (endMs - startMs) * 2;
    if (!inZoomed) m_pane->setSeries(m_overview.get());
    if (whole || inZoomed) return;
    if (m_overview->bucketMs() * m_pane->width() <= endMs - startMs) return;
    rebuild(startMs, endMs, false);
}

void ChannelTimeline::rebuild(int64_t fromMs, int64_t toMs, bool whole) {
    const Rebuild job{fromMs, toMs, whole};
    if (m_running) {
        m_next = job;
        return;
    }
    m_running = job;
    m_worker.setFuture(QtConcurrent::run(readOverview, m_show, fromMs, toMs, m_base));
}

void ChannelTimeline::rebuilt() {
    std::shared_ptr<TimelineOverview> overview = m_worker.result();
    const Rebuild job = *m_running;
    m_running.reset();
    if (overview && m_mode == Mode::Show && overview->firstChannel() == m_base) {
        if (job.whole) {
            m_overview = std::make_unique<TimelineOverview>(std::move(*overview));
            if (m_pane) m_pane->setSeries(m_overview.get());
        } else if (m_pane && job.fromMs == m_pane->viewStartMs() && job.toMs == m_pane->viewEndMs()) {
            m_zoomed = std::move(overview);
            m_pane->setSeries(m_zoomed.get());
        }
    }
    if (m_next) {
        const Rebuild next = *m_next;
        m_next.reset();
        rebuild(next.fromMs, next.toMs, next.whole);
    }
}

bool ChannelTimeline::finish() {
    m_follow.stop();
    m_sampleColours.stop();
    bool written = true;
    if (m_csv) {
        if (m_csv->close())
            printLine(stdout, QStringLiteral("wrote %1 rows of values to %2")
                                  .arg(m_csv->rows())
                                  .arg(AtomicFile::target(m_outputs.csvPath)));
        else
            printError(QStringLiteral("exporting the values failed: ") + m_csv->error()), written = false;
        m_csv.reset();
    }
    if (m_outputs.plotPath.isEmpty()) return written;
    if (m_mode == Mode::Live)
        m_trace->advance(liveNowMs(), m_silentSinceMs >= 0 ? m_silentSinceMs : liveNowMs());
    if (m_display) m_colours.sample(m_display(), m_sent);
    const TimelineSeries* drawn = series();
    const TimelineOverview empty;
    if (!drawn) drawn = &empty;
    const int64_t end = std::max<int64_t>(endMs(), 1);
    const int64_t start = m_mode == Mode::Live
                              ? std::max<int64_t>(0, end - LiveTrace::kBuckets * LiveTrace::kBucketMs)
                              : (m_mode == Mode::Show ? m_fromMs : 0);
    QString error;
    if (!writeTimelinePlot(m_plotFile, m_outputs.plotSize, *drawn, start, end, look(), &error)) {
        printError(QStringLiteral("writing the plot failed: ") + error);
        return false;
    }
    printLine(stdout, QStringLiteral("wrote the timeline to %1").arg(AtomicFile::target(m_outputs.plotPath)));
    return written;
}

void ChannelTimeline::abort() {
    m_follow.stop();
    if (m_csv) m_csv->abort();
    m_plotFile.discard();
}

}  // namespace vexohost
