// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/timeline/timelinepainter.h"

#include <QPaintEngine>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "host/timeline/timelinelayout.h"
#include "host/timeline/timelineseries.h"

namespace vexohost {
namespace {

constexpr int kBandEdges[] = {10, 60, 110, 160, 210};

// What a lane did over one pixel column.
struct Column {
    int16_t min = 0, max = 0, last = 0;
    bool drawn = false;  // the lane had a value there
    bool glitch = false;
    bool gap = false;
    bool noSource = false;  // a gap where nothing could be received
};

// Walks a lane's buckets column by column, carrying the value each bucket
// enters with, so a column whose buckets set nothing shows the value held.
class ColumnWalk {
public:
    ColumnWalk(const TimelineSeries& series, int lane, int64_t startIndex)
        : m_series(series), m_lane(lane), m_next(std::max(startIndex, series.firstIndex())) {
        // The value entering the first bucket drawn.
        m_value = series.valueBefore(lane);
        for (int64_t i = m_next - 1; i >= series.firstIndex(); --i)
            if (const LaneBucket& b = series.bucket(lane, i); b.isSet()) {
                m_value = b.last;
                break;
            }
    }

    // The buckets [i0, i1) as one column; false past the end of the data.
    bool column(int64_t i0, int64_t i1, Column* out) {
        i0 = std::max(i0, m_series.firstIndex());
        i1 = std::min(i1, m_series.endIndex());
        if (i0 >= m_series.endIndex()) return false;
        *out = Column();
        if (i1 <= i0) return true;
        for (; m_next < i0; ++m_next)
            if (const LaneBucket& b = m_series.bucket(m_lane, m_next); b.isSet()) m_value = b.last;
        int16_t value = m_value;
        bool gap = true;
        for (int64_t i = i0; i < i1; ++i) {
            const LaneBucket& b = m_series.bucket(m_lane, i);
            out->glitch |= (b.flags & LaneBucket::kGlitch) != 0;
            if (b.flags & LaneBucket::kGap) {
                value = TimelineSeries::kNoValue;
                out->noSource = (b.flags & LaneBucket::kNoSource) != 0;
                continue;
            }
            gap = false;
            if (value != TimelineSeries::kNoValue && !out->drawn) {
                out->min = out->max = value;
                out->drawn = true;
            }
            if (b.isSet()) {
                out->min = out->drawn ? std::min(out->min, b.min) : b.min;
                out->max = out->drawn ? std::max(out->max, b.max) : b.max;
                out->drawn = true;
                value = b.last;
            }
        }
        out->last = value;
        out->gap = gap;
        out->drawn = out->drawn && value != TimelineSeries::kNoValue;
        return true;
    }

private:
    const TimelineSeries& m_series;
    const int m_lane;
    int64_t m_next;   // the bucket m_value enters
    int16_t m_value;  // the value entering bucket m_next
};

int64_t floorDiv(int64_t a, int64_t b) {
    return a / b - (a % b != 0 && (a < 0) != (b < 0));
}

// Column x, filled from top to bottom as a polygon fill covers it (the rows
// whose centres lie between), joined to the rectangle of the column before
// when it covers the same rows.
void addColumn(std::vector<QRect>& rects, int x, double top, double bottom) {
    const int first = int(std::ceil(top - 0.5)), end = int(std::ceil(bottom - 0.5));
    if (end <= first) return;
    if (!rects.empty() && rects.back().right() == x - 1 && rects.back().top() == first &&
        rects.back().bottom() == end - 1)
        rects.back().setRight(x);
    else
        rects.emplace_back(x, first, 1, end - first);
}

}  // namespace

int axisLabelWidth(const QFontMetrics& metrics, const TimelineLayout& layout, const TimelineLook& look) {
    // Labels of a hundred hours and more are wider than the layout keeps room for.
    const int64_t longest =
        std::max(std::abs(layout.startMs() - look.axisZeroMs), std::abs(layout.endMs() - look.axisZeroMs));
    // Measuring shapes the text, and a live axis asks ten times a second: the
    // label is measured with every digit a 0 (digits are as wide as each
    // other in a text font), which changes only when it grows a digit. A
    // live axis goes to and fro between a whole second and one with tenths,
    // so the last few are kept.
    struct Measured {
        QString text;
        int height = -1, zero = -1, width = 0;
    };
    thread_local std::array<Measured, 4> measured;
    thread_local size_t oldest = 0;
    QString text = formatAxisTime(longest);
    for (QChar& c : text)
        if (c.isDigit()) c = QLatin1Char('0');
    const int zero = metrics.horizontalAdvance(QLatin1Char('0')), height = metrics.height();
    auto known = std::find_if(measured.begin(), measured.end(), [&](const Measured& m) {
        return m.text == text && m.height == height && m.zero == zero;
    });
    if (known == measured.end()) {
        known = measured.begin() + std::ptrdiff_t(oldest);
        oldest = (oldest + 1) % measured.size();
        *known = {text, height, zero, metrics.horizontalAdvance(text)};
    }
    return std::max(layout.timeLabelWidth(), known->width + 24);
}

namespace {

// The ticks and times over the stretch of the axis that `want` covers.
void paintAxis(QPainter& painter, const TimelineLayout& layout, const TimelineLook& look, const QRect& want) {
    const QRect axis = layout.axis();
    const QRect row = layout.timeRow();
    const int64_t span = layout.endMs() - layout.startMs();
    const int labelWidth = axisLabelWidth(painter.fontMetrics(), layout, look);
    const int64_t wanted = span * labelWidth / std::max(1, axis.width());
    constexpr int64_t kDay = 86400000;
    constexpr int64_t kSteps[] = {100,      200,      500,       1000,      2000,      5000,      10000,
                                  15000,    30000,    60000,     120000,    300000,    600000,    900000,
                                  1800000,  3600000,  7200000,   10800000,  21600000,  43200000,  kDay,
                                  2 * kDay, 5 * kDay, 10 * kDay, 20 * kDay, 50 * kDay, 100 * kDay};
    int64_t step = kSteps[std::size(kSteps) - 1];
    for (const int64_t s : kSteps)
        if (s >= wanted) {
            step = s;
            break;
        }
    painter.setPen(look.text);
    const int64_t zero = look.axisZeroMs;
    for (int64_t t = (floorDiv(layout.startMs() - zero, step) + 1) * step + zero - step; t <= layout.endMs();
         t += step) {
        // Before the axis' zero (a live trace's first seconds) there is no time to tell.
        if (t < layout.startMs() || t < zero) continue;
        const double x = layout.xOf(t);
        if (x + labelWidth / 2.0 < want.left() || x - labelWidth / 2.0 > want.right() + 1) continue;
        painter.drawLine(QPointF(x, axis.top()), QPointF(x, axis.top() + 3));
        // A label is whole or not there: one that would stand out of its row is left out.
        const QString text = formatAxisTime(t - zero);
        const double half = painter.fontMetrics().horizontalAdvance(text) / 2.0;
        if (x - half < row.left() || x + half > row.right() + 1) continue;
        const QRectF label(x - labelWidth / 2.0, axis.top() + 3, labelWidth, axis.height() - 3);
        painter.drawText(label, Qt::AlignHCenter | Qt::AlignTop, text);
    }
}

}  // namespace

std::array<QColor, kLanes> defaultLaneColours() {
    std::array<QColor, kLanes> colours;
    for (int lane = 0; lane < kLanes; ++lane) colours[size_t(lane)] = QColor::fromHsv(lane * 40, 200, 210);
    return colours;
}

QString formatAxisTime(int64_t ms) {
    const bool negative = ms < 0;
    int64_t s = (negative ? -ms : ms) / 1000;
    QString text = s >= 3600 ? QStringLiteral("%1:%2:%3")
                                   .arg(s / 3600)
                                   .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
                                   .arg(s % 60, 2, 10, QLatin1Char('0'))
                             : QStringLiteral("%1:%2").arg(s / 60).arg(s % 60, 2, 10, QLatin1Char('0'));
    const int64_t tenths = (negative ? -ms : ms) % 1000 / 100;
    if (tenths != 0) text += QStringLiteral(".%1").arg(tenths);
    return negative ? QLatin1Char('-') + text : text;
}

void paintTimeline(QPainter& painter, const TimelineLayout& layout, const TimelineSeries& series,
                   const TimelineLook& look, const QRect& dirty) {
    const QRect plot = layout.plot();
    const int columns = plot.width();
    // The columns to draw: those of the dirty rectangle, and one either side
    // for the edges of what stands there.
    const QRect want = dirty.isNull() ? plot.united(layout.axis()).united(QRect(0, 0, 1, 1)) : dirty;
    const int firstColumn = std::max(0, want.left() - plot.left() - 1);
    const int endColumn = std::min(columns, want.right() + 1 - plot.left() + 1);
    const int64_t origin = series.originMs();
    const int64_t bucketMs = series.bucketMs();
    auto indexAt = [&](double ms) { return floorDiv(int64_t(std::floor(ms)) - origin, bucketMs); };
    const double msPerColumn = double(layout.endMs() - layout.startMs()) / columns;
    // No frames from a reachable olad: light diagonal hatching; olad
    // unreachable: a denser cross-hatching.
    const QBrush gapBrush(QColor(128, 128, 128, 110), Qt::BDiagPattern);
    const QBrush noSourceBrush(QColor(100, 100, 100, 130), Qt::DiagCrossPattern);
    // Hatching that moves with the time it stands for, so that a part drawn
    // later meets the part beside it.
    painter.setBrushOrigin(QPointF(std::fmod(layout.xOf(0), 8.0), 0));
    std::vector<QPointF> glitches;
    std::vector<QRectF> outOfRange;
    QPolygonF area, range;
    const bool shapes = !painter.paintEngine() || painter.paintEngine()->type() != QPaintEngine::Raster;
    std::vector<QRect> areaRects, bandRects;
    for (int lane = 0; lane < kLanes; ++lane) {
        const QRect r = layout.lane(lane);
        if (want.bottom() < r.top() - 1 || want.top() > r.bottom() + 1) continue;
        const QColor colour = look.colours[size_t(lane)];
        // Rules and the playhead are filled rectangles, not lines: Qt hands
        // a long line's many one-pixel spans to its thread pool, which costs
        // two thread wake-ups for every live step.
        const QRect gridColumns(std::max(r.left(), want.left()), 0,
                                std::min(r.right() + 2, want.right() + 1) - std::max(r.left(), want.left()),
                                1);
        for (const int edge : kBandEdges)
            painter.fillRect(gridColumns.translated(0, int(std::floor(layout.yOf(lane, edge)))), look.grid);
        painter.setPen(Qt::NoPen);
        const double bottom = r.top() + r.height();
        QColor fill = colour, band = colour;
        fill.setAlpha(150);
        band.setAlpha(90);
        // One polygon per stretch with values: the area under the last value,
        // and the range of values above and within it. On pixels the same
        // shapes are filled as the columns' rectangles they are made of: Qt's
        // polygon fill of a stretch of a thousand columns costs milliseconds,
        // which a show's messages would wait for.
        auto flush = [&] {
            for (const QRect& rect : areaRects) painter.fillRect(rect, fill);
            for (const QRect& rect : bandRects) painter.fillRect(rect, band);
            areaRects.clear();
            bandRects.clear();
            if (area.size() > 2) {
                area << QPointF(area.back().x(), bottom);
                painter.setBrush(fill);
                painter.drawPolygon(area);
                painter.setBrush(band);
                painter.drawPolygon(range);
            }
            area.clear();
            range.clear();
        };
        ColumnWalk walk(series, lane, indexAt(layout.startMs() + firstColumn * msPerColumn));
        std::vector<QPointF> lows;
        int gapStart = -1;
        bool gapNoSource = false;
        for (int x = firstColumn; x <= endColumn; ++x) {
            Column c;
            const double t0 = layout.startMs() + x * msPerColumn;
            const bool more =
                x < endColumn &&
                walk.column(indexAt(t0), std::max(indexAt(t0) + 1, indexAt(t0 + msPerColumn)), &c);
            const double left = plot.left() + x, right = left + 1;
            if (gapStart >= 0 && (!c.gap || !more || c.noSource != gapNoSource)) {
                painter.fillRect(QRectF(plot.left() + gapStart, r.top(), x - gapStart, r.height()),
                                 gapNoSource ? noSourceBrush : gapBrush);
                gapStart = -1;
            }
            if (c.gap && more && gapStart < 0) {
                gapStart = x;
                gapNoSource = c.noSource;
            }
            if (!more || !c.drawn) {
                if (!range.isEmpty()) {
                    for (auto low = lows.rbegin(); low != lows.rend(); ++low) range << *low;
                    lows.clear();
                }
                flush();
                if (!more) break;
                continue;
            }
            if (!shapes) {
                addColumn(areaRects, plot.left() + x, layout.yOf(lane, c.last), bottom);
                addColumn(bandRects, plot.left() + x, layout.yOf(lane, c.max), layout.yOf(lane, c.min));
            } else {
                if (area.isEmpty()) area << QPointF(left, bottom);
                area << QPointF(left, layout.yOf(lane, c.last)) << QPointF(right, layout.yOf(lane, c.last));
                range << QPointF(left, layout.yOf(lane, c.max)) << QPointF(right, layout.yOf(lane, c.max));
                lows.push_back(QPointF(left, layout.yOf(lane, c.min)));
                lows.push_back(QPointF(right, layout.yOf(lane, c.min)));
            }
            if (c.glitch) glitches.push_back(QPointF(left + 0.5, r.top()));
            // A value the lane cannot show (it is drawn at 255 or 0) is marked at that edge.
            auto mark = [&](double y) {
                if (!outOfRange.empty() && outOfRange.back().top() == y && outOfRange.back().right() == left)
                    outOfRange.back().setRight(right);
                else
                    outOfRange.emplace_back(left, y, 1.0, 3.0);
            };
            if (c.max > 255) mark(r.top());
            if (c.min < 0) mark(bottom - 3.0);
        }
        if (want.left() < plot.left()) {
            const QRect label(0, r.top(), plot.left() - 6, r.height());
            const bool selected = look.selectedLane == lane;
            QFont font = painter.font();
            font.setBold(selected);
            painter.save();
            painter.setFont(font);
            painter.setPen(colour.darker(130));
            painter.drawText(label, Qt::AlignRight | Qt::AlignVCenter,
                             QStringLiteral("ch %1").arg(look.firstChannel + lane));
            if (selected) painter.fillRect(QRect(1, r.top() + 2, 3, r.height() - 4), colour.darker(130));
            painter.restore();
        }
    }
    for (const QRectF& bar : outOfRange) painter.fillRect(bar, look.outOfRange);
    painter.setPen(Qt::NoPen);
    painter.setBrush(look.glitch);
    for (const QPointF& at : glitches)
        painter.drawPolygon(QPolygonF({at + QPointF(-3, 0), at + QPointF(3, 0), at + QPointF(0, 5)}));
    painter.setBrush(look.text);
    for (const TimelineMark& mark : look.marks) {
        if (mark.ms < layout.startMs() || mark.ms > layout.endMs() || mark.lane < 0 || mark.lane >= kLanes)
            continue;
        const QPointF at(std::floor(layout.xOf(mark.ms)) + 0.5, layout.yOf(mark.lane, mark.value));
        if (at.x() + 4 < want.left() || at.x() - 4 > want.right() + 1) continue;
        painter.drawPolygon(
            QPolygonF({at + QPointF(-4, 0), at + QPointF(0, -4), at + QPointF(4, 0), at + QPointF(0, 4)}));
    }
    if (want.intersects(layout.axis())) paintAxis(painter, layout, look, want);
    if (look.playheadMs && *look.playheadMs >= layout.startMs() && *look.playheadMs <= layout.endMs()) {
        // Within the plot alone: a pixel in the axis would not be wiped when the playhead moves on.
        const int x = int(std::floor(layout.xOf(*look.playheadMs)));
        painter.fillRect(QRect(x, plot.top(), 1, plot.height()), look.playhead);
    }
}

}  // namespace vexohost
