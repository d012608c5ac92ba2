// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/windows/channeltimeline.h"

#include <time.h>

#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>

#include "host/files/console.h"
#include "host/input/demoshow.h"
#include "host/outputs/timelineplot.h"
#include "host/timeline/timelinepane.h"

namespace vexohost {
namespace {

// A live trace is followed up to ten times a second while a pane shows it,
// else four times a second (for its gaps).
constexpr int kLiveStepMs = 100;
constexpr int kHeadlessFollowMs = 250;
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

ChannelTimeline::ChannelTimeline(TimelineOutputs outputs, QObject* parent)
    : QObject(parent), m_outputs(std::move(outputs)) {
    connect(&m_follow, &QTimer::timeout, this, &ChannelTimeline::follow);
    connect(&m_worker, &QFutureWatcher<std::shared_ptr<TimelineOverview>>::finished, this,
            &ChannelTimeline::rebuilt);
    m_marks.reserve(kMarks);
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
    return true;
}

void ChannelTimeline::setPane(TimelinePane* pane) {
    m_pane = pane;
    if (!m_pane) return;
    connect(m_pane, &TimelinePane::viewChanged, this, &ChannelTimeline::zoom);
    m_pane->setColours(look().colours);
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
    m_marks.clear();
    if (m_pane) m_pane->setMarks({});
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
    if (m_mode == Mode::Stream) m_overview->takeLane(ms, channel - 1, value);
}

void ChannelTimeline::takeLive(int channel, int32_t value) {
    if (m_mode == Mode::Live) m_trace->take(liveNowMs(), channel - 1, value);
}

void ChannelTimeline::mark(int64_t ms, int channel, int32_t value) {
    if (m_mode != Mode::Show || m_marks.size() == kMarks || channel < 1 || channel > kLanes) return;
    // A seek back puts the mark before others: the list stays in time order.
    const TimelineMark mark{ms, channel - 1, laneValue(value)};
    m_marks.insert(std::upper_bound(m_marks.begin(), m_marks.end(), ms,
                                    [](int64_t at, const TimelineMark& m) { return at < m.ms; }),
                   mark);
    if (m_pane) m_pane->setMarks(m_marks);
}

std::optional<int64_t> ChannelTimeline::changeNear(int64_t showMs, bool forward) const {
    if (m_mode != Mode::Show) return std::nullopt;
    const std::optional<int> chosen = m_pane ? m_pane->selectedLane() : std::nullopt;
    const int64_t partEnd = m_fromMs + m_lengthMs;
    std::array<std::optional<int32_t>, kLanes> values{};
    std::optional<int64_t> found;
    int64_t moment = -1;
    bool changed = false;
    // A moment is whole when the next begins: it counts if it changed a lane.
    auto close = [&] {
        if (!changed) return;
        changed = false;
        if (forward && moment > showMs && moment <= partEnd && !found) found = moment;
        if (!forward && moment < showMs && moment >= m_fromMs) found = moment;
    };
    auto take = [&](int64_t ms, const HostMessage& message) {
        if (ms != moment) close(), moment = ms;
        const int64_t lane = int64_t(message.arg1) - m_base;
        if (message.msg != vexo::kMsgChannelValue || lane < 0 || lane >= kLanes) return;
        if (chosen && *chosen != lane) return;
        std::optional<int32_t>& value = values[size_t(lane)];
        changed |= value != message.arg2;
        value = message.arg2;
    };
    if (m_show.path.isEmpty()) {
        for (const ShowEvent& event : demoShow()) take(event.timeMs, event.message());
    } else {
        ShowOptions options;
        options.universe = m_show.universe;
        ShowError error;
        if (!ShowFile::open(m_show.path.toStdString(), options, &error, [&](const ShowBatch& batch) {
                for (const HostMessage& message : batch.messages) take(batch.timeMs, message);
            }))
            return std::nullopt;
    }
    close();
    return found;
}

void ChannelTimeline::setPlayhead(int64_t showMs) {
    if (m_pane && m_mode == Mode::Show) m_pane->setPlayhead(showMs);
}

void ChannelTimeline::setLiveSilence(int64_t sinceDataMs, bool noSource) {
    if (m_mode != Mode::Live) return;
    const int64_t now = liveNowMs();
    const bool began = (m_silentSinceMs < 0 || noSource != m_noSource) && sinceDataMs > 0;
    m_noSource = noSource;
    m_silentSinceMs = sinceDataMs > 0 ? now - sinceDataMs : -1;
    if (m_silentSinceMs < 0) return;
    // Marked at once, back to the last frame: the next frame may end the
    // silence before the pane follows, and what the pane drew as held since
    // the last frame is drawn again as the gap it was.
    m_trace->advance(now, m_silentSinceMs, m_noSource);
    if (began && m_pane) m_pane->update();
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
        m_trace->advance(now, m_silentSinceMs >= 0 ? m_silentSinceMs : now, m_noSource);
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

void ChannelTimeline::followAlong() {
    if (m_mode != Mode::Live || !m_follow.isActive() || m_follow.remainingTime() > m_follow.interval() / 2)
        return;
    m_follow.start();
    follow();
}

void ChannelTimeline::setColours(const std::array<QColor, kLanes>& colours) {
    m_colours = colours;
    if (m_pane) m_pane->setColours(look().colours);
}

// The lanes in the nimbos' colours as far as they were named.
TimelineLook ChannelTimeline::look() const {
    TimelineLook look;
    look.colours = defaultLaneColours();
    for (int k = 0; k < kLanes; ++k)
        if (m_colours[size_t(k)].isValid()) look.colours[size_t(k)] = m_colours[size_t(k)];
    look.firstChannel = m_base;
    look.axisZeroMs = m_mode == Mode::Show ? m_fromMs : 0;
    look.marks = m_marks;
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
            if (m_pane) {
                m_pane->setSeries(m_overview.get());
                // A zoomed view gets its finer part read again too.
                zoom(m_pane->viewStartMs(), m_pane->viewEndMs());
            }
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
    if (m_outputs.plotPath.isEmpty()) return true;
    if (m_mode == Mode::Live)
        m_trace->advance(liveNowMs(), m_silentSinceMs >= 0 ? m_silentSinceMs : liveNowMs(), m_noSource);
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
    return true;
}

void ChannelTimeline::abort() {
    m_follow.stop();
    m_plotFile.discard();
}

}  // namespace vexohost
