// SPDX-License-Identifier: GPL-3.0-or-later
// vexo-host following a console over a real lighting protocol: a desk olad
// sends universe 1 over E1.31 or Art-Net across a veth pair between two
// network namespaces made by the test, and vexo-host reads the olad that
// receives it, as on a technician's rig.

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include "tests/ola/networkrig.h"
#include "tests/support/displaypictures.h"

namespace {

using olatest::NetworkRig;

const QString kHost = QStringLiteral(VEXO_HOST);
const QString kPlugin = QStringLiteral(NIMBO_PLUGIN);
const QString kImages = QStringLiteral(NIMBO_IMAGES);

class LiveRig : public testing::TestWithParam<NetworkRig::Protocol> {
protected:
    void SetUp() override {
        if (const QString reason = NetworkRig::unavailableReason(); !reason.isEmpty())
            GTEST_SKIP() << "no rig here: " << reason.toStdString();
        // vexo-host runs as root in the foh namespace: its folder must be its own.
        ASSERT_TRUE(QFile::copy(kPlugin, m_dir.filePath("Nimbolux.so")));
        QDir().mkpath(m_dir.filePath("images"));
        for (const QString& name : QDir(kImages).entryList({QStringLiteral("*.gif")}))
            ASSERT_TRUE(QFile::copy(kImages + '/' + name, m_dir.filePath("images/" + name)));
        m_rig = std::make_unique<NetworkRig>(GetParam());
        QString error;
        ASSERT_TRUE(m_rig->start(&error)) << error.toStdString();
        ASSERT_TRUE(m_rig->startConsole(&error)) << error.toStdString();
    }
    void TearDown() override {
        if (m_host.state() != QProcess::NotRunning) {
            m_host.kill();
            m_host.waitForFinished(5000);
        }
        m_rig.reset();
    }

    // vexo-host headless on universe 1 of the foh olad, until it registered.
    void startHost(double seconds, const QStringList& more = {}) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
        m_host.setProcessEnvironment(environment);
        m_host.setWorkingDirectory(m_dir.path());
        m_host.start(
            QStringLiteral("ip"),
            m_rig->inFoh(
                kHost, QStringList{QStringLiteral("--plugin"), m_dir.filePath("Nimbolux.so"),
                                   QStringLiteral("--registry"), m_dir.filePath("registry.txt"),
                                   QStringLiteral("--headless"), QStringLiteral("--ola"), QStringLiteral("1"),
                                   QStringLiteral("--duration"), QString::number(seconds)} +
                           more));
        ASSERT_TRUE(m_host.waitForStarted());
        ASSERT_TRUE(waitForOutput(QStringLiteral("olad: receiving universe 1"), 5000))
            << m_output.toStdString();
    }
    bool waitForOutput(const QString& text, int ms) {
        QElapsedTimer clock;
        clock.start();
        while (!m_output.contains(text) && clock.elapsed() < ms && m_host.state() == QProcess::Running) {
            m_host.waitForReadyRead(50);
            m_output += QString::fromLocal8Bit(m_host.readAllStandardOutput());
        }
        return m_output.contains(text);
    }
    QString finishHost() {
        EXPECT_TRUE(m_host.waitForFinished(20000));
        m_output += QString::fromLocal8Bit(m_host.readAllStandardOutput());
        EXPECT_EQ(m_host.exitCode(), 0) << m_host.readAllStandardError().toStdString();
        return m_output;
    }
    // Frames at a console's 44 a second for `ms`, each of them new; the count sent.
    int sendFor(int ms, int from = 0) {
        QElapsedTimer clock;
        clock.start();
        int sent = 0;
        for (; clock.elapsed() < ms; ++sent) {
            const int n = from + sent;
            if (!m_rig->send({n % 256, 255 - n % 256, 100})) return sent;
            const qint64 next = (sent + 1) * 1000 / 44;
            if (next > clock.elapsed()) QThread::msleep(unsigned(next - clock.elapsed()));
        }
        return sent;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<NetworkRig> m_rig;
    QProcess m_host;
    QString m_output;
};

// The nine values arrive as the console set them, and the snapshot shows the
// envelopes they stand for.
TEST_P(LiveRig, NineValuesReachTheDisplay) {
    startHost(2.5, {QStringLiteral("--snapshot"), m_dir.filePath("out.png")});
    ASSERT_TRUE(m_rig->send({255, 200, 150, 100, 50, 20, 5, 0, 235}));
    finishHost();
    const QImage shot(m_dir.filePath("out.png"));
    ASSERT_FALSE(shot.isNull()) << m_output.toStdString();
    EXPECT_EQ(testsupport::envelopeDifferences(shot, kImages, {6, 5, 4, 3, 2, 2, 1, 0, 6}), 0);
}

// Every frame the console sent at 44 a second for 10 s arrived and reached the display.
TEST_P(LiveRig, EveryFrameArrivesAndReachesTheDisplay) {
    if (GetParam() != NetworkRig::Protocol::E131) GTEST_SKIP() << "counted over E1.31";
    startHost(12);
    const int sent = sendFor(10000);
    const QString said = finishHost();
    const QRegularExpressionMatch counts =
        QRegularExpression(QStringLiteral("olad: (\\d+) frames arrived, (\\d+) reached the display"))
            .match(said);
    ASSERT_TRUE(counts.hasMatch()) << said.toStdString();
    EXPECT_EQ(counts.captured(1).toInt(), sent) << said.toStdString();
    EXPECT_EQ(counts.captured(2).toInt(), sent) << said.toStdString();
}

// The console goes away: no data is said once its source has timed out, and
// receiving again as soon as it is back.
TEST_P(LiveRig, OutageIsSaidAndRecovers) {
    if (GetParam() != NetworkRig::Protocol::E131) GTEST_SKIP() << "timed over E1.31";
    startHost(12);
    sendFor(1500);
    m_rig->stopConsole();
    m_rig->stopDesk();
    EXPECT_TRUE(waitForOutput(QStringLiteral("olad: universe 1: no data"), 6000)) << m_output.toStdString();
    QString error;
    ASSERT_TRUE(m_rig->startDesk(&error)) << error.toStdString();
    ASSERT_TRUE(m_rig->startConsole(&error)) << error.toStdString();
    const qsizetype outage = m_output.size();
    sendFor(1500, 7);
    EXPECT_TRUE(m_output.indexOf(QStringLiteral("olad: receiving universe 1"), outage) >= 0 ||
                waitForOutput(QStringLiteral("receiving universe 1"), 1000))
        << m_output.toStdString();
    const QString said = finishHost();
    EXPECT_GT(said.indexOf(QStringLiteral("olad: receiving universe 1"), outage), 0) << said.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Protocols, LiveRig,
                         testing::Values(NetworkRig::Protocol::E131, NetworkRig::Protocol::ArtNet),
                         [](const auto& info) {
                             return std::string(info.param == NetworkRig::Protocol::E131 ? "sACN" : "ArtNet");
                         });

}  // namespace
