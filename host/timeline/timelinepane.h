// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_TIMELINE_TIMELINEPANE_H_
#define HOST_TIMELINE_TIMELINEPANE_H_

#include <QWidget>
#include <cstdint>
#include <optional>

#include "host/timeline/timelinelayout.h"
#include "host/timeline/timelinepainter.h"

namespace vexohost {

class TimelineSeries;

// The nine channels over time, one lane per nimbo, drawn from a series it is
// given (TimelineSeries) over a stretch of time it is told: the part of a
// show played, or the last seconds of a live input.
//
// For a show, a click or a drag in the lanes asks to seek there, and the
// mouse wheel zooms in and out around the pointer within the part (the
// view; viewChanged() says which, so that a finer series can be given).
// Zoomed, the view follows the playhead when it leaves the view, a page at
// a time, unless the user panned away (a drag with the middle button, the
// wheel with Shift, or sideways); a seek, a zoom or the whole part follows
// again. A click on a lane's label chooses that lane (or none, clicked
// again). Hovering shows the time and the nine values under the pointer. It
// paints only in paintEvent, at most as often as it is told to
// follow. GUI thread.
class TimelinePane : public QWidget {
    Q_OBJECT

public:
    explicit TimelinePane(QWidget* parent = nullptr);
    ~TimelinePane() override;

    // What to draw; not owned, and must stay until the next call (null: nothing).
    void setSeries(const TimelineSeries* series);
    // The part of a show, [fromMs, endMs] in show time, seekable or not; the
    // view becomes the whole part.
    void setPart(int64_t fromMs, int64_t endMs, bool seekable);
    // A live input's last windowMs up to endMs, not seekable. The view moves
    // on by whole pixel columns: what was drawn is scrolled, and only the
    // columns it uncovers are painted.
    void followLive(int64_t endMs, int64_t windowMs);
    // The stretch drawn, within the part.
    void setView(int64_t startMs, int64_t endMs);
    int64_t viewStartMs() const { return m_viewStart; }
    int64_t viewEndMs() const { return m_viewEnd; }
    // The whole part again.
    void showWholePart();
    // Zooms in (factor < 1) or out around the playhead where it is in view,
    // else around the view's middle.
    void zoomBy(double factor);
    void setPlayhead(std::optional<int64_t> ms);
    void setColours(const std::array<QColor, kLanes>& colours);
    void setFirstChannel(int channel);
    // The axis counts from this time (the part's start).
    void setAxisZero(int64_t ms);
    // The lane whose label was clicked (again: none), which the jumps to the
    // next change look at alone.
    std::optional<int> selectedLane() const { return m_look.selectedLane; }
    // Values set by hand, drawn over the lanes; the span outlives the next call.
    void setMarks(std::span<const TimelineMark> marks);

    // Where the parts stand now, for tests and for the window's hit tests.
    TimelineLayout layout() const;
    // How long a pixel column of the view stands for.
    double msPerColumn() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    // The user clicked or dragged to ms from the start of the part.
    void seekRequested(qint64 ms);
    // The user zoomed: the stretch of the part now drawn.
    void viewChanged(qint64 startMs, qint64 endMs);

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void seekTo(double x);
    void showValuesAt(QPointF at, QPointF global);
    // Moves the view by ms within the part, as the user asked: it no longer follows.
    void panBy(int64_t ms);
    // The view becomes [startMs, startMs + span] within the part; says so.
    void moveView(int64_t startMs, int64_t span);
    TimelineLook look() const;

    const TimelineSeries* m_series = nullptr;
    int64_t m_partStart = 0;
    int64_t m_partEnd = 1000;
    int64_t m_viewStart = 0;
    int64_t m_viewEnd = 1000;
    bool m_seekable = false;
    bool m_follows = true;          // a zoomed view follows the playhead
    std::optional<double> m_dragX;  // a middle-button drag: where it stands
    int64_t m_dragViewStart = 0;    // and where the view stood when it began
    // A live view: the pixel column its end stands in, its window and plot width.
    int64_t m_liveColumn = -1;
    int64_t m_liveWindowMs = 0;
    int m_liveWidth = 0;
    TimelineLook m_look;
    mutable std::optional<TimelineLayout::Margins> m_margins;  // for the current font
};

}  // namespace vexohost

#endif  // HOST_TIMELINE_TIMELINEPANE_H_
