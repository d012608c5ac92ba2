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
#include "tests/support/casename.h"
#include "tests/support/displaypictures.h"

namespace {

using olatest::NetworkRig;

const QString kHost = QStringLiteral(VEXO_HOST);
const QString kPlugin = QStringLiteral(NIMBO_PLUGIN);
const QString kImages = QStringLiteral(NIMBO_IMAGES);

class LiveRig : public testing::Test {
protected:
    void SetUp() override {
        if (const QString reason = NetworkRig::unavailableReason(); !reason.isEmpty())
            GTEST_SKIP() << "no rig here: " << reason.toStdString();
        ASSERT_TRUE(QFile::copy(kPlugin, m_dir.filePath("Nimbolux.so")));
        QDir().mkpath(m_dir.filePath("images"));
        for (const QString& name : QDir(kImages).entryList({QStringLiteral("*.gif")}))
            ASSERT_TRUE(QFile::copy(kImages + '/' + name, m_dir.filePath("images/" + name)));
    }
    // The rig, with the main desk's console running.
    void startRig(NetworkRig::Protocol protocol, bool withBackup = false) {
        m_rig = std::make_unique<NetworkRig>(protocol, withBackup);
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
        m_output.clear();
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
    // Frames at a console's 44 a second for `ms`, each of them new; the count
    // sent. With `backup`, the backup desk sends it at the same time.
    int sendFor(int ms, int from = 0, const std::vector<int>& backup = {}) {
        QElapsedTimer clock;
        clock.start();
        int sent = 0;
        for (; clock.elapsed() < ms; ++sent) {
            const int n = from + sent;
            // Nimbo 0 at full glow; channel 10, which no nimbo shows, makes each frame new.
            if (!m_rig->send({235, 0, 0, 0, 0, 0, 0, 0, 0, n % 256})) return sent;
            if (!backup.empty() && !m_rig->send(backup, NetworkRig::Desk::Backup)) return sent;
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
class LiveRigProtocols : public LiveRig, public testing::WithParamInterface<NetworkRig::Protocol> {};

TEST_P(LiveRigProtocols, NineValuesReachTheDisplay) {
    ASSERT_NO_FATAL_FAILURE(startRig(GetParam()));
    startHost(2.5, {QStringLiteral("--snapshot"), m_dir.filePath("out.png")});
    ASSERT_TRUE(m_rig->send({255, 200, 150, 100, 50, 20, 5, 0, 235}));
    finishHost();
    const QImage shot(m_dir.filePath("out.png"));
    ASSERT_FALSE(shot.isNull()) << m_output.toStdString();
    EXPECT_EQ(testsupport::envelopeDifferences(shot, kImages, {6, 5, 4, 3, 2, 2, 1, 0, 6}), 0);
}

// Every frame the console sent at 44 a second for 10 s arrived and reached the display.
TEST_F(LiveRig, EveryFrameArrivesAndReachesTheDisplay) {
    ASSERT_NO_FATAL_FAILURE(startRig(NetworkRig::Protocol::E131));
    startHost(12);
    const int sent = sendFor(10000);
    const QString said = finishHost();
    const QRegularExpressionMatch counts =
        QRegularExpression(QStringLiteral("olad: (\\d+) frames arrived, (\\d+) reached the display"))
            .match(said);
    ASSERT_TRUE(counts.hasMatch()) << said.toStdString();
    EXPECT_EQ(counts.captured(1).toInt(), sent) << said.toStdString();
    EXPECT_EQ(counts.captured(2).toInt(), sent) << said.toStdString();
    // Headless, the rate is said a second after the frames begin.
    EXPECT_TRUE(said.contains(QRegularExpression(QStringLiteral("olad: universe 1: 4[2-6]\\.0 frames/s"))))
        << said.toStdString();
}

// The console goes away: no data is said once its source has timed out, and
// receiving again as soon as it is back.
TEST_F(LiveRig, OutageIsSaidAndRecovers) {
    ASSERT_NO_FATAL_FAILURE(startRig(NetworkRig::Protocol::E131));
    startHost(12);
    sendFor(1500);
    m_rig->stopConsole();
    m_rig->stopDesk();
    EXPECT_TRUE(waitForOutput(QStringLiteral("olad: universe 1: no data since "), 6000))
        << m_output.toStdString();
    QString error;
    ASSERT_TRUE(m_rig->startDesk(&error)) << error.toStdString();
    ASSERT_TRUE(m_rig->startConsole(&error)) << error.toStdString();
    const qsizetype outage = m_output.size();
    sendFor(1500, 7);
    const QString said = finishHost();
    EXPECT_GT(said.indexOf(QStringLiteral("olad: universe 1: receiving again after "), outage), 0)
        << said.toStdString();
}

// A backup console at a higher sACN priority takes over, and gives the
// universe back when it falls silent (killed, so it cannot say it stops),
// after sACN's source timeout of 2.5 s in which olad delivers nothing: no
// "no data" is said for that.
TEST_F(LiveRig, BackupTakesOverAndGivesBackWithoutNoData) {
    ASSERT_NO_FATAL_FAILURE(startRig(NetworkRig::Protocol::E131, true));
    QString error;
    ASSERT_TRUE(m_rig->startConsole(&error, NetworkRig::Desk::Backup)) << error.toStdString();
    const std::vector<int> backup = {0, 0, 0, 0, 0, 0, 0, 0, 235};
    const QString taken = m_dir.filePath("taken.png"), given = m_dir.filePath("given.png");

    // Both send: the backup's values reach the display.
    startHost(2.5, {QStringLiteral("--snapshot"), taken});
    sendFor(3000, 0, backup);
    finishHost();
    EXPECT_EQ(testsupport::envelopeDifferences(QImage(taken), kImages, {0, 0, 0, 0, 0, 0, 0, 0, 6}), 0);

    // The backup is switched off, the main desk goes on: its values come back after the timeout.
    startHost(6, {QStringLiteral("--snapshot"), given});
    sendFor(1000, 0, backup);
    m_rig->stopDesk(NetworkRig::Desk::Backup, true);
    sendFor(5500, 44);
    const QString said = finishHost();
    EXPECT_EQ(testsupport::envelopeDifferences(QImage(given), kImages, {6, 0, 0, 0, 0, 0, 0, 0, 0}), 0);
    EXPECT_FALSE(said.contains(QStringLiteral("no data"))) << said.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Protocols, LiveRigProtocols,
                         testing::Values(NetworkRig::Protocol::E131, NetworkRig::Protocol::ArtNet),
                         [](const auto& info) {
                             return std::string(info.param == NetworkRig::Protocol::E131 ? "sACN" : "ArtNet");
                         });

}  // namespace
