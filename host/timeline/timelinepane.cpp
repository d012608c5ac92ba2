// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/timeline/timelinepane.h"

#include <QMouseEvent>
#include <QPainter>
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

}  // namespace

TimelinePane::TimelinePane(QWidget* parent) : QWidget(parent) {
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
    const double msPerColumn = double(windowMs) / width;
    const int64_t column = int64_t(std::floor(double(endMs) / msPerColumn)) + 1;
    const bool same = m_liveColumn >= 0 && windowMs == m_liveWindowMs && width == m_liveWidth;
    const int64_t shift = column - m_liveColumn;
    if (same && shift == 0) return;
    if (m_seekable) setPart(0, 1, false);
    m_liveColumn = column;
    m_liveWindowMs = windowMs;
    m_liveWidth = width;
    m_partEnd = m_viewEnd = std::llround(double(column) * msPerColumn);
    m_partStart = m_viewStart = m_viewEnd - windowMs;
    if (same && shift > 0 && shift < width) {
        // The lanes and the time axis under them move together.
        scroll(-int(shift), 0, QRect(plot.left(), plot.top(), plot.width(), height() - plot.top()));
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
    setView(m_partStart, m_partEnd);
    Q_EMIT viewChanged(m_viewStart, m_viewEnd);
}

void TimelinePane::setPlayhead(std::optional<int64_t> ms) {
    if (ms == m_look.playheadMs) return;
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
    painter.fillRect(event->rect(), look.background);
    if (!m_series) return;
    paintTimeline(painter, layout(), *m_series, look, event->rect());
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
    if (event->button() == Qt::LeftButton) return seekTo(event->position().x());
    QWidget::mousePressEvent(event);
}

void TimelinePane::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) return seekTo(event->position().x());
    QWidget::mouseMoveEvent(event);
}

// Zooms around the time under the pointer, which stays where it is.
void TimelinePane::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y();
    if (delta == 0 || !m_seekable) return QWidget::wheelEvent(event);
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
