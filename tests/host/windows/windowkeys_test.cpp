// SPDX-License-Identifier: GPL-3.0-or-later
// The host's windows for hands and eyes: the player's keys in every window
// whatever has focus, the position slider under the mouse, the readouts
// against the balloons, and where the windows stand.

#include <unistd.h>

#include <QComboBox>
#include <QImageReader>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>

#include "host/timeline/timelinelayout.h"
#include "host/timeline/timelinepane.h"
#include "host/windows/channelreadouts.h"
#include "host/windows/windowplacement.h"
#include "tests/host/windows/hostwindowtest.h"
#include "tests/support/casename.h"

namespace vexohost {
namespace {

// ---- Keys ----

enum class After { Paused, AtFiveSeconds, Typed, Connected, Quit, OpenDialog, FadersClosed };

struct KeyCase {
    const char* name;
    const char* window;  // "main", "display" or "faders"
    const char* focus;   // in the main window: a button's text or a widget's accessible name
    int key;
    Qt::KeyboardModifiers modifiers;
    After after;
};

class WindowKeys : public HostWindowTest, public testing::WithParamInterface<KeyCase> {};

TEST_P(WindowKeys, ActWhateverHasFocus) {
    const KeyCase& c = GetParam();
    m_options.input = InputKind::Play;
    m_options.showFile = write("a.show", "0 1=235\n9000 1=0\n");
    start();
    // The main window has the keys from the start, and keeps them when the display is shown.
    EXPECT_TRUE(QTest::qWaitForWindowActive(m_window));
    button(QStringLiteral("Show display"))->click();
    EXPECT_TRUE(QTest::qWaitForWindowActive(m_window));
    EXPECT_TRUE(waitUntil([&] { return status().startsWith(QStringLiteral("a.show 0:00 / 0:10")); }, 2000));

    QWidget* window = m_window;
    const QString focus = QString::fromUtf8(c.focus);
    if (c.window == std::string("display")) window = m_display;
    if (c.window == std::string("faders")) {
        button(QStringLiteral("Faders"))->click();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && w->windowTitle() == QStringLiteral("Faders")) window = w;
        ASSERT_NE(window, m_window);
        window->findChild<QSlider*>()->setFocus();
    } else if (window == m_window) {
        QWidget* target = findButton(focus);
        for (QWidget* w : m_window->findChildren<QWidget*>())
            if (!target && w->accessibleName() == focus) target = w;
        ASSERT_TRUE(target) << c.focus;
        target->setFocus();
    }
    bool quit = false;
    QObject::connect(m_app.get(), &HostApp::done, [&] { quit = true; });
    bool opened = false;
    if (c.after == After::OpenDialog)
        whenModal<QFileDialog>([&](QFileDialog* dialog) {
            opened = true;
            dialog->reject();
        });
    press(window, c.key, c.modifiers);

    switch (c.after) {
        case After::Paused:
            EXPECT_TRUE(status().endsWith(QStringLiteral("(paused)"))) << status().toStdString();
            break;
        case After::AtFiveSeconds:
            EXPECT_TRUE(status().startsWith(QStringLiteral("a.show 0:05"))) << status().toStdString();
            break;
        case After::Typed:
            EXPECT_EQ(widget<QLineEdit>(focus)->text(), QStringLiteral("127.0.0.1:9010 "));
            EXPECT_FALSE(status().endsWith(QStringLiteral("(paused)")));
            break;
        case After::Connected:
            EXPECT_TRUE(findButton(QStringLiteral("Disconnect")));
            break;
        case After::Quit:
            EXPECT_TRUE(waitUntil([&] { return quit; }, 1000));
            break;
        case After::OpenDialog:
            EXPECT_TRUE(opened);
            break;
        case After::FadersClosed:
            EXPECT_FALSE(window->isVisible());
            EXPECT_FALSE(quit);
            break;
    }
}

constexpr auto kNone = Qt::NoModifier;
constexpr auto kCtrl = Qt::ControlModifier;

INSTANTIATE_TEST_SUITE_P(
    Table, WindowKeys,
    testing::Values(
        KeyCase{"spaceOnOpen", "main", "Open…", Qt::Key_Space, kNone, After::Paused},
        KeyCase{"spaceOnQuit", "main", "Quit", Qt::Key_Space, kNone, After::Paused},
        KeyCase{"spaceOnSpeed", "main", "Speed", Qt::Key_Space, kNone, After::Paused},
        KeyCase{"rightOnOpen", "main", "Open…", Qt::Key_Right, kNone, After::AtFiveSeconds},
        KeyCase{"rightOnAButton", "main", "Show display", Qt::Key_Right, kNone, After::AtFiveSeconds},
        KeyCase{"spaceTypedInTheAddress", "main", "olad address", Qt::Key_Space, kNone, After::Typed},
        KeyCase{"ctrlOInMain", "main", "Position", Qt::Key_O, kCtrl, After::OpenDialog},
        KeyCase{"spaceInDisplay", "display", "", Qt::Key_Space, kNone, After::Paused},
        KeyCase{"rightInDisplay", "display", "", Qt::Key_Right, kNone, After::AtFiveSeconds},
        KeyCase{"ctrlOInDisplay", "display", "", Qt::Key_O, kCtrl, After::OpenDialog},
        KeyCase{"ctrlQInDisplay", "display", "", Qt::Key_Q, kCtrl, After::Quit},
        KeyCase{"spaceOnAFader", "faders", "", Qt::Key_Space, kNone, After::Paused},
        KeyCase{"rightOnAFader", "faders", "", Qt::Key_Right, kNone, After::AtFiveSeconds},
        KeyCase{"ctrlQInFaders", "faders", "", Qt::Key_Q, kCtrl, After::Quit},
        KeyCase{"escapeClosesFaders", "faders", "", Qt::Key_Escape, kNone, After::FadersClosed}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- The position slider ----

class WindowMouse : public HostWindowTest {};

// A click on the groove a quarter of the way along goes to a quarter of the
// show (a page step of 30 s would have gone to its end).
TEST_F(WindowMouse, SliderClickJumpsThere) {
    m_options.input = InputKind::Play;
    m_options.showFile = write("a.show", "0 1=235\n59000 1=0\n");
    start();
    press(m_window, Qt::Key_Space);  // paused, so that the show stands where it was put
    auto* slider = widget<QSlider>(QStringLiteral("Position"));
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = Qt::Horizontal;
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    const QRect groove =
        slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, slider);
    const QRect handle =
        slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider);
    const int x = groove.left() + handle.width() / 2 + (groove.width() - handle.width()) / 4;
    QTest::mouseClick(slider, Qt::LeftButton, Qt::NoModifier, QPoint(x, groove.center().y()));
    EXPECT_TRUE(waitUntil([&] { return status().startsWith(QStringLiteral("a.show 0:15 / 1:00")); }, 1000))
        << status().toStdString();
}

// The timeline draws the part played: a click at a quarter of it seeks to a
// quarter of the part, and the slider follows; the wheel zooms in around the
// pointer and Whole show goes back.
TEST_F(WindowMouse, TimelineClickSeeksAndWheelZooms) {
    m_options.input = InputKind::Play;
    m_options.showFile = write("a.show", "0 1=235\n59000 1=0\n");
    m_options.fromMs = 20000;
    m_options.toMs = 60000;
    start();
    press(m_window, Qt::Key_Space);
    auto* pane = m_window->findChild<TimelinePane*>();
    ASSERT_TRUE(pane);
    const QRect plot = pane->layout().plot();
    const QPoint quarter(plot.left() + plot.width() / 4, plot.center().y());
    QTest::mouseClick(pane, Qt::LeftButton, Qt::NoModifier, quarter);
    // Where the show stands, within the pixel column clicked.
    const QSlider* slider = widget<QSlider>(QStringLiteral("Position"));
    const double column = 40000.0 / plot.width();
    EXPECT_TRUE(waitUntil([&] { return std::abs(slider->value() - 10000) <= column; }, 1000))
        << slider->value();

    QWheelEvent wheel(quarter, pane->mapToGlobal(quarter), QPoint(), QPoint(0, 4 * 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(pane, &wheel);
    const int64_t span = pane->viewEndMs() - pane->viewStartMs();
    EXPECT_LT(span, 20000);
    EXPECT_NEAR(double(pane->layout().msAt(quarter.x())), 30000.0, span / 100.0);
    QPushButton* whole = findButton(QStringLiteral("Whole show"));
    ASSERT_TRUE(whole);
    QTest::mouseClick(whole, Qt::LeftButton);
    EXPECT_EQ(pane->viewStartMs(), 20000);
    EXPECT_EQ(pane->viewEndMs(), 60000);
}

// Record… asks for a file and records from then on, whatever the input;
// Stop recording writes it, and the run goes on.
TEST_F(WindowMouse, RecordButtonRecordsUntilStopped) {
    start();
    const QString out = m_dir.filePath("window.gif");
    whenModal<QFileDialog>([out](QFileDialog* dialog) {
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_TRUE(name);
        name->setText(out);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    button(QStringLiteral("Record…"))->click();
    ASSERT_TRUE(findButton(QStringLiteral("Stop recording")));
    // Said beside the button and in the title while it runs.
    QLabel* note = widget<QLabel>(QStringLiteral("Recording"));
    EXPECT_TRUE(note->isVisible() && note->text().startsWith(QStringLiteral("● window.gif 0:00")))
        << note->text().toStdString();
    EXPECT_TRUE(m_window->windowTitle().startsWith(QStringLiteral("● ")));
    QTest::qWait(600);
    button(QStringLiteral("Stop recording"))->click();
    EXPECT_TRUE(findButton(QStringLiteral("Record…")));
    EXPECT_FALSE(note->isVisible());
    EXPECT_FALSE(m_window->windowTitle().startsWith(QStringLiteral("● ")));
    QImageReader reader(out);
    EXPECT_TRUE(reader.canRead()) << reader.errorString().toStdString();
    EXPECT_GE(reader.imageCount(), 1);
}

// ---- Readouts against the balloons ----

struct Step {
    const char* line;  // what standard input sends
    std::array<int, 9> levels;
    std::array<bool, 9> marked;
};

// Each step as the display shows it, in its own rendering, and as the
// readouts say it: the band edges, and values the display ignores (the
// balloon stays as it was) or takes as the smallest glow.
TEST_F(WindowMouse, ReadoutsShowTheDisplaysLevels) {
    const Step steps[] = {
        {"1=-1 2=9 3=10 4=59 5=60 6=209 7=210 8=255 9=0\n",
         {1, 1, 2, 2, 3, 5, 6, 6, 0},
         {true, false, false, false, false, false, false, false, false}},
        {"1=256 2=1000000 3=300 4=-2147483648 5=110 6=159 7=160 8=109 9=1\n",
         {1, 1, 2, 1, 4, 4, 5, 3, 1},
         {true, true, true, true, false, false, false, false, false}},
        {"1=0 2=255 3=2147483647 9=256\n",
         {0, 6, 2, 1, 4, 4, 5, 3, 1},
         {false, false, true, true, false, false, false, false, true}},
    };
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ASSERT_EQ(::dup2(fds[0], STDIN_FILENO), STDIN_FILENO);
    ::close(fds[0]);
    m_options.input = InputKind::Stdin;
    start();
    auto* readouts = m_window->findChild<ChannelReadouts*>();
    ASSERT_TRUE(readouts);
    int time = 0;
    for (const Step& step : steps) {
        const std::string line = std::to_string(time++) + ' ' + step.line;
        ASSERT_EQ(::write(fds[1], line.data(), line.size()), ssize_t(line.size()));
        EXPECT_TRUE(shows(step.levels)) << step.line;
        EXPECT_TRUE(waitUntil(
            [&] {
                for (int k = 0; k < 9; ++k)
                    if (readouts->shownLevel(k) != step.levels[size_t(k)] ||
                        readouts->markedOutOfRange(k) != step.marked[size_t(k)])
                        return false;
                return true;
            },
            1000))
            << step.line;
    }
    // Closed and shown again, the display shows the same, not the ignored values' nothing.
    m_display->close();
    button(QStringLiteral("Show display"))->click();
    EXPECT_TRUE(shows(steps[2].levels));
    ::close(fds[1]);
}

// ---- Where the windows stand ----

struct Screen {
    const char* name;
    QRect screen;
    bool together;  // both fit without overlapping
};

class Placement : public testing::TestWithParam<Screen> {};

TEST_P(Placement, WindowsStandApartOnTheScreen) {
    const QSize main(700, 260), display(880, 420);
    const Screen& s = GetParam();
    const WindowPlaces places = placeWindows(s.screen, main, display);
    const QRect mainRect(places.main, main), displayRect(places.display, display);
    EXPECT_EQ(!mainRect.intersects(displayRect), s.together);
    if (s.together) {
        EXPECT_TRUE(s.screen.contains(mainRect) && s.screen.contains(displayRect));
    } else {
        // The display at the top, the controls at the bottom: the balloons (its upper
        // half) covered no more than the screen's height makes unavoidable.
        EXPECT_EQ(displayRect.top(), s.screen.top());
        EXPECT_GE(mainRect.top(),
                  std::min(displayRect.top() + display.height() / 2, s.screen.bottom() + 1 - main.height()));
        EXPECT_TRUE(s.screen.contains(mainRect));
    }
    // Two more instances at once: each window stands elsewhere, on the screen.
    for (int n = 1; n < 16; ++n) {  // as many as run at once
        const QPoint moved = cascaded(places.main, n, s.screen, main);
        EXPECT_NE(moved, cascaded(places.main, n - 1, s.screen, main)) << n;
        EXPECT_TRUE(s.screen.contains(QRect(moved, main))) << n;
    }
}

INSTANTIATE_TEST_SUITE_P(Screens, Placement,
                         testing::Values(Screen{"wide", {0, 0, 1600, 1000}, true},
                                         Screen{"tallWithAPanel", {0, 32, 1024, 1000}, true},
                                         Screen{"secondScreen", {1920, 0, 1600, 900}, true},
                                         Screen{"small", {0, 0, 1024, 600}, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// Instances running at once take the lowest free number, and give it back when they end.
TEST(InstanceSlots, TakeTheLowestFreeNumber) {
    QTemporaryDir runtime;
    const QByteArray was = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
    {
        auto first = std::make_unique<InstanceSlot>();
        const InstanceSlot second;
        EXPECT_EQ(first->number(), 0);
        EXPECT_EQ(second.number(), 1);
        first.reset();
        EXPECT_EQ(InstanceSlot().number(), 0);
    }
    qputenv("XDG_RUNTIME_DIR", was);
}

}  // namespace
}  // namespace vexohost
