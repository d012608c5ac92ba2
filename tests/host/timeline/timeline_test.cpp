// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <functional>
#include <map>
#include <random>
#include <vector>

#include "host/timeline/livetrace.h"
#include "host/timeline/overview.h"
#include "host/timeline/timelinelayout.h"
#include "host/timeline/timelinepainter.h"
#include "host/timeline/timelinepane.h"
#include "tests/support/casename.h"

namespace vexohost {
namespace {

struct Moment {
    int64_t ms;
    int32_t channel;
    int32_t value;
};

// What an overview of [from, to] must hold, worked out plainly: the bucket
// length is the least power of two that puts the part's last moment in the
// last of 4,096 buckets, and each bucket has the least, greatest and last of
// the values that changed its lane in it.
struct Model {
    int64_t bucketMs = 1;
    std::map<std::pair<int, int64_t>, LaneBucket> buckets;  // (lane, index)
    std::array<int16_t, kLanes> before;
};

Model model(const std::vector<Moment>& show, int64_t from, std::optional<int64_t> to, int32_t first,
            int64_t endMs) {
    Model m;
    m.before.fill(TimelineSeries::kNoValue);
    int64_t last = std::max(from, endMs);
    for (const Moment& e : show)
        if (!to || e.ms <= *to) last = std::max(last, e.ms);
    while ((last - from) / m.bucketMs >= TimelineOverview::kBuckets) m.bucketMs *= 2;
    std::array<std::optional<int16_t>, kLanes> now{};
    for (const Moment& e : show) {
        const int lane = e.channel - first;
        if (lane < 0 || lane >= kLanes || (to && e.ms > *to)) continue;
        const int16_t v = laneValue(e.value);
        if (now[size_t(lane)] == v) continue;
        now[size_t(lane)] = v;
        if (e.ms < from) {
            m.before[size_t(lane)] = v;
            continue;
        }
        m.buckets[{lane, (e.ms - from) / m.bucketMs}].take(v);
    }
    return m;
}

std::vector<Moment> generated(int moments, int64_t spanMs, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<Moment> show;
    for (int i = 0; i < moments; ++i) {
        const int64_t ms = spanMs * i / moments;
        // Channels 0..12 around the lanes, values with a few out of range and repeats.
        show.push_back({ms, int32_t(random() % 13), int32_t(random() % 280) - 10});
        if (random() % 4 == 0) show.push_back({ms, int32_t(random() % 13), int32_t(random() % 3) * 100});
    }
    return show;
}

struct OverviewCase {
    const char* name;
    int moments;
    int64_t spanMs;
    int64_t from;
    std::optional<int64_t> to;
    int32_t first;
};

class OverviewAgainstModel : public testing::TestWithParam<OverviewCase> {};

TEST_P(OverviewAgainstModel, HoldsMinMaxAndLastPerBucket) {
    const OverviewCase& c = GetParam();
    const std::vector<Moment> show = generated(c.moments, c.spanMs, 7);
    TimelineOverview overview(c.from, c.to, c.first);
    ShowBatch batch;
    for (size_t i = 0; i < show.size();) {
        batch.timeMs = show[i].ms;
        batch.messages.clear();
        for (; i < show.size() && show[i].ms == batch.timeMs; ++i)
            batch.messages.push_back(HostMessage::channelValue(show[i].channel, show[i].value));
        overview.take(batch);
    }
    const int64_t end = c.to.value_or(c.spanMs + 1000);
    overview.setEndMs(end);
    const Model m = model(show, c.from, c.to, c.first, end);

    ASSERT_EQ(overview.bucketMs(), m.bucketMs);
    EXPECT_LE(overview.endIndex(), TimelineOverview::kBuckets);
    for (int lane = 0; lane < kLanes; ++lane) {
        EXPECT_EQ(overview.valueBefore(lane), m.before[size_t(lane)]) << "lane " << lane;
        for (int64_t i = 0; i < overview.endIndex(); ++i) {
            LaneBucket got = overview.bucket(lane, i);
            got.flags &= LaneBucket::kSet;  // flickers are checked on their own
            const auto expected = m.buckets.find({lane, i});
            const LaneBucket want = expected == m.buckets.end() ? LaneBucket() : expected->second;
            ASSERT_EQ(got, want) << "lane " << lane << " bucket " << i;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Shows, OverviewAgainstModel,
                         testing::Values(OverviewCase{"HourLongerThanTheBuckets", 200000, 3600000, 0, {}, 1},
                                         OverviewCase{"ShorterThanTheBuckets", 500, 2000, 0, {}, 1},
                                         OverviewCase{"ManyAtEqualTimes", 20000, 50, 0, {}, 1},
                                         OverviewCase{"FromAndTo", 50000, 600000, 120000, 480000, 1},
                                         OverviewCase{"FromPastEverySecondMoment", 5000, 60000, 30000, {}, 3},
                                         OverviewCase{"BaseAddressFive", 30000, 100000, 0, 90000, 5}),
                         [](const auto& info) { return info.param.name; });

// A value that lasts less than two frames and gives way to the value before
// it is a flicker; a step, a fade or a short value that goes elsewhere is not.
struct FlickerCase {
    const char* name;
    std::vector<std::pair<int64_t, int32_t>> changes;
    std::vector<int64_t> flickersAt;
};

class Flickers : public testing::TestWithParam<FlickerCase> {};

TEST_P(Flickers, AreMarkedWhereTheyBegin) {
    const FlickerCase& c = GetParam();
    TimelineOverview overview(0, std::nullopt, 1);
    LiveTrace trace;
    for (const auto& [ms, value] : c.changes) {
        overview.take(ms, 1, value);
        trace.take(ms, 0, value);
    }
    overview.setEndMs(4000);  // 1 ms buckets
    std::vector<int64_t> marked, tracedAt;
    for (int64_t i = 0; i < overview.endIndex(); ++i)
        if (overview.bucket(0, i).flags & LaneBucket::kGlitch) marked.push_back(i);
    for (int64_t i = trace.firstIndex(); i < trace.endIndex(); ++i)
        if (trace.bucket(0, i).flags & LaneBucket::kGlitch) tracedAt.push_back(i * LiveTrace::kBucketMs);
    EXPECT_EQ(marked, c.flickersAt);
    std::vector<int64_t> expectedTrace;
    for (const int64_t at : c.flickersAt)
        expectedTrace.push_back(at / LiveTrace::kBucketMs * LiveTrace::kBucketMs);
    EXPECT_EQ(tracedAt, expectedTrace);
}

INSTANTIATE_TEST_SUITE_P(
    Lanes, Flickers,
    testing::Values(FlickerCase{"OneFrameAndBack", {{0, 100}, {1000, 255}, {1023, 100}}, {1000}},
                    FlickerCase{"DarkForOneFrame", {{0, 200}, {2000, 0}, {2030, 200}}, {2000}},
                    FlickerCase{"SentAgainInBetween", {{0, 200}, {2000, 0}, {2020, 0}, {2040, 200}}, {2000}},
                    FlickerCase{"HeldForThreeFrames", {{0, 100}, {1000, 255}, {1070, 100}}, {}},
                    FlickerCase{"GoesElsewhere", {{0, 100}, {1000, 255}, {1020, 200}}, {}},
                    FlickerCase{"Fade", {{0, 0}, {23, 10}, {45, 20}, {68, 30}, {91, 40}}, {}},
                    FlickerCase{"FirstValues", {{0, 100}, {10, 0}}, {}}),
    [](const auto& info) { return info.param.name; });

TEST(LiveTraceGaps, SilenceIsAGapFromTheLastFrameUntilDataComesAgain) {
    LiveTrace trace;
    trace.take(0, 4, 200);
    trace.advance(1000, 1000);  // receiving
    trace.advance(2000, 2000);
    // No data is known at 5 s, the last frame having come at 2 s.
    trace.advance(5000, 2000);
    trace.advance(6000, 2000);
    trace.take(7000, 4, 50);
    trace.advance(8000, 8000);
    auto at = [&](int64_t ms) { return trace.bucket(4, ms / LiveTrace::kBucketMs); };
    for (const int64_t ms : {20, 1000, 1980, 2000}) EXPECT_FALSE(at(ms).flags & LaneBucket::kGap) << ms;
    for (const int64_t ms : {2040, 3000, 4980, 5000, 6000, 6980})
        EXPECT_TRUE(at(ms).flags & LaneBucket::kGap) << ms;
    EXPECT_TRUE(at(7000).isSet());
    EXPECT_FALSE(at(7500).flags & LaneBucket::kGap);
}

TEST(LiveTraceRing, KeepsTenMinutesAndWhatTheLanesHeldBefore) {
    LiveTrace trace;
    trace.take(0, 0, 80);
    trace.take(1000, 1, 90);
    trace.take(700000, 1, 30);  // past the ring: the first minutes left it
    EXPECT_EQ(trace.endIndex() - trace.firstIndex(), LiveTrace::kBuckets);
    EXPECT_EQ(trace.valueBefore(0), 80);
    EXPECT_EQ(trace.valueBefore(1), 90);
    EXPECT_EQ(trace.valueBefore(2), TimelineSeries::kNoValue);
    EXPECT_EQ(trace.bucket(1, 700000 / LiveTrace::kBucketMs).last, 30);
}

// What the painter makes of a lane, read back from the pixels.
class Painted : public testing::Test {
protected:
    QImage paint(const TimelineSeries& series, int64_t start, int64_t end,
                 std::span<const TimelineMark> marks = {}) {
        QImage image(900, 400, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
        m_layout.emplace(image.rect(), painter.fontMetrics(), start, end);
        TimelineLook look;
        for (QColor& colour : look.colours) colour = QColor(0, 0, 200);
        look.marks = marks;
        paintTimeline(painter, *m_layout, series, look);
        return image;
    }
    // The pixel just above the bottom of a lane at a moment, and one at value v.
    QRgb at(const QImage& image, int lane, int64_t ms, int value) const {
        return image.pixel(int(m_layout->xOf(ms)) + 1, int(m_layout->yOf(lane, value)) + 1);
    }
    std::optional<TimelineLayout> m_layout;
};

// olad unreachable is cross-hatched, no frames from a reachable one hatched one way.
TEST_F(Painted, GapsOfNoSourceAndOfNoFramesDiffer) {
    LiveTrace trace;
    trace.take(0, 2, 255);
    trace.advance(2000, 2000);
    trace.advance(6000, 2000, true);  // olad gone from 2 s
    trace.take(8000, 2, 255);
    trace.advance(10000, 10000);
    trace.advance(14000, 10000);  // no frames from 10 s
    trace.take(16000, 2, 255);
    trace.advance(18000, 18000);
    const QImage image = paint(trace, 0, 18000);
    // Cross-hatching has lines both ways: in a small square, grey pixels on both diagonals' directions.
    auto crossed = [&](int64_t ms) {
        const int x0 = int(m_layout->xOf(ms)), y0 = m_layout->lane(2).top() + 4;
        int rising = 0, falling = 0;
        for (int y = y0; y < y0 + 16; ++y)
            for (int x = x0; x < x0 + 16; ++x) {
                auto grey = [&](int px, int py) { return qGray(image.pixel(px, py)) < 225; };
                rising += grey(x, y) && grey(x + 1, y - 1);
                falling += grey(x, y) && grey(x + 1, y + 1);
            }
        return rising > 4 && falling > 4;
    };
    EXPECT_TRUE(crossed(4000));
    EXPECT_FALSE(crossed(12000));
}

TEST_F(Painted, LiveGapIsHatchedNotHeld) {
    LiveTrace trace;
    trace.take(0, 2, 255);
    trace.advance(4000, 4000);
    trace.advance(10000, 4000);  // no data from 4 s
    trace.take(12000, 2, 255);
    trace.advance(16000, 16000);
    const QImage image = paint(trace, 0, 16000);
    auto isFill = [](QRgb p) { return qBlue(p) > 150 && qRed(p) < 150; };
    // Held at full before the gap and after it; in it, white and grey hatching only.
    EXPECT_TRUE(isFill(at(image, 2, 2000, 128)));
    EXPECT_TRUE(isFill(at(image, 2, 14000, 128)));
    int grey = 0;
    for (int64_t ms = 5000; ms < 11000; ms += 100) {
        EXPECT_FALSE(isFill(at(image, 2, ms, 128))) << ms;
        for (int value = 0; value < 256; value += 8) {
            const QRgb p = at(image, 2, ms, value);
            grey += qRed(p) == qGreen(p) && qGreen(p) == qBlue(p) && qRed(p) < 240;
        }
    }
    EXPECT_GT(grey, 50);
}

TEST_F(Painted, FlickerIsMarkedInRedOverItsLane) {
    TimelineOverview overview(0, std::nullopt, 1);
    overview.take(0, 6, 100);
    overview.take(5000, 6, 0);
    overview.take(5020, 6, 100);
    overview.setEndMs(10000);
    const QImage image = paint(overview, 0, 10000);
    auto red = [](QRgb p) { return qRed(p) > 180 && qGreen(p) < 80 && qBlue(p) < 80; };
    const int lane = 5, top = m_layout->lane(lane).top() + 1;
    const int x = int(m_layout->xOf(5000));
    EXPECT_TRUE(red(image.pixel(x, top)) || red(image.pixel(x + 1, top)));
    for (const int64_t ms : {1000, 8000}) EXPECT_FALSE(red(image.pixel(int(m_layout->xOf(ms)), top))) << ms;
}

// The time axis of a minute to a hundred days: at least three labels, each
// readable apart from the next (dark columns in runs no wider than a label).
TEST_F(Painted, AxisLabelsStandApartAtEveryLength) {
    for (const int64_t span : {60000LL, 3600000LL, 30LL * 86400000, 100LL * 86400000}) {
        TimelineOverview overview(0, span, 1);
        overview.take(0, 1, 100);
        overview.setEndMs(span);
        const QImage image = paint(overview, 0, span);
        const QRect axis = m_layout->axis();
        const int widest =
            QFontMetrics(QFont(QStringLiteral("DejaVu Sans"), 8)).horizontalAdvance(formatAxisTime(span));
        // A label's characters stand a pixel or two apart; labels stand apart by far more.
        int labels = 0, start = 0, last = -100, longest = 0;
        for (int x = 0; x < image.width(); ++x) {
            bool dark = false;
            for (int y = axis.top() + 4; y < axis.bottom(); ++y) dark |= qGray(image.pixel(x, y)) < 160;
            if (!dark) continue;
            if (x - last > 4) start = x, ++labels;
            last = x;
            longest = std::max(longest, x - start + 1);
        }
        EXPECT_GE(labels, 3) << span;
        EXPECT_LE(longest, widest + 2) << span;
    }
    // A live trace's first seconds: no time before its zero is told (no "-0:10").
    LiveTrace trace;
    trace.take(0, 0, 100);
    trace.advance(50000, 50000);
    const QImage image = paint(trace, -10000, 50000);
    const QRect row = m_layout->timeRow();
    bool before = false;
    for (int x = row.left(); x < int(m_layout->xOf(0)) - 16; ++x)
        for (int y = row.top() + 4; y < row.bottom(); ++y) before |= qGray(image.pixel(x, y)) < 160;
    EXPECT_FALSE(before);
}

// 300 is drawn as 255 and -5 as 0, each with an orange bar at that edge of its lane.
TEST_F(Painted, ValuesOutOfRangeAreMarkedAtTheirEdge) {
    TimelineOverview overview(0, std::nullopt, 1);
    overview.take(0, 3, 100);
    overview.take(2000, 3, 300);
    overview.take(4000, 3, -5);
    overview.take(6000, 3, 100);
    overview.setEndMs(8000);
    const QImage image = paint(overview, 0, 8000);
    auto orange = [](QRgb p) { return qRed(p) > 200 && qGreen(p) > 90 && qGreen(p) < 170 && qBlue(p) < 60; };
    const QRect lane = m_layout->lane(2);
    const struct {
        int64_t ms;
        bool top, bottom;
    } marks[] = {{1000, false, false}, {3000, true, false}, {5000, false, true}, {7000, false, false}};
    for (const auto& m : marks) {
        const int x = int(m_layout->xOf(m.ms)) + 1;
        EXPECT_EQ(orange(image.pixel(x, lane.top() + 1)), m.top) << m.ms;
        EXPECT_EQ(orange(image.pixel(x, lane.bottom() - 1)), m.bottom) << m.ms;
    }
}

// A value a fader set while the show played is a dark diamond at that value, there alone.
TEST_F(Painted, ValueSetByHandIsMarkedWhereItWasSet) {
    TimelineOverview overview(0, std::nullopt, 1);
    overview.take(0, 4, 0);
    overview.setEndMs(8000);
    const TimelineMark marks[] = {{3000, 3, 200}};
    const QImage image = paint(overview, 0, 8000, marks);
    auto dark = [&](int64_t ms, int value) { return qGray(at(image, 3, ms, value)) < 60; };
    EXPECT_TRUE(dark(3000, 200) || dark(2990, 200));
    EXPECT_FALSE(dark(3000, 40));
    EXPECT_FALSE(dark(6000, 200));
}

// A zoomed view of a minute: each step as the user or the player takes it,
// and where the view of 10 s stands after it.
TEST(TimelinePaneView, FollowsThePlayheadUntilPannedAway) {
    TimelinePane pane;
    pane.resize(640, 240);
    pane.setPart(0, 60000, true);
    pane.zoomBy(1.0 / 6);  // around the middle: 25..35 s
    auto wheel = [&](QPoint angle, Qt::KeyboardModifiers modifiers) {
        const QPointF at(300, 100);
        QWheelEvent event(at, pane.mapToGlobal(at), QPoint(), angle, Qt::NoButton, modifiers,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(&pane, &event);
    };
    auto middle = [&](QEvent::Type type, double x, Qt::MouseButtons buttons) {
        QMouseEvent event(type, QPointF(x, 100), pane.mapToGlobal(QPointF(x, 100)), Qt::MiddleButton, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(&pane, &event);
    };
    const double column = pane.msPerColumn();
    const struct {
        const char* step;
        std::function<void()> act;
        int64_t viewStart;
    } steps[] = {
        {"zoomed", [] {}, 25000},
        {"playhead in view", [&] { pane.setPlayhead(30000); }, 25000},
        {"playhead leaves it: a page on", [&] { pane.setPlayhead(36000); }, 35000},
        {"Shift+wheel down: later", [&] { wheel(QPoint(0, -120), Qt::ShiftModifier); }, 36000},
        {"panned away: no page turned", [&] { pane.setPlayhead(47000); }, 36000},
        {"sideways wheel: earlier", [&] { wheel(QPoint(120, 0), Qt::NoModifier); }, 35000},
        {"middle drag 100 columns left: later",
         [&] {
             middle(QEvent::MouseButtonPress, 300, Qt::MiddleButton);
             middle(QEvent::MouseMove, 200, Qt::MiddleButton);
             middle(QEvent::MouseButtonRelease, 200, Qt::NoButton);
         },
         35000 + int64_t(100 * column)},
        {"zoom follows again",
         [&] {
             pane.zoomBy(1.0);
             pane.setPlayhead(58000);
         },
         50000},
        {"0: the whole part", [&] { pane.showWholePart(); }, 0},
    };
    for (const auto& s : steps) {
        s.act();
        EXPECT_NEAR(pane.viewStartMs(), s.viewStart, column) << s.step;
        EXPECT_NEAR(pane.viewEndMs() - pane.viewStartMs(),
                    s.viewStart == 0 && pane.viewEndMs() == 60000 ? 60000 : 10000, 2)
            << s.step;
    }
}

// A live pane moves its pixels and draws only what it uncovers; what stands
// on the screen after a run of steps is what a pane drawn whole shows.
TEST(TimelinePaneView, LiveStepsLeaveWhatAWholePaintShows) {
    TimelinePane pane;
    pane.resize(640, 240);
    LiveTrace trace;
    pane.setSeries(&trace);
    pane.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&pane));
    std::mt19937 random(7);
    for (int64_t ms = 0; ms <= 25000; ms += 100) {
        for (int lane = 0; lane < 9; ++lane)
            if (random() % 3 == 0) trace.take(ms, lane, int32_t(random() % 256));
        trace.advance(ms, ms);
        pane.followLive(ms, 10000);
        QCoreApplication::processEvents();
    }
    const QImage shown =
        pane.screen()->grabWindow(pane.winId()).toImage().convertToFormat(QImage::Format_RGB32);
    const QImage whole = pane.grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), whole.size());
    int differing = 0;
    for (int y = 0; y < whole.height(); ++y)
        for (int x = 0; x < whole.width(); ++x) differing += shown.pixel(x, y) != whole.pixel(x, y);
    EXPECT_EQ(differing, 0);
}

// Hovering says the time and the nine values there, and seeks nowhere.
TEST(TimelinePaneView, HoverSaysTheTimeAndTheNineValues) {
    TimelineOverview overview(0, 10000, 1);
    overview.take(0, 1, 255);
    overview.take(0, 3, 300);
    overview.take(5000, 1, 40);
    overview.setEndMs(10000);
    TimelinePane pane;
    pane.resize(900, 300);
    pane.setPart(0, 10000, true);
    pane.setSeries(&overview);
    bool sought = false;
    QObject::connect(&pane, &TimelinePane::seekRequested, [&] { sought = true; });
    const struct {
        int64_t ms;
        const char *time, *values;  // to the millisecond: a pixel column is 12 ms
    } rows[] = {{2500, "0:02.5", "\nch 1\t255\nch 2\t–\nch 3\t> 255\n"},
                {7500, "0:07.5", "\nch 1\t40\nch 2\t–\n"}};
    for (const auto& row : rows) {
        const QPointF at(pane.layout().xOf(row.ms) + 0.5, pane.layout().lane(4).center().y());
        QMouseEvent move(QEvent::MouseMove, at, pane.mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(&pane, &move);
        const QString said = QToolTip::text();
        EXPECT_TRUE(said.startsWith(QString::fromUtf8(row.time)) && said.section('\n', 0, 0).size() == 8 &&
                    said.contains(QString::fromUtf8(row.values)))
            << said.toStdString();
    }
    EXPECT_FALSE(sought);
}

}  // namespace
}  // namespace vexohost
