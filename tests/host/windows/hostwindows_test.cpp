// SPDX-License-Identifier: GPL-3.0-or-later
// The host's windows in this process, as a user works them: the display is
// closed and shown again under each input, and the faders follow the inputs.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>
#include <array>

#include "host/app/hostapp.h"
#include "host/outputs/snapshot.h"
#include "tests/support/casename.h"
#include "tests/support/displaypictures.h"

namespace vexohost {
namespace {

const QString kPlugin = QStringLiteral(NIMBO_PLUGIN);
const QString kImages = QStringLiteral(NIMBO_IMAGES);

void wait(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// A window by its title, which the host may follow with " – " and its input.
QWidget* topLevel(const QString& title) {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->windowTitle() == title || widget->windowTitle().startsWith(title + QStringLiteral(" – ")))
            return widget;
    return nullptr;
}

void click(const QString& buttonText) {
    for (QPushButton* button : topLevel(QStringLiteral("vexo-host"))->findChildren<QPushButton*>())
        if (button->text() == buttonText) return button->click();
    ADD_FAILURE() << "no button " << buttonText.toStdString();
}

QList<QSlider*> faders() {
    QWidget* window = topLevel(QStringLiteral("Faders"));
    return window ? window->findChildren<QSlider*>() : QList<QSlider*>();
}

enum class Input { Faders, EndedShow, QuietStdin };

struct Reopen {
    const char* name;
    Input input;
    bool reloadedByAMessage;  // closed, then the next message loads it before it is shown
};

class HostWindows : public testing::TestWithParam<Reopen> {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_options.pluginPath = kPlugin;
        m_options.registryPath = m_dir.filePath("registry.txt");
        m_options.headless = false;
    }
    void TearDown() override {
        if (m_stdinWriter >= 0) ::close(m_stdinWriter);
    }

    // Nimbo 0 at 235 (glow 6) and nimbo 4 at 135 (glow 4), from the input.
    void startWithValues(HostApp** app) {
        switch (GetParam().input) {
            case Input::Faders:
                m_options.input = InputKind::Faders;
                break;
            case Input::EndedShow: {
                m_options.input = InputKind::Play;
                m_options.showFile = m_dir.filePath("a.show");
                QFile show(m_options.showFile);
                ASSERT_TRUE(show.open(QIODevice::WriteOnly));
                show.write("0 1=235 5=135\n");
                m_options.fast = true;
                break;
            }
            case Input::QuietStdin: {
                // The input stays open and says nothing more.
                int fds[2];
                ASSERT_EQ(::pipe(fds), 0);
                ASSERT_EQ(::dup2(fds[0], STDIN_FILENO), STDIN_FILENO);
                ::close(fds[0]);
                m_stdinWriter = fds[1];
                ASSERT_EQ(::write(m_stdinWriter, "0 1=235 5=135\n", 14), 14);
                m_options.input = InputKind::Stdin;
                break;
            }
        }
        m_app = std::make_unique<HostApp>(m_options);
        *app = m_app.get();
        ASSERT_EQ(m_app->start(), kExitOk);
        if (GetParam().input == Input::Faders) {
            faders()[0]->setValue(235);
            faders()[4]->setValue(135);
        }
        wait(100);
    }

    QTemporaryDir m_dir;
    HostOptions m_options;
    std::unique_ptr<HostApp> m_app;
    int m_stdinWriter = -1;
};

TEST_P(HostWindows, DisplayShownAgainShowsTheLastValues) {
    HostApp* app = nullptr;
    startWithValues(&app);
    QWidget* display = topLevel(QStringLiteral("Nimbo Lux"));
    ASSERT_TRUE(display);
    const std::array<int, 9> levels = {6, 0, 0, 0, 4, 0, 0, 0, 0};
    EXPECT_EQ(testsupport::envelopeDifferences(renderWindow(display), kImages, levels), 0);

    display->close();  // the user's close: the display unloads
    if (GetParam().reloadedByAMessage) {
        // Fader 9 moves: that message loads the display again, unlit but for nimbo 8.
        if (faders().isEmpty()) click(QStringLiteral("Faders"));
        faders()[8]->setValue(35);
    }
    click(QStringLiteral("Show display"));
    ASSERT_TRUE(display->isVisible());
    std::array<int, 9> now = levels;
    if (GetParam().reloadedByAMessage) now[8] = 2;
    EXPECT_EQ(testsupport::envelopeDifferences(renderWindow(display), kImages, now), 0);

    // The faders stand where the inputs left the channels.
    click(QStringLiteral("Faders"));
    wait(100);
    ASSERT_EQ(faders().size(), 9);
    EXPECT_EQ(faders()[0]->value(), 235);
    EXPECT_EQ(faders()[4]->value(), 135);
}

INSTANTIATE_TEST_SUITE_P(Inputs, HostWindows,
                         testing::Values(Reopen{"faders", Input::Faders, false},
                                         Reopen{"endedShow", Input::EndedShow, false},
                                         Reopen{"quietStdin", Input::QuietStdin, false},
                                         Reopen{"quietStdinThenAFader", Input::QuietStdin, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// At the end of standard input a window stays open, like a finished show,
// and says that the input ended, and the line it skipped as a failure.
TEST(HostWindowsStdin, EndedInputLeavesTheWindowOpenAndSaysSo) {
    QTemporaryDir dir;
    HostOptions options;
    options.pluginPath = kPlugin;
    options.registryPath = dir.filePath("registry.txt");
    options.input = InputKind::Stdin;
    options.fast = true;
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ASSERT_EQ(::dup2(fds[0], STDIN_FILENO), STDIN_FILENO);
    ::close(fds[0]);
    ASSERT_EQ(::write(fds[1], "0 1=235\ngarbage line\n", 21), 21);
    ::close(fds[1]);
    HostApp app(options);
    bool done = false;
    QObject::connect(&app, &HostApp::done, [&] { done = true; });
    ASSERT_EQ(app.start(), kExitOk);
    auto said = [](const QString& text) {
        for (QLabel* label : topLevel(QStringLiteral("vexo-host"))->findChildren<QLabel*>())
            if (label->isVisible() && label->text().startsWith(text)) return true;
        return false;
    };
    const QString ended = QStringLiteral("standard input ended after 2 lines");
    for (int n = 0; n < 50 && !said(ended); ++n) wait(50);
    EXPECT_TRUE(said(ended));
    EXPECT_TRUE(said(QStringLiteral("1 failure: <stdin>:2:")));
    EXPECT_FALSE(done);
    EXPECT_EQ(app.finish(), kExitShowFile);
}

}  // namespace
}  // namespace vexohost
