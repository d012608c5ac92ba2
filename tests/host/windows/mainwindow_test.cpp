// SPDX-License-Identifier: GPL-3.0-or-later
// vexo-host's main window in this process, worked through its widgets as a
// user works it: the status line in every situation, the nine readouts, the
// show player, the live chooser and what the window remembers.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <array>
#include <cmath>
#include <functional>
#include <memory>

#include "host/app/framerate.h"
#include "host/app/hostapp.h"
#include "host/app/hostsettings.h"
#include "host/outputs/snapshot.h"
#include "host/timeline/timelinepane.h"
#include "host/windows/channelreadouts.h"
#include "host/windows/nimbocolours.h"
#include "host/windows/statustext.h"
#include "tests/host/windows/hostwindowtest.h"
#include "tests/ola/dmxsender.h"
#include "tests/ola/hostileserver.h"
#include "tests/ola/oladsandbox.h"
#include "tests/support/casename.h"
#include "tests/support/displaypictures.h"

namespace vexohost {
namespace {

// ---- The texts, on a clock of the test's own ----

struct Said {
    const char* name;
    std::function<QString()> text;
    const char* expected;
};

class StatusTexts : public testing::TestWithParam<Said> {};

TEST_P(StatusTexts, SayWhatTheInputIsDoing) {
    EXPECT_EQ(GetParam().text(), QString::fromUtf8(GetParam().expected));
}

// A source at `fps` frames a second, sampled every 250 ms for `ms` ms.
std::optional<double> rateAfter(double fps, int64_t ms, double thenFps = -1, int64_t thenMs = 0) {
    FrameRate rate;
    double frames = 0;
    for (int64_t t = 0; t <= ms + thenMs; t += 250) {
        rate.sample(t, uint64_t(frames));
        frames += (t < ms || thenFps < 0 ? fps : thenFps) / 4;
    }
    return rate.perSecond();
}

QString rateText(std::optional<double> fps) {
    return fps ? QString::number(*fps, 'f', 1) : QStringLiteral("unknown");
}

INSTANTIATE_TEST_SUITE_P(
    Table, StatusTexts,
    testing::Values(
        Said{"demo",
             [] {
                 return showStatus({QStringLiteral("demo"), 7400, 19000});
             },
             "demo 0:07 / 0:19"},
        Said{"looping",
             [] {
                 return showStatus({QStringLiteral("show.txt"), 62000, 270000, true});
             },
             "show.txt 1:02 / 4:30 (looping)"},
        Said{"pausedWhileLooping",
             [] {
                 return showStatus({QStringLiteral("show.txt"), 62000, 270000, true, true});
             },
             "show.txt 1:02 / 4:30 (paused)"},
        Said{"ended",
             [] {
                 return showStatus({QStringLiteral("show.txt"), 270000, 270000, false, false, true});
             },
             "show.txt ended at 4:30"},
        Said{"overAnHourFromAPipe",
             [] {
                 return showStatus({QStringLiteral("fifo"), 3723999, {}});
             },
             "fifo 1:02:03"},
        Said{"live", [] { return liveStatus(1, 43.94); }, "universe 1 from olad: 43.9 frames/s"},
        Said{"liveBeforeTheRateIsKnown", [] { return liveStatus(7, {}); }, "universe 7 from olad"},
        // Three frame intervals without a frame, or a second when none came in the last.
        Said{"liveWithinThreeFrames", [] { return liveStatus(1, 44.0, 60); },
             "universe 1 from olad: 44.0 frames/s"},
        Said{"liveQuietForThreeFrames", [] { return liveStatus(1, 44.0, 100); },
             "universe 1 from olad: last frame 0.1 s ago"},
        Said{"liveQuietForASecond", [] { return liveStatus(1, 0.0, 1530); },
             "universe 1 from olad: last frame 1.5 s ago"},
        Said{"noData", [] { return noDataStatus(1, 3999); }, "universe 1: no data for 3 s"},
        Said{"standardInput", [] { return standardInputStatus(1204, false); }, "standard input: 1,204 lines"},
        Said{"standardInputEnded", [] { return standardInputStatus(1, true); },
             "standard input ended after 1 line"},
        Said{"failures",
             [] { return failureStatus(1204, QStringLiteral("channel 3 = 120: run-time error 53")); },
             "1,204 failures, the last: channel 3 = 120: run-time error 53"},
        // The frame rate over the last two seconds of samples.
        Said{"rateSteady", [] { return rateText(rateAfter(44, 5000)); }, "44.0"},
        Said{"rateNotBeforeASecond", [] { return rateText(rateAfter(44, 750)); }, "unknown"},
        Said{"rateFollowsAChange", [] { return rateText(rateAfter(44, 5000, 10, 2500)); }, "10.0"},
        Said{"rateOfAStoppedSource", [] { return rateText(rateAfter(44, 5000, 0, 2500)); }, "0.0"},
        Said{"rateASecondAfterAStop", [] { return rateText(rateAfter(44, 5000, 0, 1000)); }, "0.0"},
        Said{"rateHalfASecondAfterAStop", [] { return rateText(rateAfter(44, 5000, 0, 500)); }, "22.0"}),
    [](const auto& info) { return std::string(info.param.name); });

// -1: a value the display ignores.
TEST(ChannelReadouts, GlowLevelsAtEveryBandEdge) {
    const std::array<std::pair<int32_t, int>, 17> edges = {{{-1, 1},
                                                            {0, 0},
                                                            {1, 1},
                                                            {9, 1},
                                                            {10, 2},
                                                            {59, 2},
                                                            {60, 3},
                                                            {109, 3},
                                                            {110, 4},
                                                            {159, 4},
                                                            {160, 5},
                                                            {209, 5},
                                                            {210, 6},
                                                            {255, 6},
                                                            {256, -1},
                                                            {INT32_MAX, -1},
                                                            {INT32_MIN, 1}}};
    for (const auto& [value, level] : edges) EXPECT_EQ(glowLevel(value), level) << value;
}

// Each nimbo's colour is named from its envelope at every glow level alike:
// nine colours of ours, all different, each readable on white (3:1).
TEST(NimboColoursFromEnvelopes, OneColourPerEnvelopeWhateverItsGlow) {
    NimboColours colours;
    ASSERT_TRUE(colours.load(kImages));
    std::array<QColor, 9> first{};
    for (int level = 0; level <= 6; ++level) {
        std::array<int, 9> levels{};
        levels.fill(level);
        colours.sample(testsupport::expectedEnvelopes(kImages, levels));
        if (level == 0) first = colours.colours();
        EXPECT_EQ(colours.colours(), first) << "level " << level;
    }
    for (size_t k = 0; k < first.size(); ++k) {
        ASSERT_TRUE(first[k].isValid()) << k;
        EXPECT_GE(contrastRatio(first[k], Qt::white), 3.0) << k << " " << first[k].name().toStdString();
        for (size_t j = 0; j < k; ++j) EXPECT_NE(first[k], first[j]) << k << " and " << j;
    }
}

TEST(ClockTimes, ReadAsTyped) {
    const std::pair<const char*, std::optional<int64_t>> rows[] = {
        {"75", 75000},     {"1:15", 75000}, {"1:15.25", 75250}, {"1:02:03.5", 3723500},
        {" 0:00.001 ", 1}, {"1:75", {}},    {"1:60:00", {}},    {"", {}},
        {"-1", {}},        {"1:2:3:4", {}}, {"0:01.2345", {}}};
    for (const auto& [text, ms] : rows) EXPECT_EQ(parseClockTime(QString::fromLatin1(text)), ms) << text;
}

// ---- The window, through its widgets ----

class MainWindowTest : public HostWindowTest {};

// Open, pause, seek with the keys and the slider, loop: the display shows the
// state the show has at each moment, and the status line and readouts say it.
TEST_F(MainWindowTest, ShowPlayerDrivesTheDisplayToTheShowsState) {
    start();
    // 0: nimbo 0 at 235 (level 6), nimbo 4 at 135 (4); 5 s: nimbo 0 at 60 (3); 8 s: nimbo 1 at 10 (2).
    open(write("a.show", "0 1=235 5=135\n5000 1=60\n8000 2=10\n"));
    press(m_window, Qt::Key_Space);
    EXPECT_TRUE(shows({6, 0, 0, 0, 4, 0, 0, 0, 0}));
    EXPECT_EQ(status(), QStringLiteral("a.show 0:00 / 0:09 (paused)"));
    ChannelReadouts* readouts = m_window->findChild<ChannelReadouts*>();
    ASSERT_TRUE(waitUntil([&] { return readouts->shownValue(0) == 235; }, 1000));
    EXPECT_EQ(readouts->shownValue(4), 135);
    EXPECT_EQ(readouts->shownValue(1), std::nullopt);

    press(m_window, Qt::Key_Right);  // to 0:05
    EXPECT_TRUE(shows({3, 0, 0, 0, 4, 0, 0, 0, 0}));
    EXPECT_EQ(status(), QStringLiteral("a.show 0:05 / 0:09 (paused)"));
    QSlider* position = widget<QSlider>(QStringLiteral("Position"));
    position->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_TRUE(shows({3, 2, 0, 0, 4, 0, 0, 0, 0}));
    // Back to the start: nimbo 1 has no value there, so it is unlit again.
    position->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_TRUE(shows({6, 0, 0, 0, 4, 0, 0, 0, 0}));
    ASSERT_TRUE(waitUntil([&] { return readouts->shownValue(1) == 0; }, 1000));

    loopBox()->click();
    press(m_window, Qt::Key_Space);
    EXPECT_TRUE(status().endsWith(QStringLiteral(" / 0:09 (looping)"))) << "said: " << status().toStdString();
}

// A malformed show is said with its file, line and column, and nothing changes.
TEST_F(MainWindowTest, MalformedShowIsSaidAndPlaysNothing) {
    start();
    open(write("a.show", "0 1=235\n"));
    EXPECT_TRUE(shows({6, 0, 0, 0, 0, 0, 0, 0, 0}));
    QString said;
    open(write("bad.show", "0 1=10\n100 2=x\n"), &said);
    EXPECT_TRUE(said.contains(QStringLiteral("bad.show:2:"))) << said.toStdString();
    EXPECT_TRUE(status().startsWith(QStringLiteral("a.show "))) << status().toStdString();
    EXPECT_TRUE(shows({6, 0, 0, 0, 0, 0, 0, 0, 0}));
}

// Seeks back and forth, then quit: the values, the saved show and the
// snapshot end in the state the display shows, channels the seek left
// unlit included.
TEST_F(MainWindowTest, OutputsAfterASeekSayWhatTheDisplayShows) {
    m_options.input = InputKind::Play;
    m_options.showFile = write("a.show", "0 1=235\n2000 2=235\n3000 3=235\n9000 4=235\n");
    m_options.savedShowPath = m_dir.filePath("saved.show");
    m_options.csvPath = m_dir.filePath("values.csv");
    m_options.snapshotPath = m_dir.filePath("shot.png");
    start();
    press(m_window, Qt::Key_Space);
    press(m_window, Qt::Key_Right);  // to 0:05
    EXPECT_TRUE(shows({6, 6, 6, 0, 0, 0, 0, 0, 0}));
    press(m_window, Qt::Key_Left);  // back to 0:00
    EXPECT_TRUE(shows({6, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(m_app->finish(), kExitOk);
    m_app.reset();

    QFile csv(m_options.csvPath), saved(m_options.savedShowPath);
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly) && saved.open(QIODevice::ReadOnly));
    const QStringList rows = QString::fromUtf8(csv.readAll()).split('\n', Qt::SkipEmptyParts);
    EXPECT_TRUE(rows.back().endsWith(QStringLiteral(",235,0,0,,,,,,"))) << rows.back().toStdString();
    // Played again, the saved show ends lit as the display was.
    std::array<int32_t, 10> played{};
    for (const QString& line : QString::fromUtf8(saved.readAll()).split('\n'))
        for (const QString& pair : line.split(' ').mid(1))
            if (const QStringList cv = pair.split('='); cv.size() == 2)
                played.at(size_t(cv[0].toInt())) = cv[1].toInt();
    EXPECT_EQ(played, (std::array<int32_t, 10>{0, 235, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(testsupport::envelopeDifferences(QImage(m_options.snapshotPath), kImages,
                                               {6, 0, 0, 0, 0, 0, 0, 0, 0}),
              0);
}

// The base address moves the nimbos to other channels at once, and the
// readouts are labelled from it.
TEST_F(MainWindowTest, BaseAddressShiftsTheShowAtOnce) {
    m_options.input = InputKind::Play;
    m_options.showFile = write("a.show", "0 1=235 3=135 11=60\n");
    start();
    EXPECT_TRUE(shows({6, 0, 4, 0, 0, 0, 0, 0, 0}));
    widget<QSpinBox>(QStringLiteral("Base address"))->setValue(3);
    EXPECT_TRUE(shows({4, 0, 0, 0, 0, 0, 0, 0, 3}));
}

// Each state of a live universe as the status line says it: no olad, a
// server that drops every connection, frames at a console's pace, and
// frames that stop.
TEST_F(MainWindowTest, LiveUniverseStates) {
    start();
    auto connectTo = [&](quint16 port) {
        if (QPushButton* connected = findButton(QStringLiteral("Disconnect"))) connected->click();
        widget<QSpinBox>(QStringLiteral("Universe"))->setValue(1);
        widget<QLineEdit>(QStringLiteral("olad address"))->setText(QStringLiteral("127.0.0.1:%1").arg(port));
        button(QStringLiteral("Connect"))->click();
    };
    auto says = [&](const QString& pattern) {
        const QRegularExpression expression(QStringLiteral("^") + pattern + QStringLiteral("$"));
        const bool said = waitUntil([&] { return expression.match(status()).hasMatch(); }, 8000);
        EXPECT_TRUE(said) << "wanted " << pattern.toStdString() << ", said " << status().toStdString();
        return said;
    };
    const quint16 closed = olatest::OladSandbox::freePort();
    connectTo(closed);
    says(QStringLiteral("olad not running on 127.0.0.1:%1, retrying in .* s").arg(closed));
    {
        olatest::HostileServer dropper(olatest::HostileServer::Kind::Slams);
        connectTo(dropper.port());
        says(QStringLiteral("lost connection to olad on 127.0.0.1:%1.*").arg(dropper.port()));
    }
    if (!olatest::OladSandbox::unavailableReason().isEmpty()) GTEST_SKIP() << "no olad for the live states";
    olatest::OladSandbox olad;
    QString error;
    ASSERT_TRUE(olad.start(&error)) << error.toStdString();
    connectTo(olad.port());
    olatest::DmxSender sender(olad.port());
    ASSERT_TRUE(sender.connect());
    std::vector<uint8_t> frame(512, 0);
    QTimer pace;
    uint8_t value = 0;
    QObject::connect(&pace, &QTimer::timeout, [&] {
        std::fill(frame.begin(), frame.end(), ++value);
        sender.send(1, frame);
    });
    pace.start(25);  // 40 frames a second
    says(QStringLiteral("universe 1 from olad: (2[0-9]|3[0-9]|4[0-5])\\.\\d frames/s"));
    auto* readouts = m_window->findChild<ChannelReadouts*>();
    EXPECT_FALSE(readouts->isStale());
    // Stopped: said at once, the rate not left to decay; then no data, the readouts greyed.
    pace.stop();
    says(QStringLiteral("universe 1 from olad: last frame 0\\.[1-9] s ago"));
    says(QStringLiteral("universe 1: no data for [3-9] s"));
    EXPECT_TRUE(readouts->isStale());
    pace.start(25);
    says(QStringLiteral("universe 1 from olad.*"));
    EXPECT_TRUE(waitUntil([&] { return !readouts->isStale(); }, 1000));
    pace.stop();
    button(QStringLiteral("Disconnect"))->click();
    says(QStringLiteral("universe 1: disconnected"));
}

// Failures the host reports are counted in the window, the last one said.
TEST_F(MainWindowTest, FailuresAreCounted) {
    // The colour dialog reads its pictures when it is first opened.
    start();
    QLabel* failures = m_window->findChildren<QLabel*>().at(2);
    EXPECT_TRUE(failures->isHidden());
    ASSERT_TRUE(QFile::remove(m_dir.filePath("images/blau100.gif")));
    for (const QString& expected : {QStringLiteral("1 failure: Configure: run-time error 53"),
                                    QStringLiteral("2 failures, the last: Configure: run-time error 53")}) {
        button(QStringLiteral("Configure…"))->click();
        EXPECT_TRUE(
            waitUntil([&] { return failures->isVisible() && failures->text().startsWith(expected); }, 2000))
            << "said: " << failures->text().toStdString();
    }
    // Drawn readable on the window: a contrast of at least 4.5:1, as for body text.
    const QImage shown = failures->grab().toImage();
    auto luminance = [](QColor c) {
        auto channel = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
    };
    const double background = luminance(failures->palette().color(QPalette::Window));
    double darkest = background;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            darkest = std::min(darkest, luminance(shown.pixelColor(x, y)));
    EXPECT_GE((background + 0.05) / (darkest + 0.05), 4.5);
}

// Space makes a live input's timeline stand still and go on again, in any window.
TEST_F(MainWindowTest, SpaceFreezesALiveTimeline) {
    start();
    for (const bool frozen : {true, false}) {
        press(m_window, Qt::Key_Space);
        EXPECT_EQ(status().contains(QStringLiteral("timeline stands still")), frozen)
            << status().toStdString();
    }
}

// The Timeline box hides the pane and the window shrinks by it, so the box
// stays under the pointer; shown again, the lanes have their room.
TEST_F(MainWindowTest, TimelineBoxLeavesNoGapAndStaysPut) {
    start();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_window));
    QCheckBox* box = withText<QCheckBox>(QStringLiteral("Timeline"));
    QWidget* pane = m_window->findChild<TimelinePane*>();
    const int boxAt = box->mapTo(m_window, QPoint(0, 0)).y(), height = m_window->height();
    box->click();
    QTest::qWait(100);
    EXPECT_FALSE(pane->isVisible());
    EXPECT_NEAR(box->mapTo(m_window, QPoint(0, 0)).y(), boxAt, 3);
    EXPECT_LE(m_window->height(), height - pane->height());
    box->click();
    QTest::qWait(100);
    EXPECT_TRUE(pane->isVisible());
    EXPECT_NEAR(box->mapTo(m_window, QPoint(0, 0)).y(), boxAt, 3);
    EXPECT_GE(pane->height(), pane->sizeHint().height() - 2);
}

// After the faders, a Connect to an olad nobody runs: the readouts say "–"
// (nothing received), not the 0 the unlit display was sent.
TEST_F(MainWindowTest, ChannelsTheNewInputDidNotSendShowADash) {
    start();
    QWidget* faders = openFaders();
    ASSERT_TRUE(faders);
    faders->findChildren<QSlider*>().at(0)->setValue(200);
    ChannelReadouts* readouts = m_window->findChild<ChannelReadouts*>();
    ASSERT_TRUE(waitUntil([&] { return readouts->shownValue(0) == 200; }, 2000));
    widget<QLineEdit>(QStringLiteral("olad address"))->setText(QStringLiteral("127.0.0.1:1"));
    button(QStringLiteral("Connect"))->click();
    EXPECT_TRUE(waitUntil([&] { return !readouts->shownValue(0).has_value(); }, 2000));
    EXPECT_TRUE(shows({0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

// . and , go to the next and previous moment a lane changes (a value sent
// again is no change); with a lane's label clicked, that lane's only; a
// time typed where the show's time stands goes there.
TEST_F(MainWindowTest, KeysGoToChangesAndATypedTime) {
    m_options.input = InputKind::Play;
    m_options.showFile = write("a.show", "0 1=235\n2000 2=10\n2500 2=10\n4000 3=60\n6000 3=0\n");
    start();
    press(m_window, Qt::Key_Space);
    auto at = [&](const char* time) {
        return waitUntil([&] { return status().startsWith(QStringLiteral("a.show ") + time); }, 2000);
    };
    const struct {
        int key;
        const char* time;
        std::array<int, 9> levels;
    } steps[] = {{Qt::Key_Period, "0:02", {6, 2, 0, 0, 0, 0, 0, 0, 0}},
                 {Qt::Key_Period, "0:04", {6, 2, 3, 0, 0, 0, 0, 0, 0}},
                 {Qt::Key_Comma, "0:02", {6, 2, 0, 0, 0, 0, 0, 0, 0}}};
    for (const auto& step : steps) {
        press(m_window, step.key);
        EXPECT_TRUE(at(step.time)) << step.time << ": " << status().toStdString();
        EXPECT_TRUE(shows(step.levels)) << step.time;
    }
    // Lane 3 alone: from 0:02 on to its change at 0:06, past 0:04 and back.
    TimelinePane* pane = m_window->findChild<TimelinePane*>();
    const QRect lane = pane->layout().lane(2);
    QTest::mouseClick(pane, Qt::LeftButton, Qt::NoModifier, QPoint(lane.left() - 10, lane.center().y()));
    ASSERT_EQ(pane->selectedLane(), 2);
    press(m_window, Qt::Key_Period);
    press(m_window, Qt::Key_Period);
    EXPECT_TRUE(at("0:06")) << status().toStdString();
    QLineEdit* time = widget<QLineEdit>(QStringLiteral("Go to"));
    time->setFocus();
    time->setText(QStringLiteral("0:01.5"));
    QTest::keyClick(time, Qt::Key_Return);
    EXPECT_TRUE(at("0:01")) << status().toStdString();
    EXPECT_TRUE(shows({6, 0, 0, 0, 0, 0, 0, 0, 0}));
}

// Paused at the end where Right took it, one Space plays the show again from its start.
TEST_F(MainWindowTest, SpaceAtTheEndPlaysAgainFromTheStart) {
    m_options.input = InputKind::Play;
    m_options.showFile = write("a.show", "0 1=235\n2000 1=0\n");
    start();
    press(m_window, Qt::Key_Space);
    press(m_window, Qt::Key_Right);
    EXPECT_TRUE(shows({0, 0, 0, 0, 0, 0, 0, 0, 0}));
    press(m_window, Qt::Key_Space);
    EXPECT_TRUE(shows({6, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(status().startsWith(QStringLiteral("a.show 0:0"))) << status().toStdString();
    EXPECT_FALSE(status().contains(QStringLiteral("paused")) || status().contains(QStringLiteral("ended")))
        << status().toStdString();
}

// What the window remembers comes back in the next run; the command line
// overrides it for its run without being remembered; --reset-settings forgets.
TEST_F(MainWindowTest, SettingsRoundTrip) {
    start();
    widget<QSpinBox>(QStringLiteral("Base address"))->setValue(17);
    widget<QSpinBox>(QStringLiteral("Universe"))->setValue(4);
    m_window->setGeometry(40, 50, 700, 260);
    open(write("a.show", "0 1=235\n"));
    loopBox()->click();
    withText<QCheckBox>(QStringLiteral("Timeline"))->click();  // hidden
    const QRect where = m_window->geometry();
    m_app->finish();
    m_app.reset();

    HostSettings stored = HostSettings::load();
    EXPECT_EQ(stored.base, 17);
    EXPECT_EQ(stored.loop, true);
    EXPECT_EQ(stored.timelineShown, false);
    EXPECT_EQ(stored.lastShowFile, m_dir.filePath("a.show"));
    EXPECT_EQ(stored.universe, std::nullopt);  // chosen, not connected: not remembered

    m_options.input = InputKind::Play;
    m_options.showFile = m_dir.filePath("a.show");
    start();
    EXPECT_EQ(widget<QSpinBox>(QStringLiteral("Base address"))->value(), 17);
    EXPECT_TRUE(loopBox()->isChecked());
    EXPECT_FALSE(m_window->findChild<TimelinePane*>()->isVisible());
    EXPECT_EQ(m_window->geometry().size(), where.size());
    m_app->finish();
    m_app.reset();

    m_options.base = 3;
    m_options.baseGiven = true;
    start();
    EXPECT_EQ(widget<QSpinBox>(QStringLiteral("Base address"))->value(), 3);
    m_app->finish();
    m_app.reset();
    EXPECT_EQ(HostSettings::load().base, 17);

    m_options.base = 1;
    m_options.baseGiven = false;
    m_options.resetSettings = true;
    start();
    EXPECT_EQ(widget<QSpinBox>(QStringLiteral("Base address"))->value(), 1);
    EXPECT_FALSE(loopBox()->isChecked());
}

// A run stores only what it changed, into the file as it is at its end: what
// another run stored meanwhile stays. A file far larger than ours is neither
// read nor rewritten; --reset-settings removes it.
TEST_F(MainWindowTest, SettingsKeepWhatOthersStoredAndLeaveForeignFilesAlone) {
    start();
    HostSettings other;
    other.base = 9;
    other.lastShowFile = QStringLiteral("/other.show");
    ASSERT_TRUE(other.save());
    m_app->finish();
    m_app.reset();
    EXPECT_EQ(HostSettings::load().base, 9);
    EXPECT_EQ(HostSettings::load().lastShowFile, QStringLiteral("/other.show"));

    const QByteArray foreign =
        QByteArray("[channels]\nbase=4\n") + QByteArray(HostSettings::kMaxFileBytes, '#');
    {
        QFile file(HostSettings::fileName());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(foreign);
    }
    start();
    EXPECT_EQ(widget<QSpinBox>(QStringLiteral("Base address"))->value(), 1);
    widget<QSpinBox>(QStringLiteral("Base address"))->setValue(12);
    m_app->finish();
    m_app.reset();
    QFile file(HostSettings::fileName());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll() == foreign);
    HostSettings::reset();
    EXPECT_FALSE(QFile::exists(HostSettings::fileName()));
}

// A FIFO where the settings live is no file of ours: the start does not wait
// for a writer, the windows come up with the defaults, and it is left as it
// was. Naming the file is QSettings' own name for it, without opening it.
TEST_F(MainWindowTest, SettingsThatAreAFifoAreNeitherReadNorWritten) {
    EXPECT_EQ(HostSettings::fileName(), QSettings(QSettings::IniFormat, QSettings::UserScope,
                                                  QStringLiteral("nimbo-lux"), QStringLiteral("vexo-host"))
                                            .fileName());
    QDir().mkpath(QFileInfo(HostSettings::fileName()).path());
    ASSERT_EQ(::mkfifo(QFile::encodeName(HostSettings::fileName()).constData(), 0600), 0);
    start();
    EXPECT_EQ(widget<QSpinBox>(QStringLiteral("Base address"))->value(), 1);
    widget<QSpinBox>(QStringLiteral("Base address"))->setValue(12);
    m_app->finish();
    m_app.reset();
    EXPECT_FALSE(QFileInfo(HostSettings::fileName()).isFile()) << "the FIFO was replaced";
    EXPECT_FALSE(HostSettings::load().base);
    HostSettings::reset();
    EXPECT_FALSE(QFileInfo::exists(HostSettings::fileName()));
}

// What a window remembers reaches only a plain start: a run whose command
// line names its input uses exactly that, and the demo plays at base 1.
struct RememberedRule {
    const char* name;
    QStringList arguments;  // "SHOW" stands for a show file
    int base;               // the base address the window shows
    bool showLoops;         // a show opened in the window loops
    bool demoAtBase1;       // the demo plays at base 1, and the window says why
};

class RememberedSettings : public MainWindowTest, public testing::WithParamInterface<RememberedRule> {};

TEST_P(RememberedSettings, ReachOnlyAPlainStart) {
    const RememberedRule& rule = GetParam();
    HostSettings remembered;
    remembered.base = 17;
    remembered.loop = true;
    ASSERT_TRUE(remembered.save());
    const QString show = write("a.show", "0 17=235\n");
    QStringList arguments = {QStringLiteral("vexo-host")};
    for (const QString& argument : rule.arguments) arguments << (argument == "SHOW" ? show : argument);
    const ParsedOptions parsed = parseHostOptions(arguments);
    ASSERT_TRUE(parsed.error.isEmpty()) << parsed.error.toStdString();
    m_options = parsed.options;
    m_options.pluginPath = m_dir.filePath("Nimbolux.so");
    m_options.registryPath = m_dir.filePath("registry.txt");
    start();
    EXPECT_EQ(widget<QSpinBox>(QStringLiteral("Base address"))->value(), rule.base);
    if (parsed.options.input == InputKind::Demo) {
        // Some nimbo of the demo is lit soon after its start.
        ChannelReadouts* readouts = m_window->findChild<ChannelReadouts*>();
        EXPECT_TRUE(waitUntil(
            [&] {
                for (int k = 0; k < 9; ++k)
                    if (readouts->shownValue(k).value_or(0) > 0) return true;
                return false;
            },
            3000));
        EXPECT_EQ(status().contains(QStringLiteral("the demo plays at base 1")), rule.demoAtBase1)
            << status().toStdString();
    }
    open(show);
    EXPECT_EQ(loopBox()->isChecked(), rule.showLoops);
    // The show's channel 17 lights nimbo 0 only at base 17.
    EXPECT_TRUE(shows({rule.base == 17 ? 6 : 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    m_app->finish();
    m_app.reset();
    // Nothing asked on the command line is remembered.
    EXPECT_EQ(HostSettings::load().base, 17);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, RememberedSettings,
    testing::Values(RememberedRule{"plainStart", {}, 17, true, true},
                    RememberedRule{"plainStartWithItsOwnBase", {"--base", "3"}, 3, true, false},
                    RememberedRule{"play", {"--play", "SHOW"}, 1, false, false},
                    RememberedRule{"demo", {"--demo"}, 1, false, false},
                    RememberedRule{"demoOnce", {"--demo", "--no-loop"}, 1, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vexohost
