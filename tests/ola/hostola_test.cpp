// SPDX-License-Identifier: GPL-3.0-or-later
// vexo-host following a live universe from an olad of the test's own.

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>

#include "host/timeline/timelinelayout.h"
#include "tests/ola/dmxsender.h"
#include "tests/ola/oladsandbox.h"
#include "tests/support/casename.h"
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

// An olad of the test's own, or the test is skipped with the reason.
class HostWithOla : public testing::Test {
protected:
    void SetUp() override {
        const QString reason = olatest::OladSandbox::unavailableReason();
        if (!reason.isEmpty()) GTEST_SKIP() << "no olad for this test: " << reason.toStdString();
        ASSERT_TRUE(olad.start(&error)) << error.toStdString();
    }
    olatest::OladSandbox olad;
    QString error;
};

TEST_F(HostWithOla, LiveUniverseDrivesTheNimbos) {
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
    EXPECT_TRUE(err.contains("live.gif and " + dir.filePath("live.show").toLocal8Bit() + " and " +
                             dir.filePath("out.png").toLocal8Bit() + " end here and are kept"))
        << err.toStdString();
    // The universe as olad delivered it, whole, in ola_recorder's format:
    // OLA's own tool accepts it, and played again it ends as the run did.
    QFile saved(dir.filePath("live.show"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray show = saved.readAll();
    EXPECT_TRUE(QRegularExpression(
                    QStringLiteral("^OLA Show\n5 255,0,0,0,0,0,0,0,0,0,255,35,0,0,0,0,0,0,130(,0){493}\n$"))
                    .match(QString::fromLatin1(show))
                    .hasMatch())
        << show.left(300).toStdString();
    QProcess verify;
    verify.start(QStringLiteral("ola_recorder"), {QStringLiteral("--verify"), dir.filePath("live.show")});
    ASSERT_TRUE(verify.waitForFinished(10000));
    EXPECT_EQ(verify.exitCode(), 0);
    EXPECT_TRUE(verify.readAll().contains("Universe 5: 1 frames"));
    QProcess again;
    again.start(kHost, {QStringLiteral("--plugin"), dir.filePath("Nimbolux.so"), QStringLiteral("--registry"),
                        dir.filePath("registry.txt"), QStringLiteral("--headless"), QStringLiteral("--play"),
                        dir.filePath("live.show"), QStringLiteral("--base"), QStringLiteral("11"),
                        QStringLiteral("--snapshot"), dir.filePath("again.png")});
    ASSERT_TRUE(again.waitForFinished(30000));
    EXPECT_EQ(again.exitCode(), 0) << again.readAllStandardError().toStdString();
    EXPECT_EQ(QImage(dir.filePath("again.png")), QImage(dir.filePath("out.png")));

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

    // OLA's own playback of it into an olad on OLA's port (its tools know no
    // other), received as the console was: the same display. Played in a
    // loop, since ola_recorder may end before its last frame leaves.
    if (olatest::OladSandbox::accepting(9010))
        GTEST_SKIP() << "127.0.0.1:9010 is taken, for ola_recorder's olad";
    olatest::OladSandbox oladOnItsPort(9010);
    ASSERT_TRUE(oladOnItsPort.start(&error)) << error.toStdString();
    QProcess receiver;
    receiver.setProcessEnvironment(environment);
    receiver.start(kHost,
                   {QStringLiteral("--plugin"), dir.filePath("Nimbolux.so"), QStringLiteral("--registry"),
                    dir.filePath("registry.txt"), QStringLiteral("--headless"), QStringLiteral("--ola"),
                    QStringLiteral("5"), QStringLiteral("--ola-server"), QStringLiteral("127.0.0.1:9010"),
                    QStringLiteral("--base"), QStringLiteral("11"), QStringLiteral("--duration"),
                    QStringLiteral("2"), QStringLiteral("--snapshot"), dir.filePath("played.png")});
    ASSERT_TRUE(receiver.waitForStarted());
    QByteArray said;
    ASSERT_TRUE(waitForOutput(receiver, &said, "receiving universe 5", 10000)) << said.toStdString();
    QProcess playback;
    playback.start(QStringLiteral("ola_recorder"),
                   {QStringLiteral("--playback"), dir.filePath("live.show"), QStringLiteral("--iterations"),
                    QStringLiteral("0"), QStringLiteral("--delay"), QStringLiteral("100"),
                    QStringLiteral("--duration"), QStringLiteral("4")});
    ASSERT_TRUE(receiver.waitForFinished(30000));
    playback.terminate();
    playback.waitForFinished(5000);
    EXPECT_EQ(receiver.exitCode(), 0) << receiver.readAllStandardError().toStdString();
    EXPECT_EQ(QImage(dir.filePath("played.png")), QImage(dir.filePath("out.png")));
}

struct Silence {
    const char* name;
    const char* noDataAfter;
    bool hatched;
};

class LivePlotGaps : public HostWithOla, public testing::WithParamInterface<Silence> {};

// Frames every 0.3 s until the run ends: with no data after 0.1 s each pause
// is a hatched gap in the plot; with an hour, none is, the end of the run
// (which stops the receiver) included.
TEST_P(LivePlotGaps, AreWhereNoDataWasSaid) {
    QTemporaryDir dir;
    QProcess host;
    host.setWorkingDirectory(dir.path());
    host.start(kHost, {QStringLiteral("--plugin"), kPlugin, QStringLiteral("--registry"),
                       dir.filePath("registry.txt"), QStringLiteral("--headless"), QStringLiteral("--ola"),
                       QStringLiteral("1"), QStringLiteral("--ola-server"),
                       QStringLiteral("127.0.0.1:%1").arg(olad.port()), QStringLiteral("--no-data-after"),
                       QString::fromLatin1(GetParam().noDataAfter), QStringLiteral("--duration"),
                       QStringLiteral("3"), QStringLiteral("--plot"), dir.filePath("plot.png")});
    ASSERT_TRUE(host.waitForStarted());
    QByteArray out;
    ASSERT_TRUE(waitForOutput(host, &out, "receiving universe 1", 10000)) << out.toStdString();
    olatest::DmxSender sender(olad.port());
    ASSERT_TRUE(sender.connect());
    std::vector<uint8_t> frame(9, 0);
    for (uint8_t level = 0; !host.waitForFinished(300); level += 20) {
        frame[0] = level;
        sender.send(1, frame);
    }
    ASSERT_EQ(host.exitCode(), 0) << host.readAllStandardError().toStdString();
    const QImage plot(dir.filePath("plot.png"));
    ASSERT_EQ(plot.size(), QSize(1600, 900));
    // Hatching is grey (about 200); the glow levels' lines are lighter (227).
    const vexohost::TimelineLayout layout(QRect(0, 0, 1600, 900).adjusted(4, 4, -4, -2),
                                          QFontMetrics(QFont()), 0, 3000);
    int hatched = 0;
    for (int lane = 1; lane < 9; ++lane)
        for (int x = layout.plot().left() + 2; x < layout.plot().right() - 2; ++x) {
            const QRgb p = plot.pixel(x, layout.lane(lane).center().y());
            hatched += qRed(p) == qGreen(p) && qGreen(p) == qBlue(p) && qRed(p) < 215;
        }
    EXPECT_EQ(hatched > 0, GetParam().hatched) << hatched << " hatched pixels";
}

INSTANTIATE_TEST_SUITE_P(Table, LivePlotGaps,
                         testing::Values(Silence{"shortSilencesAreGaps", "0.1", true},
                                         Silence{"anHourIsNoneNorTheEnd", "3600", false}),
                         testsupport::CaseName());

}  // namespace
