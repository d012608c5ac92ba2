// SPDX-License-Identifier: GPL-3.0-or-later
// vexo-host following a live universe from an olad of the test's own.

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>

#include "tests/ola/dmxsender.h"
#include "tests/ola/oladsandbox.h"
#include "tests/support/colourdifference.h"
#include "tests/support/displaypictures.h"

namespace {

const QString kHost = QStringLiteral(VEXO_HOST);
const QString kPlugin = QStringLiteral(NIMBO_PLUGIN);
const QString kImages = QStringLiteral(NIMBO_IMAGES);

bool waitForOutput(QProcess& process, QByteArray* seen, const QByteArray& text, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!seen->contains(text) && clock.elapsed() < ms && process.state() == QProcess::Running) {
        process.waitForReadyRead(100);
        *seen += process.readAllStandardOutput();
    }
    return seen->contains(text);
}

TEST(HostWithOla, LiveUniverseDrivesTheNimbos) {
    const QString reason = olatest::OladSandbox::unavailableReason();
    if (!reason.isEmpty()) GTEST_SKIP() << "no olad for this test: " << reason.toStdString();
    olatest::OladSandbox olad;
    QString error;
    ASSERT_TRUE(olad.start(&error)) << error.toStdString();

    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(kPlugin, dir.filePath("Nimbolux.so")));
    QDir().mkpath(dir.filePath("images"));
    for (const QString& name : QDir(kImages).entryList({QStringLiteral("*.gif")}))
        ASSERT_TRUE(QFile::copy(kImages + '/' + name, dir.filePath("images/" + name)));

    // Input channel 11 arrives as channel 1: the nimbos follow slots 10..18.
    QProcess host;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
    host.setProcessEnvironment(environment);
    host.setWorkingDirectory(dir.path());
    host.start(kHost, {QStringLiteral("--plugin"), dir.filePath("Nimbolux.so"), QStringLiteral("--registry"),
                       dir.filePath("registry.txt"), QStringLiteral("--headless"), QStringLiteral("--ola"),
                       QStringLiteral("5"), QStringLiteral("--ola-server"),
                       QStringLiteral("127.0.0.1:%1").arg(olad.port()), QStringLiteral("--base"),
                       QStringLiteral("11"), QStringLiteral("--snapshot"), dir.filePath("out.png"),
                       QStringLiteral("--record"), dir.filePath("live.gif"), QStringLiteral("--save-show"),
                       dir.filePath("live.show")});
    ASSERT_TRUE(host.waitForStarted());
    QByteArray out;
    ASSERT_TRUE(waitForOutput(host, &out, "receiving universe 5", 10000)) << out.toStdString();

    std::vector<uint8_t> frame(512, 0);
    frame[0] = 255;   // channel 1: below the base, drives nothing
    frame[10] = 255;  // channel 11 -> nimbo 0, full glow
    frame[11] = 35;   // channel 12 -> nimbo 1, level 2
    frame[18] = 130;  // channel 19 -> nimbo 8, level 4
    olatest::DmxSender sender(olad.port());
    ASSERT_TRUE(sender.connect());
    ASSERT_TRUE(sender.send(5, frame));

    // Ctrl-C ends a live run and its recording, which is kept.
    QThread::msleep(1500);
    ::kill(pid_t(host.processId()), SIGINT);
    ASSERT_TRUE(host.waitForFinished(30000));
    out += host.readAllStandardOutput();
    const QByteArray err = host.readAllStandardError();
    EXPECT_EQ(host.exitCode(), 0) << err.toStdString();
    EXPECT_TRUE(
        err.contains("live.gif and " + dir.filePath("live.show").toLocal8Bit() + " end here and are kept"))
        << err.toStdString();
    // The frame as olad delivered it, every slot of the universe as the console numbered it.
    QFile saved(dir.filePath("live.show"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray show = saved.readAll();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("\n\\d+ 1=255 2=0 .* 11=255 12=35 .* 19=130 .* 512=0\n$"))
                    .match(QString::fromLatin1(show))
                    .hasMatch())
        << show.left(300).toStdString();
    const QImage window(dir.filePath("out.png"));
    EXPECT_EQ(testsupport::envelopeDifferences(window, kImages, {6, 2, 0, 0, 0, 0, 0, 0, 4}), 0);
    EXPECT_TRUE(testsupport::flameShows(window, 0));
    EXPECT_FALSE(testsupport::flameShows(window, 2));
    // The recording, by Qt's GIF reader (its colours reduced to a palette):
    // unlit at first, as the snapshot at its end.
    QImageReader recording(dir.filePath("live.gif"));
    std::vector<QImage> frames;
    for (QImage image; recording.read(&image);) frames.push_back(image);
    ASSERT_GE(frames.size(), 2u) << recording.errorString().toStdString();
    const QRect envelopes(0, 10, 867, 180);
    const auto unlit = testsupport::colourDifference(
        frames.front(), testsupport::expectedEnvelopes(kImages, {0, 0, 0, 0, 0, 0, 0, 0, 0}), envelopes);
    const auto last = testsupport::colourDifference(frames.back(), window, QRect(0, 0, 867, 283));
    EXPECT_LE(unlit.meanDeltaE, 2.0);
    EXPECT_GE(unlit.shareWithin10, 0.995);
    EXPECT_LE(last.meanDeltaE, 2.0);
    EXPECT_GE(last.shareWithin10, 0.995);
}

}  // namespace
