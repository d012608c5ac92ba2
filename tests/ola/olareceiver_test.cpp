// SPDX-License-Identifier: GPL-3.0-or-later
// OlaReceiver against an olad of the test's own on loopback: what reaches the
// GUI thread, status texts, reconnection and stopping.

#include "host/input/olareceiver.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTime>
#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/ola/dmxsender.h"
#include "tests/ola/hostileserver.h"
#include "tests/ola/oladsandbox.h"
#include "tests/support/casename.h"

namespace {

using olatest::DmxSender;
using olatest::HostileServer;
using olatest::OladSandbox;
using vexohost::ChannelChanges;
using vexohost::OlaReceiver;

bool waitUntil(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) return false;
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    return true;
}

void idle(int ms) {
    waitUntil([] { return false; }, ms);
}

std::vector<uint8_t> frame(size_t size, uint8_t fill) {
    return std::vector<uint8_t>(size, fill);
}

// Everything a receiver emitted.
struct Recorder {
    explicit Recorder(OlaReceiver* receiver) {
        QObject::connect(receiver, &OlaReceiver::statusChanged, [this](const QString& s) {
            statuses.push_back(s);
            frameOfLastBatch = kNoFrame;  // a new start counts its frames from 1 again
        });
        // The channels each frame changed, one call a frame.
        QObject::connect(
            receiver, &OlaReceiver::changesDue, [this, receiver](const vexohost::ChannelChanges& changes) {
                EXPECT_NE(receiver->framesTaken(), frameOfLastBatch) << "two calls for one frame";
                frameOfLastBatch = receiver->framesTaken();
                batches.emplace_back(changes.begin(), changes.end());
            });
    }
    bool saw(const QString& status) const {
        return std::find(statuses.begin(), statuses.end(), status) != statuses.end();
    }
    // Index of the first status at or after `from` that starts with `prefix`, or -1.
    int find(const QString& prefix, int from = 0) const {
        for (int i = std::max(from, 0); i < int(statuses.size()); ++i)
            if (statuses[size_t(i)].startsWith(prefix)) return i;
        return -1;
    }
    std::vector<QString> statuses;
    std::vector<ChannelChanges> batches;
    static constexpr uint64_t kNoFrame = ~uint64_t(0);
    uint64_t frameOfLastBatch = kNoFrame;
};

class OlaReceiverTest : public testing::Test {
protected:
    void SetUp() override {
        const QString reason = OladSandbox::unavailableReason();
        if (!reason.isEmpty()) GTEST_SKIP() << "no olad for this test: " << reason.toStdString();
        m_olad = std::make_unique<OladSandbox>();
        QString error;
        ASSERT_TRUE(m_olad->start(&error)) << error.toStdString();
        m_receiver.setServer(QStringLiteral("127.0.0.1"), m_olad->port());
    }

    // Starts the receiver and a sender on `universe` and waits until both are connected.
    void connect(unsigned universe) {
        ASSERT_TRUE(m_receiver.start(universe));
        const QString receiving = QStringLiteral("receiving universe %1").arg(universe);
        ASSERT_TRUE(waitUntil([&] { return m_receiver.status() == receiving; }, 15000))
            << m_receiver.status().toStdString();
        m_sender = std::make_unique<DmxSender>(m_olad->port());
        ASSERT_TRUE(m_sender->connect());
    }

    // Sends a frame and waits until the receiver took a frame after it.
    void sendAndTake(unsigned universe, const std::vector<uint8_t>& values) {
        const uint64_t before = m_receiver.framesTaken();
        ASSERT_TRUE(m_sender->send(universe, values));
        ASSERT_TRUE(waitUntil([&] { return m_receiver.framesTaken() > before; }, 3000));
    }

    std::unique_ptr<OladSandbox> m_olad;
    OlaReceiver m_receiver;
    Recorder m_record{&m_receiver};
    std::unique_ptr<DmxSender> m_sender;
};

TEST_F(OlaReceiverTest, FirstFrameInFullThenOnlyChangedChannels) {
    connect(1);
    sendAndTake(1, frame(512, 10));
    ASSERT_EQ(m_record.batches.size(), 1u);
    ASSERT_EQ(m_record.batches[0].size(), 512u);
    EXPECT_EQ(m_record.batches[0].front(), std::make_pair(1, 10));
    EXPECT_EQ(m_record.batches[0].back(), std::make_pair(512, 10));

    auto next = frame(512, 10);
    next[4] = 200;
    next[511] = 0;
    sendAndTake(1, next);
    ASSERT_EQ(m_record.batches.size(), 2u);
    EXPECT_EQ(m_record.batches[1], (ChannelChanges{{5, 200}, {512, 0}}));

    // An unchanged frame emits nothing.
    sendAndTake(1, next);
    EXPECT_EQ(m_record.batches.size(), 2u);
}

TEST_F(OlaReceiverTest, ShortFrameChangesOnlyTheSlotsItCarries) {
    connect(2);
    sendAndTake(2, frame(512, 50));
    sendAndTake(2, {50, 51, 50});
    ASSERT_EQ(m_record.batches.size(), 2u);
    EXPECT_EQ(m_record.batches[1], (ChannelChanges{{2, 51}}));
    EXPECT_EQ(m_receiver.value(4), 50);
    EXPECT_EQ(m_receiver.value(512), 50);
}

TEST_F(OlaReceiverTest, OnlyItsOwnUniverse) {
    connect(3);
    ASSERT_TRUE(m_sender->send(4, frame(512, 99)));
    sendAndTake(3, frame(512, 7));
    idle(100);
    ASSERT_EQ(m_record.batches.size(), 1u);
    EXPECT_EQ(m_record.batches[0].front().second, 7);
    EXPECT_EQ(m_receiver.framesArrived(), 1u);
}

// Frames that come while the GUI thread handles no events wait for it, and
// every one of them is handed on, in order: a burst, and a second's worth at
// 500 frames/s (the link used to keep 64 and drop the rest).
struct BusyGui {
    const char* name;
    int frames;
};

class OlaReceiverBusyGui : public OlaReceiverTest, public testing::WithParamInterface<BusyGui> {};

TEST_P(OlaReceiverBusyGui, TakesEveryFrameInOrder) {
    const BusyGui& c = GetParam();
    connect(5);
    for (int i = 1; i <= c.frames; ++i) {
        ASSERT_TRUE(m_sender->send(5, frame(512, uint8_t(i))));
        QThread::msleep(2);
    }
    ASSERT_TRUE(waitUntil([&] { return m_receiver.framesTaken() >= uint64_t(c.frames); }, 10000))
        << m_receiver.framesTaken() << " of " << c.frames;
    idle(100);
    EXPECT_EQ(m_receiver.framesArrived(), uint64_t(c.frames));
    ASSERT_EQ(m_record.batches.size(), size_t(c.frames));
    for (int k = 0; k < c.frames; ++k) {
        ASSERT_EQ(m_record.batches[size_t(k)].size(), 512u) << "frame " << k;
        EXPECT_EQ(m_record.batches[size_t(k)].front().second, uint8_t(k + 1)) << "frame " << k;
    }
    EXPECT_EQ(m_receiver.value(512), uint8_t(c.frames));
}

INSTANTIATE_TEST_SUITE_P(Frames, OlaReceiverBusyGui,
                         testing::Values(BusyGui{"burst", 40}, BusyGui{"secondAt500PerSecond", 500}),
                         [](const auto& info) { return std::string(info.param.name); });

// Said with the time of the last frame, and the gap when frames come again.
TEST_F(OlaReceiverTest, NoDataAfterQuietSpellClearedByNextFrame) {
    m_receiver.setNoDataAfter(1000);
    connect(6);
    sendAndTake(6, frame(512, 1));
    QElapsedTimer quiet;
    quiet.start();
    const QTime lastFrame = QTime::currentTime();
    ASSERT_TRUE(waitUntil(
        [&] { return m_receiver.status().startsWith(QStringLiteral("universe 6: no data")); }, 5000));
    EXPECT_GE(quiet.elapsed(), 950);
    EXPECT_LE(quiet.elapsed(), 2000);
    const QTime said = QTime::fromString(m_receiver.status().section(' ', -1), QStringLiteral("HH:mm:ss"));
    EXPECT_LE(std::abs(said.secsTo(lastFrame)), 1) << m_receiver.status().toStdString();
    sendAndTake(6, frame(512, 2));
    EXPECT_TRUE(m_receiver.status().startsWith(QStringLiteral("universe 6: receiving again after 1.")))
        << m_receiver.status().toStdString();
}

TEST_F(OlaReceiverTest, ReconnectsWhenOladComesBack) {
    connect(7);
    sendAndTake(7, frame(512, 30));
    m_sender.reset();
    m_olad->stop();
    const QString notRunning =
        QStringLiteral("olad not running on 127.0.0.1:%1, retrying in").arg(m_olad->port());
    ASSERT_TRUE(waitUntil([&] { return m_record.find(notRunning) >= 0; }, 5000));

    QString error;
    ASSERT_TRUE(m_olad->start(&error)) << error.toStdString();
    ASSERT_TRUE(
        waitUntil([&] { return m_receiver.status() == QStringLiteral("receiving universe 7"); }, 8000))
        << m_receiver.status().toStdString();
    m_sender = std::make_unique<DmxSender>(m_olad->port());
    ASSERT_TRUE(m_sender->connect());
    auto next = frame(512, 30);
    next[0] = 31;
    sendAndTake(7, next);
    // Values seen before the break still count: only channel 1 changed.
    EXPECT_EQ(m_record.batches.back(), (ChannelChanges{{1, 31}}));

    const int lost = m_record.find(QStringLiteral("lost connection to olad on 127.0.0.1:"));
    const int down = m_record.find(notRunning, lost);
    const int back = m_record.find(QStringLiteral("receiving universe 7"), down);
    EXPECT_GE(lost, 0);
    EXPECT_GT(down, lost);
    EXPECT_GT(back, down);
}

// olad stopped and started ten times under a live universe: each time the
// receiver is back within its longest pause (400 ms here) and the start-up of
// olad, and a new frame gets through.
TEST_F(OlaReceiverTest, FollowsTenRestartsOfOlad) {
    constexpr int kLongestPauseMs = 400;
    m_receiver.setRetry(100, kLongestPauseMs);
    connect(7);
    sendAndTake(7, frame(512, 0));
    for (int restart = 1; restart <= 10; ++restart) {
        m_sender.reset();
        m_olad->stop();
        ASSERT_TRUE(waitUntil([&] { return m_receiver.status().startsWith("olad not running"); }, 5000))
            << "restart " << restart << ": " << m_receiver.status().toStdString();
        QString error;
        ASSERT_TRUE(m_olad->start(&error)) << error.toStdString();
        QElapsedTimer back;
        back.start();
        ASSERT_TRUE(
            waitUntil([&] { return m_receiver.status() == "receiving universe 7"; }, kLongestPauseMs + 2000))
            << "restart " << restart << ": " << m_receiver.status().toStdString();
        EXPECT_LE(back.elapsed(), kLongestPauseMs + 2000);
        m_sender = std::make_unique<DmxSender>(m_olad->port());
        ASSERT_TRUE(m_sender->connect());
        auto next = frame(512, uint8_t(restart));
        sendAndTake(7, next);
        EXPECT_EQ(m_record.batches.back().size(), 512u) << "restart " << restart;
    }
}

TEST_F(OlaReceiverTest, StopJoinsPromptlyAndNothingComesAfter) {
    connect(8);
    sendAndTake(8, frame(512, 1));
    ASSERT_TRUE(m_sender->send(8, frame(512, 2)));
    QElapsedTimer clock;
    clock.start();
    m_receiver.stop();
    EXPECT_LT(clock.elapsed(), 500);
    EXPECT_EQ(m_receiver.status(), QStringLiteral("stopped"));
    const size_t batches = m_record.batches.size();
    ASSERT_TRUE(m_sender->send(8, frame(512, 3)));
    idle(150);
    EXPECT_EQ(m_record.batches.size(), batches);

    // A new start reports the whole universe again.
    connect(8);
    sendAndTake(8, frame(512, 3));
    EXPECT_EQ(m_record.batches.back().size(), 512u);
}

// A slot that stops or restarts the receiver while a frame or a status is
// being handed on, from inside OLA's client: it returns safely, nothing of
// the run it ended comes afterwards, and a restarted run works.
struct FromSlot {
    const char* name;
    bool onStatus;  // in statusChanged ("receiving universe 10"), else in changesDue
    bool restart;
};

class OlaReceiverFromSlot : public OlaReceiverTest, public testing::WithParamInterface<FromSlot> {};

TEST_P(OlaReceiverFromSlot, StopsOrRestartsSafely) {
    const FromSlot& c = GetParam();
    bool done = false;
    const auto act = [&] {
        if (std::exchange(done, true)) return;
        m_receiver.stop();
        if (c.restart) m_receiver.start(10);
    };
    if (c.onStatus)
        QObject::connect(&m_receiver, &OlaReceiver::statusChanged, [&](const QString& text) {
            if (text == QStringLiteral("receiving universe 10")) act();
        });
    else
        QObject::connect(&m_receiver, &OlaReceiver::changesDue, act);
    ASSERT_TRUE(m_receiver.start(10));
    m_sender = std::make_unique<DmxSender>(m_olad->port());
    ASSERT_TRUE(m_sender->connect());
    ASSERT_TRUE(waitUntil([&] { return done || m_sender->send(10, frame(512, 1)) == false; }, 5000));
    const size_t batches = m_record.batches.size();
    ASSERT_TRUE(m_sender->send(10, frame(512, 2)));
    idle(150);
    if (!c.restart) {
        EXPECT_FALSE(m_receiver.isRunning());
        EXPECT_EQ(m_record.batches.size(), batches);
        return;
    }
    ASSERT_TRUE(
        waitUntil([&] { return m_receiver.status() == QStringLiteral("receiving universe 10"); }, 5000))
        << m_receiver.status().toStdString();
    sendAndTake(10, frame(512, 3));
    EXPECT_EQ(m_record.batches.back().size(), 512u);
    EXPECT_EQ(m_receiver.value(1), 3);
}

const FromSlot kFromSlot[] = {
    {"stopOnFrame", false, false},
    {"restartOnFrame", false, true},
    {"stopOnStatus", true, false},
    {"restartOnStatus", true, true},
};
INSTANTIATE_TEST_SUITE_P(Slots, OlaReceiverFromSlot, testing::ValuesIn(kFromSlot), testsupport::CaseName());

TEST_F(OlaReceiverTest, DestroyedWhileReceiving) {
    auto receiver = std::make_unique<OlaReceiver>();
    receiver->setServer(QStringLiteral("localhost"), m_olad->port());
    ASSERT_TRUE(receiver->start(9));
    DmxSender sender(m_olad->port());
    ASSERT_TRUE(sender.connect());
    for (int i = 0; i < 20; ++i) {
        sender.send(9, frame(512, uint8_t(i)));
        QCoreApplication::processEvents();
        QThread::msleep(2);
    }
    receiver.reset();  // joins the thread; queued calls to it are dropped
    idle(50);
}

// Without olad: back-off texts, and a bad address.
TEST(OlaReceiverOffline, BacksOffDoublingUpToTheCap) {
    OlaReceiver receiver;
    Recorder record(&receiver);
    const quint16 port = OladSandbox::freePort();
    receiver.setServer(QStringLiteral("127.0.0.1"), port);
    receiver.setRetry(25, 100);
    ASSERT_TRUE(receiver.start(1));
    const QString prefix = QStringLiteral("olad not running on 127.0.0.1:%1, retrying in ").arg(port);
    idle(700);
    const std::vector<QString> expected = {prefix + "0.025 s", prefix + "0.05 s", prefix + "0.1 s"};
    EXPECT_EQ(record.statuses, expected);
    EXPECT_FALSE(record.saw(prefix + "0.2 s"));

    QElapsedTimer clock;
    clock.start();
    receiver.stop();
    EXPECT_LT(clock.elapsed(), 300);
}

TEST(OlaReceiverOffline, SecondsInTheDefaultBackOff) {
    OlaReceiver receiver;
    Recorder record(&receiver);
    const quint16 port = OladSandbox::freePort();
    receiver.setServer(QStringLiteral("localhost"), port);
    ASSERT_TRUE(receiver.start(1));
    const QString prefix = QStringLiteral("olad not running on localhost:%1, retrying in ").arg(port);
    ASSERT_TRUE(waitUntil([&] { return record.saw(prefix + "2 s"); }, 3000));
    EXPECT_EQ(record.statuses.front(), prefix + "0.25 s");
    EXPECT_TRUE(record.saw(prefix + "0.5 s"));
    EXPECT_TRUE(record.saw(prefix + "1 s"));
}

// Something else on olad's port. A reset may come before the connection is
// found made (the event loop sees it made a moment later) or after it.
struct Hostile {
    const char* name;
    HostileServer::Kind kind;
    std::vector<const char*> saysOneOf;  // the start of a status text, after "... on 127.0.0.1:"
};

class OlaReceiverHostile : public testing::TestWithParam<Hostile> {};

TEST_P(OlaReceiverHostile, ReportsItAndBacksOff) {
    const Hostile& c = GetParam();
    HostileServer server(c.kind);
    OlaReceiver receiver;
    Recorder record(&receiver);
    receiver.setServer(QStringLiteral("127.0.0.1"), server.port());
    receiver.setRetry(100, 200);
    receiver.setTimeout(150);
    ASSERT_TRUE(receiver.start(1));
    idle(800);
    EXPECT_TRUE(receiver.isRunning());
    receiver.stop();
    // Attempts at about 0, 0.1, 0.3, 0.5 and 0.7 s; without a pause it would be thousands,
    // and one that hangs after the first would be one.
    EXPECT_GE(server.accepted(), 2);
    EXPECT_LE(server.accepted(), 8);
    EXPECT_TRUE(std::any_of(c.saysOneOf.begin(), c.saysOneOf.end(), [&](const char* text) {
        return record.find(QString::fromLatin1(text) + " on 127.0.0.1:") >= 0;
    })) << record.statuses.front().toStdString();
    EXPECT_EQ(record.find(QStringLiteral("receiving")), -1);
}

const Hostile kHostile[] = {
    {"slams", HostileServer::Kind::Slams, {"lost connection to olad"}},
    {"resets", HostileServer::Kind::Resets, {"lost connection to olad", "olad not reachable"}},
    {"sendsGarbage", HostileServer::Kind::SendsGarbage, {"lost connection to olad"}},
    {"silent", HostileServer::Kind::Silent, {"no olad answers"}},
};
INSTANTIATE_TEST_SUITE_P(Servers, OlaReceiverHostile, testing::ValuesIn(kHostile), testsupport::CaseName());

TEST(OlaReceiverOffline, RefusesAnAddressItCannotUse) {
    OlaReceiver receiver;
    for (const char* host : {"olad.example", "::1", ""}) {
        receiver.setServer(QString::fromLatin1(host), 9010);
        EXPECT_FALSE(receiver.start(1)) << host;
        EXPECT_FALSE(receiver.isRunning());
        EXPECT_EQ(receiver.status(), QStringLiteral("olad address not valid: %1").arg(host));
    }
}

}  // namespace
