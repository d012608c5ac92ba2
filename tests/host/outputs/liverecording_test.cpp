// SPDX-License-Identifier: GPL-3.0-or-later
// Recordings of inputs that have no show time of their own, taken on the
// wall clock: standard input as it comes, and the faders until Ctrl-C, which
// ends a live recording and keeps it. Decoded by Qt's GIF reader and
// libwebp's animation decoder; what came in, saved as a show, played again.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QThread>
#include <csignal>

#include "tests/support/casename.h"
#include "tests/support/colourdifference.h"
#include "tests/support/decodedframes.h"
#include "tests/support/hostprogramtest.h"

namespace {

using hosttest::HostProgram;
using hosttest::kHost;
using hosttest::kImages;

struct LiveCase {
    const char* name;
    const char* file;
    bool interrupted;      // the faders, ended by Ctrl-C; else standard input, ended by its end
    bool recorded = true;  // else only the values and the plot are written
};

class LiveRecordings : public HostProgram, public testing::WithParamInterface<LiveCase> {};

TEST_P(LiveRecordings, KeepWallClockTime) {
    const LiveCase& c = GetParam();
    const QString out = path(QString::fromLatin1(c.file));
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
    process.setProcessEnvironment(environment);
    QStringList arguments = {"--plugin",     path("Nimbolux.so"),
                             "--registry",   path("registry.txt"),
                             "--headless",   c.interrupted ? "--faders" : "--stdin",
                             "--export-csv", path("values.csv"),
                             "--plot",       path("plot.png")};
    if (c.recorded)
        arguments << "--fps"
                  << "10"
                  << "--record" << out << "--save-show" << path("kept.show");
    process.start(kHost, arguments);
    ASSERT_TRUE(process.waitForStarted());
    // Nimbo 0 lights at once; nimbo 8 a second later, and the input ends 0.6 s after that.
    process.write("0 1=235\n");
    ASSERT_TRUE(process.waitForBytesWritten(1000));
    QThread::msleep(1000);
    process.write("1000 9=235\n");
    ASSERT_TRUE(process.waitForBytesWritten(1000));
    QThread::msleep(600);
    if (c.interrupted)
        ::kill(pid_t(process.processId()), SIGINT);
    else
        process.closeWriteChannel();
    ASSERT_TRUE(process.waitForFinished(30000));
    const QByteArray err = process.readAllStandardError();
    EXPECT_EQ(process.exitCode(), 0) << err.toStdString();
    EXPECT_EQ(err.contains(" end here and are kept"), c.interrupted) << err.toStdString();
    QFile values(path("values.csv"));
    ASSERT_TRUE(values.open(QIODevice::ReadOnly));
    EXPECT_TRUE(values.readLine().startsWith("ms,ch1,"));
    EXPECT_EQ(QImage(path("plot.png")).size(), QSize(1600, 900));
    if (!c.recorded) return;
    QFile saved(path("kept.show"));
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QString show = QString::fromUtf8(saved.readAll());

    const std::vector<testsupport::DecodedFrame> frames = testsupport::decodeFrames(out);
    ASSERT_FALSE(frames.empty());
    const int length = testsupport::decodedLengthMs(out);
    EXPECT_GE(length, 1000);  // the recording starts once the host is up
    EXPECT_LE(length, 2800);
    if (c.interrupted) {  // the faders take no lines: a show of no moment
        EXPECT_FALSE(
            show.contains(QRegularExpression(QStringLiteral("^\\d"), QRegularExpression::MultilineOption)));
        return;
    }
    // The lines as they came, a second apart; played again, the show ends as the run did.
    const QRegularExpressionMatch lines =
        QRegularExpression(QStringLiteral("\n(\\d+) 1=235\n(\\d+) 9=235\n$")).match(show);
    ASSERT_TRUE(lines.hasMatch()) << show.toStdString();
    EXPECT_NEAR(lines.captured(2).toInt() - lines.captured(1).toInt(), 1000, 200);
    const hosttest::HostRun again = host({"--play", path("kept.show"), "--snapshot", path("again.png")});
    ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
    expectEnvelopes(QImage(path("again.png")), {6, 0, 0, 0, 0, 0, 0, 0, 6});
    // When each state was first seen: a second apart, as the lines came.
    const QRect envelopes(0, 10, 867, 180);
    auto firstShowing = [&](const std::array<int, 9>& levels) {
        const QImage expected = testsupport::expectedEnvelopes(kImages, levels);
        for (const testsupport::DecodedFrame& frame : frames)
            if (testsupport::colourDifference(frame.image, expected, envelopes).meanDeltaE < 2.0)
                return frame.fromMs;
        return -1;
    };
    const int one = firstShowing({6, 0, 0, 0, 0, 0, 0, 0, 0}),
              both = firstShowing({6, 0, 0, 0, 0, 0, 0, 0, 6});
    ASSERT_GE(one, 0);
    ASSERT_GT(both, one);
    EXPECT_NEAR(both - one, 1000, 200);
}

INSTANTIATE_TEST_SUITE_P(Inputs, LiveRecordings,
                         testing::Values(LiveCase{"standardInputGif", "live.gif", false},
                                         LiveCase{"standardInputWebp", "live.webp", false},
                                         LiveCase{"fadersUntilCtrlC", "live.webp", true},
                                         LiveCase{"fadersValuesAndPlotUntilCtrlC", "", true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
