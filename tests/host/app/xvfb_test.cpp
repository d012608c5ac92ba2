// SPDX-License-Identifier: GPL-3.0-or-later
// One run of vexo-host in a real X server: the display window must be on the
// screen, not just in an offscreen rendering.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <cstdint>

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

TEST(HostInXServer, DisplayWindowIsOnTheScreen) {
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
    const QString xwd = QStandardPaths::findExecutable(QStringLiteral("xwd"));
    if (xvfb.isEmpty() || xwd.isEmpty()) GTEST_SKIP() << "Xvfb or xwd is not installed";

    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(kPlugin, dir.filePath("Nimbolux.so")));
    QDir().mkpath(dir.filePath("images"));
    for (const QString& name : QDir(kImages).entryList({QStringLiteral("*.gif")}))
        ASSERT_TRUE(QFile::copy(kImages + '/' + name, dir.filePath("images/" + name)));

    // A display number of our own; -displayfd tells which one the server took.
    QProcess server;
    server.start(xvfb, {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                        QStringLiteral("0"), QStringLiteral("1024x600x24"), QStringLiteral("-nolisten"),
                        QStringLiteral("tcp")});
    ASSERT_TRUE(server.waitForStarted());
    QByteArray number;
    for (int i = 0; i < 100 && !number.contains('\n'); ++i) {
        server.waitForReadyRead(100);
        number += server.readAllStandardOutput();
    }
    ASSERT_TRUE(number.contains('\n')) << "Xvfb did not start";
    const QString display = QStringLiteral(":") + QString::fromLatin1(number.trimmed());

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display);
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());

    QFile show(dir.filePath("s.show"));
    ASSERT_TRUE(show.open(QIODevice::WriteOnly));
    show.write("0 1=255 2=200 3=150 4=100\n5000 5=50\n");
    show.close();

    QProcess host;
    host.setProcessEnvironment(environment);
    host.setWorkingDirectory(dir.path());
    host.start(kHost, {QStringLiteral("--plugin"), dir.filePath("Nimbolux.so"), QStringLiteral("--registry"),
                       dir.filePath("registry.txt"), QStringLiteral("--play"), show.fileName(),
                       QStringLiteral("--duration"), QStringLiteral("6")});
    ASSERT_TRUE(host.waitForStarted());

    // The screen starts black. Without a window manager both windows stand
    // at the top left; the host's main window is less than 230 pixels high,
    // and the display window's ground strip (867 x 50 from row 230) lies below it.
    constexpr uint32_t kBelowTheMainWindow = 230;
    constexpr int kDisplayShown = 30000;
    int lit = 0;
    for (int attempt = 0; attempt < 40 && lit < kDisplayShown; ++attempt) {
        QThread::msleep(100);
        QProcess dump;
        dump.setProcessEnvironment(environment);
        dump.start(xwd,
                   {QStringLiteral("-root"), QStringLiteral("-silent"), QStringLiteral("-display"), display});
        dump.waitForFinished(10000);
        const QByteArray screen = dump.readAllStandardOutput();
        lit = countLitPixels(screen, kBelowTheMainWindow);
        if (lit < 0)
            ADD_FAILURE() << "xwd gave " << screen.size()
                          << " bytes: " << dump.readAllStandardError().toStdString();
    }
    EXPECT_GE(lit, kDisplayShown) << "the display window is not on the screen";

    host.waitForFinished(20000);
    EXPECT_EQ(host.exitCode(), 0) << host.readAllStandardError().toStdString();
    server.terminate();
    server.waitForFinished(5000);
}

}  // namespace
