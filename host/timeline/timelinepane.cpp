// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/timeline/timelinepane.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>
#include <cmath>

#include "host/timeline/timelinelayout.h"
#include "host/timeline/timelineseries.h"

namespace vexohost {
namespace {

// A wheel notch zooms by this much; the view never gets shorter than a
// tenth of a second.
constexpr double kZoomPerNotch = 1.25;
constexpr int64_t kShortestViewMs = 100;

// The time under the pointer: to the millisecond when a pixel column is
// shorter than a tenth of a second.
QString hoverTime(int64_t ms, bool fine) {
    if (!fine || ms < 0) return formatAxisTime(ms);
    const int64_t s = ms / 1000;
    const QString seconds =
        QStringLiteral("%1.%2").arg(s % 60, 2, 10, QLatin1Char('0')).arg(ms % 1000, 3, 10, QLatin1Char('0'));
    return s >= 3600 ? QStringLiteral("%1:%2:%3")
                           .arg(s / 3600)
                           .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
                           .arg(seconds)
                     : QStringLiteral("%1:%2").arg(s / 60).arg(seconds);
}

}  // namespace

TimelinePane::TimelinePane(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAccessibleName(tr("Timeline of the nine channels"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_look.colours = defaultLaneColours();
    setAttribute(Qt::WA_OpaquePaintEvent);
}

TimelinePane::~TimelinePane() = default;

void TimelinePane::setSeries(const TimelineSeries* series) {
    m_series = series;
    update();
}

void TimelinePane::setPart(int64_t fromMs, int64_t endMs, bool seekable) {
    m_follows = true;
    m_partStart = fromMs;
    m_partEnd = std::max(endMs, fromMs + 1);
    m_liveColumn = -1;
    if (seekable != m_seekable || !testAttribute(Qt::WA_SetCursor))
        setCursor(seekable ? Qt::PointingHandCursor : Qt::ArrowCursor);
    m_seekable = seekable;
    m_viewStart = m_partStart;
    m_viewEnd = m_partEnd;
    update();
}

void TimelinePane::followLive(int64_t endMs, int64_t windowMs) {
    const QRect plot = layout().plot();
    const int width = std::max(1, plot.width());
    // A whole number of milliseconds a column (the window a little wider for
    // it), so that a column stands for the same time before a step and after,
    // and what moves with the pixels is what a whole paint would draw there.
    const int64_t msPerColumn = std::max<int64_t>(1, (windowMs + width - 1) / width);
    const int64_t column = int64_t(std::floor(double(endMs) / double(msPerColumn))) + 1;
    const bool same = m_liveColumn >= 0 && windowMs == m_liveWindowMs && width == m_liveWidth;
    const int64_t shift = column - m_liveColumn;
    if (same && shift == 0) return;
    if (m_seekable) setPart(0, 1, false);
    m_liveColumn = column;
    m_liveWindowMs = windowMs;
    m_liveWidth = width;
    m_partEnd = m_viewEnd = column * msPerColumn;
    m_partStart = m_viewStart = m_viewEnd - msPerColumn * width;
    if (same && shift > 0 && shift < width) {
        // The lanes and the times under them move. A label is whole or not
        // there, so near either end of the row, where one may have come into
        // room or gone out of it, the labels are drawn afresh.
        const TimelineLayout where = layout();
        const QRect row = where.timeRow();
        const int label = axisLabelWidth(fontMetrics(), where, look());
        scroll(-int(shift), 0, plot);
        scroll(-int(shift), 0, row);
        // The column that was the newest was drawn before its time was over.
        update(QRect(plot.right() + 1 - int(shift) - 2, plot.top(), 2, plot.height()));
        // On the left, under the lanes' labels, the axis has no ticks of its own.
        update(QRect(row.left(), row.top(), plot.left() - row.left() + label, row.height()));
        update(QRect(row.right() + 1 - label - int(shift), row.top(), label + int(shift), row.height()));
    } else {
        update();
    }
}

void TimelinePane::setView(int64_t startMs, int64_t endMs) {
    startMs = std::max(startMs, m_partStart);
    endMs = std::min(endMs, m_partEnd);
    if (endMs - startMs < kShortestViewMs) return;
    if (startMs == m_viewStart && endMs == m_viewEnd) return;
    m_viewStart = startMs;
    m_viewEnd = endMs;
    update();
}

void TimelinePane::showWholePart() {
    m_follows = true;
    setView(m_partStart, m_partEnd);
    Q_EMIT viewChanged(m_viewStart, m_viewEnd);
}

void TimelinePane::zoomBy(double factor) {
    if (!m_seekable || !(factor > 0)) return;
    const int64_t span = m_viewEnd - m_viewStart;
    const int64_t pivot =
        m_look.playheadMs && *m_look.playheadMs >= m_viewStart && *m_look.playheadMs <= m_viewEnd
            ? *m_look.playheadMs
            : m_viewStart + span / 2;
    const double wanted =
        std::clamp<double>(double(span) * factor, kShortestViewMs, double(m_partEnd - m_partStart));
    const double share = double(pivot - m_viewStart) / double(std::max<int64_t>(1, span));
    m_follows = true;
    moveView(pivot - int64_t(wanted * share), int64_t(wanted));
}

void TimelinePane::panBy(int64_t ms) {
    m_follows = false;
    moveView(m_viewStart + ms, m_viewEnd - m_viewStart);
}

void TimelinePane::moveView(int64_t startMs, int64_t span) {
    span = std::clamp<int64_t>(span, kShortestViewMs, m_partEnd - m_partStart);
    startMs = std::clamp<int64_t>(startMs, m_partStart, m_partEnd - span);
    if (startMs == m_viewStart && startMs + span == m_viewEnd) return;
    setView(startMs, startMs + span);
    Q_EMIT viewChanged(m_viewStart, m_viewEnd);
}

void TimelinePane::setPlayhead(std::optional<int64_t> ms) {
    if (ms == m_look.playheadMs) return;
    // A zoomed view turns the page when the playhead leaves it: the
    // playhead then stands a tenth in.
    const int64_t span = m_viewEnd - m_viewStart;
    const bool zoomed = m_seekable && span < m_partEnd - m_partStart;
    if (ms && zoomed && m_follows && (*ms < m_viewStart || *ms >= m_viewEnd)) {
        m_look.playheadMs = ms;
        return moveView(*ms - span / 10, span);
    }
    const TimelineLayout where = layout();
    auto column = [&](std::optional<int64_t> at) { return at ? int(std::floor(where.xOf(*at))) : -1; };
    const int before = column(m_look.playheadMs), after = column(ms);
    m_look.playheadMs = ms;
    // Only the two columns it moves between.
    if (before == after) return;
    const QRect plot = where.plot();
    if (before >= 0) update(QRect(before - 1, plot.top(), 3, plot.height()));
    if (after >= 0) update(QRect(after - 1, plot.top(), 3, plot.height()));
}

void TimelinePane::setColours(const std::array<QColor, kLanes>& colours) {
    if (colours == m_look.colours) return;
    m_look.colours = colours;
    update();
}

void TimelinePane::setFirstChannel(int channel) {
    if (channel == m_look.firstChannel) return;
    m_look.firstChannel = channel;
    update();
}

void TimelinePane::setAxisZero(int64_t ms) {
    m_look.axisZeroMs = ms;
    update();
}

void TimelinePane::setMarks(std::span<const TimelineMark> marks) {
    m_look.marks = marks;
    update();
}

TimelineLook TimelinePane::look() const {
    TimelineLook look = m_look;
    look.background = palette().color(QPalette::Base);
    look.text = palette().color(QPalette::Text);
    QColor grid = look.text;
    grid.setAlpha(28);
    look.grid = grid;
    look.playhead = palette().color(QPalette::Highlight);
    return look;
}

TimelineLayout TimelinePane::layout() const {
    if (!m_margins) m_margins = TimelineLayout::Margins::of(fontMetrics());
    return TimelineLayout(rect(), *m_margins, m_viewStart, m_viewEnd);
}

void TimelinePane::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) m_margins.reset();
    QWidget::changeEvent(event);
}

double TimelinePane::msPerColumn() const {
    return double(m_viewEnd - m_viewStart) / std::max(1, layout().plot().width());
}

QSize TimelinePane::minimumSizeHint() const {
    return {320, kLanes * 14 + fontMetrics().height() + 6};
}

QSize TimelinePane::sizeHint() const {
    return {640, kLanes * 24 + fontMetrics().height() + 6};
}

void TimelinePane::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const TimelineLook look = this->look();
    const TimelineLayout where = layout();
    // Part by part: a live step uncovers the newest columns on the right and
    // the ends of the time row, whose bounding rectangle is the whole pane.
    const QRegion& region = event->region();
    for (const QRect& part : region.rectCount() <= 8 ? region : QRegion(region.boundingRect())) {
        // Each part alone: what a part draws beyond its edges (a column either
        // side) would blend a second time over its neighbour's.
        painter.setClipRect(part);
        painter.fillRect(part, look.background);
        if (m_series) paintTimeline(painter, where, *m_series, look, part);
    }
}

void TimelinePane::seekTo(double x) {
    if (!m_seekable) return;
    const TimelineLayout where = layout();
    const QRect plot = where.plot();
    // The middle of the pixel column pointed at.
    x = std::clamp<double>(x + 0.5, plot.left(), plot.left() + plot.width());
    Q_EMIT seekRequested(std::clamp(where.msAt(x), m_partStart, m_partEnd) - m_partStart);
}

void TimelinePane::mousePressEvent(QMouseEvent* event) {
    const TimelineLayout where = layout();
    if (event->button() == Qt::LeftButton && event->position().x() < where.plot().left()) {
        for (int lane = 0; lane < kLanes; ++lane)
            if (where.lane(lane).contains(where.plot().left(), int(event->position().y()))) {
                m_look.selectedLane = m_look.selectedLane == lane ? std::nullopt : std::optional<int>(lane);
                update(QRect(0, 0, where.plot().left(), height()));
            }
        return;
    }
    if (event->button() == Qt::LeftButton) {
        m_follows = true;
        return seekTo(event->position().x());
    }
    if (event->button() == Qt::MiddleButton && m_seekable) {
        m_dragX = event->position().x();
        m_dragViewStart = m_viewStart;
        setCursor(Qt::ClosedHandCursor);
        return;
    }
    QWidget::mousePressEvent(event);
}

void TimelinePane::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) return seekTo(event->position().x());
    if ((event->buttons() & Qt::MiddleButton) && m_dragX) {
        // The time under the pointer stays under it.
        const double ms = (*m_dragX - event->position().x()) * msPerColumn();
        return panBy(m_dragViewStart + int64_t(ms) - m_viewStart);
    }
    if (event->buttons() == Qt::NoButton) return showValuesAt(event->position(), event->globalPosition());
    QWidget::mouseMoveEvent(event);
}

// The time under the pointer and the nine values there, as the lanes draw
// them, without seeking.
void TimelinePane::showValuesAt(QPointF at, QPointF global) {
    const TimelineLayout where = layout();
    if (!m_series || !where.plot().contains(at.toPoint())) return QToolTip::hideText();
    const int64_t ms = where.msAt(at.x());
    QStringList lines{hoverTime(ms - m_look.axisZeroMs, msPerColumn() < 100)};
    const std::array<std::optional<int16_t>, kLanes> values = valuesAt(*m_series, ms);
    for (int lane = 0; lane < kLanes; ++lane) {
        const std::optional<int16_t> v = values[size_t(lane)];
        const QString value = !v         ? QStringLiteral("–")
                              : *v < 0   ? QStringLiteral("< 0")
                              : *v > 255 ? QStringLiteral("> 255")
                                         : QString::number(*v);
        lines << QStringLiteral("ch %1\t%2").arg(m_look.firstChannel + lane).arg(value);
    }
    QToolTip::showText(global.toPoint(), lines.join(QLatin1Char('\n')), this);
}

void TimelinePane::leaveEvent(QEvent* event) {
    QToolTip::hideText();
    QWidget::leaveEvent(event);
}

void TimelinePane::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton && m_dragX) {
        m_dragX.reset();
        setCursor(m_seekable ? Qt::PointingHandCursor : Qt::ArrowCursor);
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

// Zooms around the time under the pointer, which stays where it is.
void TimelinePane::wheelEvent(QWheelEvent* event) {
    if (!m_seekable) return QWidget::wheelEvent(event);
    // Sideways, or with Shift: a tenth of the view per notch, later or earlier.
    const QPoint angle = event->angleDelta();
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    if (const int sideways = angle.x() != 0 ? -angle.x() : (shift ? -angle.y() : 0); sideways != 0) {
        panBy((m_viewEnd - m_viewStart) * sideways / 1200);
        return event->accept();
    }
    const int delta = angle.y();
    if (delta == 0) return QWidget::wheelEvent(event);
    m_follows = true;
    const TimelineLayout where = layout();
    const double x = std::clamp<double>(event->position().x(), where.plot().left(), where.plot().right());
    const int64_t pivot = where.msAt(x);
    const double factor = std::pow(kZoomPerNotch, -delta / 120.0);
    const double span = std::clamp<double>(double(m_viewEnd - m_viewStart) * factor, kShortestViewMs,
                                           double(m_partEnd - m_partStart));
    const double share = (x - where.plot().left()) / std::max(1, where.plot().width());
    int64_t start = pivot - int64_t(span * share);
    start = std::clamp<int64_t>(start, m_partStart, m_partEnd - int64_t(span));
    setView(start, start + int64_t(span));
    Q_EMIT viewChanged(m_viewStart, m_viewEnd);
    event->accept();
}

}  // namespace vexohost
