// SPDX-License-Identifier: GPL-3.0-or-later
// What the timeline writes, read back by other code than its writer's:
// --plot through Qt's PNG reader and Qt SVG's renderer, --export-csv parsed
// as text.

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QSvgRenderer>

#include "host/timeline/timelinelayout.h"
#include "tests/support/casename.h"
#include "tests/support/hostprogramtest.h"

namespace hosttest {
namespace {

using vexohost::TimelineLayout;

// Channel 1 full for 10 s, channel 5 from 10 s, channel 9 at half until 20 s;
// channel 3 flickers for one frame at 15 s. The part is 0..31 s.
const QByteArray kShow =
    "0 1=255 3=0 5=0 9=128\n"
    "10000 1=0 5=255\n"
    "15000 3=200\n"
    "15020 3=0\n"
    "20000 9=0\n"
    "30000 1=255\n";

class PlotFormats : public HostProgram, public testing::WithParamInterface<const char*> {};

TEST_P(PlotFormats, LanesShowTheValuesAtKnownMoments) {
    const QString show = writeFile("lanes.show", kShow);
    const QString out = path(QStringLiteral("plot.") + GetParam());
    const HostRun run = host({"--play", show, "--plot", out, "--plot-size", "1000x600"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    QImage image;
    if (out.endsWith(".svg")) {
        QSvgRenderer svg(out);
        ASSERT_TRUE(svg.isValid());
        ASSERT_EQ(svg.defaultSize(), QSize(1000, 600));
        image = QImage(svg.defaultSize(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        svg.render(&painter);
    } else {
        image = QImage(out);
        ASSERT_EQ(image.size(), QSize(1000, 600));
    }
    const TimelineLayout layout(QRect(0, 0, 1000, 600).adjusted(4, 4, -4, -2), QFontMetrics(QFont()), 0,
                                31000);
    auto filled = [&](int lane, int64_t ms, int value) {
        const QRgb p = image.pixel(int(layout.xOf(ms)), int(layout.yOf(lane, value)));
        return std::min({qRed(p), qGreen(p), qBlue(p)}) < 215;
    };
    struct Expected {
        int lane;
        int64_t ms;
        int value;
        bool filled;
    } const expected[] = {
        {0, 5000, 85, true},   {0, 5000, 235, true},  {0, 15000, 85, false}, {0, 30500, 235, true},
        {4, 5000, 85, false},  {4, 15000, 235, true}, {8, 5000, 85, true},   {8, 5000, 185, false},
        {8, 25000, 35, false}, {2, 10000, 35, false},
    };
    for (const Expected& e : expected)
        EXPECT_EQ(filled(e.lane, e.ms, e.value), e.filled)
            << "lane " << e.lane << " at " << e.ms << " ms, value " << e.value;
    // The one-frame flicker of channel 3 is marked in red at the top of its lane.
    const int x = int(layout.xOf(15000)), top = layout.lane(2).top() + 1;
    bool red = false;
    for (int dx = -2; dx <= 3; ++dx)
        for (int dy = 0; dy < 4; ++dy) {
            const QRgb p = image.pixel(x + dx, top + dy);
            red |= qRed(p) > 160 && qGreen(p) < 110 && qBlue(p) < 110;
        }
    EXPECT_TRUE(red);
}

INSTANTIATE_TEST_SUITE_P(Readers, PlotFormats, testing::Values("png", "svg"), testsupport::CaseName());

struct CsvCase {
    const char* name;
    QStringList options;
    const char* header;
    std::vector<const char*> rows;
    const char* show = nullptr;        // kShow when null
    std::vector<const char*> saved{};  // the moments of --save-show, when given
};

class ExportedValues : public HostProgram, public testing::WithParamInterface<CsvCase> {};

// ... and the saved show holds the same moments, at the show's own times.
TEST_P(ExportedValues, ParseBackToWhatWasSent) {
    const CsvCase& c = GetParam();
    const QString show = writeFile("lanes.show", c.show ? QByteArray(c.show) : kShow);
    const QString out = path("values.csv");
    const HostRun run =
        host(QStringList{"--play", show, "--export-csv", out, "--save-show", "saved.show"} + c.options);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    if (!c.saved.empty()) {
        QFile saved(path("saved.show"));
        ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
        QStringList moments = QString::fromUtf8(saved.readAll()).split('\n', Qt::SkipEmptyParts);
        moments.removeFirst();  // what the file is
        EXPECT_EQ(moments, QStringList(c.saved.begin(), c.saved.end()));
    }
    QFile file(out);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.front(), c.header);
    EXPECT_EQ(lines.mid(1), QStringList(c.rows.begin(), c.rows.end()));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ExportedValues,
    testing::Values(CsvCase{"Whole",
                            {},
                            "ms,ch1,ch2,ch3,ch4,ch5,ch6,ch7,ch8,ch9",
                            {"0,255,,0,,0,,,,128", "10000,0,,0,,255,,,,128", "15000,0,,200,,255,,,,128",
                             "15020,0,,0,,255,,,,128", "20000,0,,0,,255,,,,0", "30000,255,,0,,255,,,,0"}},
                    // From 0:12, the state reached first; channel 1 is not a lane at base 3.
                    CsvCase{"FromAtBaseThree",
                            {"--from", "12000", "--base", "3"},
                            "ms,ch3,ch4,ch5,ch6,ch7,ch8,ch9,ch10,ch11",
                            {"12000,0,,255,,,,128,,", "15000,200,,255,,,,128,,", "15020,0,,255,,,,128,,",
                             "20000,0,,255,,,,0,,"}},
                    // Each pass starts dark where the part's start is: channel 2 goes out at 2 s.
                    CsvCase{"LoopedPassesStartAlike",
                            {"--loop", "--duration", "4.5"},
                            "ms,ch1,ch2,ch3,ch4,ch5,ch6,ch7,ch8,ch9",
                            {"0,255,,,,,,,,", "500,255,255,,,,,,,", "1000,0,255,,,,,,,", "2000,255,0,,,,,,,",
                             "2500,255,255,,,,,,,", "3000,0,255,,,,,,,", "4000,255,0,,,,,,,"},
                            "0 1=255\n500 2=255\n1000 1=0\n",
                            {"0 1=255", "500 2=255", "1000 1=0", "2000 2=0 1=255", "2500 2=255", "3000 1=0",
                             "4000 2=0 1=255"}},
                    // Saved in show time however fast it plays or is recorded; 10 ms apart stay apart.
                    CsvCase{"SpeedAndRecordingKeepShowTime",
                            {"--speed", "10", "--record", "film.gif"},
                            "ms,ch1,ch2,ch3,ch4,ch5,ch6,ch7,ch8,ch9",
                            {"0,1,,,,,,,,", "2000,1,2,,,,,,,", "2010,1,2,3,,,,,,", "3000,0,2,3,,,,,,"},
                            "0 1=1\n2000 2=2\n2010 3=3\n3000 1=0\n",
                            {"0 1=1", "2000 2=2", "2010 3=3", "3000 1=0"}},
                    // Values out of range, channels outside the nine, one channel twice in a
                    // moment: the values as sent (the last of a moment), every channel saved.
                    CsvCase{"OddMoments",
                            {},
                            "ms,ch1,ch2,ch3,ch4,ch5,ch6,ch7,ch8,ch9",
                            {"0,20,-5,,,,,,,", "100,20,-5,,,,,,,1"},
                            "0 1=300 2=-5 700=9 0=4\n0 1=10 1=20\n100 9=1 -3=2\n",
                            {"0 1=300 2=-5 700=9 0=4 1=10 1=20", "100 9=1 -3=2"}}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace hosttest
