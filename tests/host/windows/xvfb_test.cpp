// SPDX-License-Identifier: GPL-3.0-or-later
// vexo-host in a real X server of the test's own: the display window must be
// on the screen, not just in an offscreen rendering, and under a window
// manager a keyboard alone starts, pauses, seeks and quits.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRect>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <cstdint>
#include <iostream>

#include "tests/support/displaypictures.h"

namespace {

const QString kHost = QStringLiteral(VEXO_HOST);
const QString kPlugin = QStringLiteral(NIMBO_PLUGIN);
const QString kImages = QStringLiteral(NIMBO_IMAGES);

uint32_t bigEndian(const QByteArray& data, int at) {
    const auto* p = reinterpret_cast<const unsigned char*>(data.constData() + at);
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// Counts the pixels of an xwd screen dump (ZPixmap, 24 or 32 bits per pixel)
// from row firstRow down that are not black. -1 when the dump is not of that kind.
int countLitPixels(const QByteArray& xwd, uint32_t firstRow) {
    if (xwd.size() < 100) return -1;
    const uint32_t headerSize = bigEndian(xwd, 0), format = bigEndian(xwd, 8), width = bigEndian(xwd, 16),
                   height = bigEndian(xwd, 20), bitsPerPixel = bigEndian(xwd, 44),
                   bytesPerLine = bigEndian(xwd, 48), colours = bigEndian(xwd, 76);
    const uint64_t start = uint64_t(headerSize) + uint64_t(colours) * 12;
    const uint32_t bytesPerPixel = bitsPerPixel / 8;
    if (format != 2 || (bytesPerPixel != 3 && bytesPerPixel != 4) ||
        uint64_t(width) * bytesPerPixel > bytesPerLine ||
        start + uint64_t(bytesPerLine) * height > uint64_t(xwd.size()))
        return -1;
    int count = 0;
    for (uint32_t y = firstRow; y < height; ++y) {
        const char* line = xwd.constData() + start + uint64_t(y) * bytesPerLine;
        for (uint32_t x = 0; x < width; ++x) {
            const char* p = line + bytesPerPixel * x;
            // Black is all colour bytes zero, whatever their order.
            if (p[0] != 0 || p[1] != 0 || p[2] != 0) ++count;
        }
    }
    return count;
}

// An Xvfb of its own (-displayfd says which display number it took), a
// folder with a copy of the plug-in beside its pictures, and the
// environment of a run on that display.
class HostInXServer : public testing::Test {
protected:
    void SetUp() override {
        m_xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (m_xvfb.isEmpty()) GTEST_SKIP() << "Xvfb is not installed";
        ASSERT_TRUE(QFile::copy(kPlugin, m_dir.filePath("Nimbolux.so")));
        QDir().mkpath(m_dir.filePath("images"));
        for (const QString& name : QDir(kImages).entryList({QStringLiteral("*.gif")}))
            ASSERT_TRUE(QFile::copy(kImages + '/' + name, m_dir.filePath("images/" + name)));
    }
    void TearDown() override {
        for (QProcess* p : {&m_host, &m_windowManager, &m_server}) {
            p->terminate();
            p->waitForFinished(5000);
        }
        // What the server said, when the test failed: why a client could
        // not connect, or why it went away.
        if (HasFailure()) {
            QFile log(m_dir.filePath("xvfb.log"));
            if (log.open(QIODevice::ReadOnly)) std::cerr << "Xvfb said:\n" << log.readAll().toStdString();
        }
    }

    void startServer(const QString& size) {
        // Its messages go to a file, never to a pipe nobody reads, which a
        // server that says much would fill and then wait on.
        m_server.setStandardErrorFile(m_dir.filePath("xvfb.log"));
        m_server.start(m_xvfb,
                       {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                        QStringLiteral("0"), size, QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        ASSERT_TRUE(m_server.waitForStarted());
        QByteArray number;
        for (int i = 0; i < 100 && !number.contains('\n'); ++i) {
            m_server.waitForReadyRead(100);
            number += m_server.readAllStandardOutput();
        }
        ASSERT_TRUE(number.contains('\n')) << "Xvfb did not start";
        m_display = QStringLiteral(":") + QString::fromLatin1(number.trimmed());
        m_environment = QProcessEnvironment::systemEnvironment();
        m_environment.insert(QStringLiteral("DISPLAY"), m_display);
        m_environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        m_environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
        // Nothing of the user's or of another test's: a home, runtime,
        // configuration, data and cache folder of this test's own (the
        // session bus's address files and the font cache live there too).
        m_environment.insert(QStringLiteral("HOME"), m_dir.path());
        m_environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
        m_environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath("config"));
        m_environment.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath("data"));
        m_environment.insert(QStringLiteral("XDG_CACHE_HOME"), m_dir.filePath("cache"));
        m_environment.remove(QStringLiteral("XAUTHORITY"));
        m_environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
    }
    QString write(const char* name, const char* text) {
        QFile file(m_dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return file.fileName();
    }
    void startHost(QStringList arguments) {
        m_host.setProcessEnvironment(m_environment);
        m_host.setWorkingDirectory(m_dir.path());
        arguments << QStringLiteral("--plugin") << m_dir.filePath("Nimbolux.so")
                  << QStringLiteral("--registry") << m_dir.filePath("registry.txt");
        m_host.start(kHost, arguments);
        ASSERT_TRUE(m_host.waitForStarted());
    }
    // A tool run on the test's display; its standard output.
    QString run(const QString& program, const QStringList& arguments) {
        QProcess tool;
        tool.setProcessEnvironment(m_environment);
        tool.start(program, arguments);
        tool.waitForFinished(10000);
        return QString::fromLocal8Bit(tool.readAllStandardOutput());
    }

    QTemporaryDir m_dir;
    QString m_xvfb;
    QProcess m_server;
    QProcess m_windowManager;
    QProcess m_host;
    QString m_display;
    QProcessEnvironment m_environment;
};

TEST_F(HostInXServer, DisplayWindowIsOnTheScreen) {
    const QString xwd = QStandardPaths::findExecutable(QStringLiteral("xwd"));
    if (xwd.isEmpty()) GTEST_SKIP() << "xwd is not installed";
    startServer(QStringLiteral("1024x600x24"));
    if (HasFatalFailure()) return;
    startHost({QStringLiteral("--play"), write("s.show", "0 1=255 2=200 3=150 4=100\n5000 5=50\n"),
               QStringLiteral("--duration"), QStringLiteral("6")});

    // The display window as the screen shows it, which starts black: its
    // ground strip (867 x 50 from row 230) lights more than 30,000 pixels
    // when it is there and nothing stands over it.
    constexpr uint32_t kGroundStrip = 230;
    constexpr int kDisplayShown = 30000;
    int lit = 0;
    for (int attempt = 0; attempt < 40 && lit < kDisplayShown; ++attempt) {
        QThread::msleep(100);
        QProcess dump;
        dump.setProcessEnvironment(m_environment);
        dump.start(xwd, {QStringLiteral("-name"), QStringLiteral("Nimbo Lux"), QStringLiteral("-silent"),
                         QStringLiteral("-display"), m_display});
        dump.waitForFinished(10000);
        const QByteArray screen = dump.readAllStandardOutput();
        lit = countLitPixels(screen, kGroundStrip);
        if (lit < 0 && !screen.isEmpty())
            ADD_FAILURE() << "xwd gave " << screen.size()
                          << " bytes: " << dump.readAllStandardError().toStdString();
    }
    EXPECT_GE(lit, kDisplayShown) << "the display window is not on the screen";

    m_host.waitForFinished(20000);
    EXPECT_EQ(m_host.exitCode(), 0) << m_host.readAllStandardError().toStdString();
}

// A keyboard-only user under a window manager: the main window has the keys
// from the start and stands beside the display; Space pauses at once, Right
// goes 5 s on, and Ctrl+Q quits and writes the snapshot of that moment.
TEST_F(HostInXServer, KeyboardAloneStartsPausesSeeksAndQuits) {
    const QString windowManager = QStandardPaths::findExecutable(QStringLiteral("openbox"));
    const QString xdotool = QStandardPaths::findExecutable(QStringLiteral("xdotool"));
    const QString xwininfo = QStandardPaths::findExecutable(QStringLiteral("xwininfo"));
    if (windowManager.isEmpty() || xdotool.isEmpty() || xwininfo.isEmpty())
        GTEST_SKIP() << "openbox, xdotool or xwininfo is not installed";
    startServer(QStringLiteral("1600x1000x24"));
    if (HasFatalFailure()) return;
    m_windowManager.setProcessEnvironment(m_environment);
    m_windowManager.start(windowManager, {QStringLiteral("--sm-disable")});
    ASSERT_TRUE(m_windowManager.waitForStarted());
    // Up when it names itself on the root window.
    for (int i = 0; i < 50 && !run(xdotool, {QStringLiteral("getactivewindow")}).isEmpty(); ++i)
        QThread::msleep(50);
    QThread::msleep(300);

    // Nimbo 1 lights at 0:05 and nimbo 2 at 0:07: a show that was not paused
    // before the seek has passed 0:07 by the time it is quit.
    const QString snapshot = m_dir.filePath("quit.png");
    startHost({QStringLiteral("--play"), write("s.show", "0 1=235\n5000 2=235\n7000 3=235\n30000 1=0\n"),
               QStringLiteral("--snapshot"), snapshot});
    auto active = [&] {
        return run(xdotool, {QStringLiteral("getactivewindow"), QStringLiteral("getwindowname")}).trimmed();
    };
    for (int i = 0; i < 100 && active() != QStringLiteral("vexo-host – s.show"); ++i) QThread::msleep(50);
    ASSERT_EQ(active(), QStringLiteral("vexo-host – s.show"));

    // Where the two windows stand: apart, both on the screen.
    const QString tree = run(xwininfo, {QStringLiteral("-root"), QStringLiteral("-tree")});
    auto placeOf = [&](const QString& name) {
        const QRegularExpression line(
            QRegularExpression::escape(QStringLiteral("\"") + name + QStringLiteral("\"")) +
            QStringLiteral(".* (\\d+)x(\\d+)\\+-?\\d+\\+-?\\d+ +\\+(-?\\d+)\\+(-?\\d+)"));
        const QRegularExpressionMatch m = line.match(tree);
        return m.hasMatch() ? QRect(m.captured(3).toInt(), m.captured(4).toInt(), m.captured(1).toInt(),
                                    m.captured(2).toInt())
                            : QRect();
    };
    const QRect main = placeOf(QStringLiteral("vexo-host – s.show")),
                display = placeOf(QStringLiteral("Nimbo Lux"));
    ASSERT_TRUE(main.isValid() && display.isValid()) << tree.toStdString();
    EXPECT_FALSE(main.intersects(display)) << tree.toStdString();
    EXPECT_TRUE(QRect(0, 0, 1600, 1000).contains(main | display)) << tree.toStdString();

    auto key = [&](const char* keys) {
        run(xdotool, {QStringLiteral("key"), QString::fromLatin1(keys)});
        QThread::msleep(300);
    };
    key("space");
    key("Right");
    QThread::msleep(2500);
    key("ctrl+q");
    ASSERT_TRUE(m_host.waitForFinished(10000));
    EXPECT_EQ(m_host.exitCode(), 0) << m_host.readAllStandardError().toStdString();
    const QImage shot(snapshot);
    ASSERT_FALSE(shot.isNull()) << "no snapshot";
    EXPECT_EQ(testsupport::envelopeDifferences(shot, kImages, {6, 6, 0, 0, 0, 0, 0, 0, 0}), 0);
}

}  // namespace
