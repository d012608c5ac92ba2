// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/timeline/timelinelayout.h"

#include <QString>
#include <algorithm>

namespace vexohost {
namespace {

constexpr int kLaneSpacing = 2;

}  // namespace

TimelineLayout::Margins TimelineLayout::Margins::of(const QFontMetrics& metrics) {
    Margins margins;
    margins.labels = metrics.horizontalAdvance(QStringLiteral("ch 512")) + 8;
    margins.timeLabel = metrics.horizontalAdvance(QStringLiteral("00:00:00")) + 24;
    margins.right = metrics.horizontalAdvance(QStringLiteral("0:00:00")) / 2 + 2;
    margins.axis = metrics.height() + 6;
    return margins;
}

TimelineLayout::TimelineLayout(const QRect& rect, const Margins& margins, int64_t startMs, int64_t endMs)
    : m_margins(margins), m_startMs(startMs), m_endMs(std::max(endMs, startMs + 1)) {
    m_plot = rect.adjusted(margins.labels, 0, -margins.right, -margins.axis);
    m_laneHeight = std::max(1, (m_plot.height() - (kLanes - 1) * kLaneSpacing) / kLanes);
    m_plot.setHeight(kLanes * m_laneHeight + (kLanes - 1) * kLaneSpacing);
}

QRect TimelineLayout::lane(int lane) const {
    return {m_plot.left(), m_plot.top() + lane * (m_laneHeight + kLaneSpacing), m_plot.width(), m_laneHeight};
}

QRect TimelineLayout::axis() const {
    return {m_plot.left(), m_plot.bottom() + 1, m_plot.width(), m_margins.axis};
}

QRect TimelineLayout::timeRow() const {
    const QRect a = axis();
    return {a.left() - m_margins.labels, a.top(), a.width() + m_margins.labels + m_margins.right, a.height()};
}

double TimelineLayout::xOf(int64_t ms) const {
    return m_plot.left() + double(ms - m_startMs) * m_plot.width() / double(m_endMs - m_startMs);
}

int64_t TimelineLayout::msAt(double x) const {
    return m_startMs + int64_t((x - m_plot.left()) * double(m_endMs - m_startMs) / m_plot.width());
}

double TimelineLayout::yOf(int lane, int value) const {
    const QRect r = this->lane(lane);
    // Value 255 a pixel below the lane's top, so a full lane and a glitch mark stay apart.
    return r.top() + r.height() - double(std::clamp(value, 0, 255)) * (r.height() - 1) / 255.0;
}

}  // namespace vexohost
