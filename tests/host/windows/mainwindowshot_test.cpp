// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as an X server shows it, against a committed picture of
// it: a layout that breaks (a control cut off, a row out of place, the
// window the wrong size) changes many pixels at once.
//
// Run on an X server of its own (tests/support/in-xvfb). To take a new
// reference after a change to the window meant to be seen:
//   NIMBO_UPDATE_REFERENCE=1 tests/support/in-xvfb build/tests/mainwindowshot_test

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "host/app/hostapp.h"

namespace vexohost {
namespace {

const QString kPlugin = QStringLiteral(NIMBO_PLUGIN);
const QString kImages = QStringLiteral(NIMBO_IMAGES);
const QString kReference = QStringLiteral(NIMBO_REFERENCE);

// Pixels whose colour differs by more than a rounding or hinting step.
int differingPixels(const QImage& a, const QImage& b) {
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            if (std::max({std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                          std::abs(qBlue(p) - qBlue(q))}) > 48)
                ++count;
        }
    return count;
}

TEST(MainWindowOnScreen, LooksAsItsReference) {
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        GTEST_SKIP() << "needs an X server (tests/support/in-xvfb)";
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(kPlugin, dir.filePath("Nimbolux.so")));
    QDir().mkpath(dir.filePath("images"));
    for (const QString& name : QDir(kImages).entryList({QStringLiteral("*.gif")}))
        ASSERT_TRUE(QFile::copy(kImages + '/' + name, dir.filePath("images/" + name)));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.filePath("config"));

    HostOptions options;
    options.pluginPath = dir.filePath("Nimbolux.so");
    options.registryPath = dir.filePath("registry.txt");
    options.headless = false;
    options.input = InputKind::Demo;
    HostApp app(options);
    ASSERT_EQ(app.start(), kExitOk);
    // Paused at 0:09 of the demo, its whole timeline drawn.
    app.input().playPause();
    app.input().seek(9000);

    QWidget* window = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (!widget->isVisible()) continue;
        if (widget->windowTitle().startsWith(QStringLiteral("vexo-host")))
            window = widget;
        else
            widget->move(0, 500);  // the display, out of the main window's way
    }
    ASSERT_TRUE(window);
    window->move(0, 0);
    window->resize(window->sizeHint());
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    QTest::qWait(300);  // the readouts and the status line follow at their own pace
    const QImage shot =
        window->screen()->grabWindow(window->winId()).toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(shot.isNull());

    if (qEnvironmentVariableIsSet("NIMBO_UPDATE_REFERENCE")) {
        ASSERT_TRUE(shot.save(kReference));
        GTEST_SKIP() << "wrote " << kReference.toStdString();
    }
    const QImage reference = QImage(kReference).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(reference.isNull()) << kReference.toStdString();
    const QString actual = QDir::current().absoluteFilePath(QStringLiteral("mainwindow-actual.png"));
    ASSERT_EQ(shot.size(), reference.size())
        << "saved as " << actual.toStdString() << ": " << shot.save(actual);
    // Text rendering may differ by a pixel here and there; a layout fault moves far more.
    const int differing = differingPixels(shot, reference);
    EXPECT_LE(differing, shot.width() * shot.height() / 200)
        << "saved as " << actual.toStdString() << ": " << shot.save(actual);
    app.finish();
}

}  // namespace
}  // namespace vexohost
