// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/input/showplayer.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>

#include "tests/support/casename.h"

namespace vexohost {
namespace {

struct Log {
    std::vector<std::pair<char, int64_t>> entries;  // 'e' event or 'f' frame, at show time
    int64_t framedMs = 0;                           // the frames' lengths together
    int frames() const {
        return int(std::count_if(entries.begin(), entries.end(), [](auto& e) { return e.first == 'f'; }));
    }
};

Log run(std::vector<ShowEvent> events, PlayerOptions options) {
    ShowPlayer player(std::move(events), options);
    Log log;
    QObject::connect(&player, &ShowPlayer::messageDue, [&](const HostMessage&) {
        log.entries.push_back({'e', player.playedMs()});
    });
    QObject::connect(&player, &ShowPlayer::frameDue, [&](qint64 t, qint64 length) {
        log.entries.push_back({'f', t});
        log.framedMs += length;
    });
    QEventLoop loop;
    QObject::connect(&player, &ShowPlayer::finished, &loop, &QEventLoop::quit);
    player.start();
    if (player.isRunning()) loop.exec();
    return log;
}

std::vector<ShowEvent> threeEvents() {
    return {{0, 15, 1, 1, 1}, {100, 15, 2, 2, 2}, {250, 15, 3, 3, 3}};
}

// Frames fall at fixed steps of show time whatever the pace, and every frame
// comes after the events at or before its time.
TEST(ShowPlayer, FastAndTimedPlayGiveTheSameSequence) {
    PlayerOptions fast{.fast = true, .framesPerSecond = 20};
    PlayerOptions timed{.speed = 20.0, .framesPerSecond = 20};
    const Log a = run(threeEvents(), fast);
    const Log b = run(threeEvents(), timed);
    EXPECT_EQ(a.entries, b.entries);
    // 1250 ms of show (last event + 1 s) at 50 ms a frame, but for the quiet
    // second at the end: four frames of its own, then one long one.
    EXPECT_EQ(a.framedMs, 1250);
    EXPECT_EQ(a.frames(), 10);
    EXPECT_EQ(a.entries.back(), (std::pair<char, int64_t>{'f', 450}));
    const std::vector<std::pair<char, int64_t>> head = {
        {'e', 0}, {'f', 0}, {'f', 50}, {'e', 100}, {'f', 100}};
    EXPECT_TRUE(std::equal(head.begin(), head.end(), a.entries.begin()));
}

TEST(ShowPlayer, DurationEndsAnyShowAndALoopedOne) {
    PlayerOptions shortRun{.fast = true, .framesPerSecond = 10, .durationMs = 120};
    const Log cut = run(threeEvents(), shortRun);
    EXPECT_EQ(cut.frames(), 2);  // frames at 0 and 100
    EXPECT_EQ(std::count(cut.entries.begin(), cut.entries.end(), std::pair<char, int64_t>{'e', 250}), 0);

    PlayerOptions looped{.speed = 50.0, .loop = true, .durationMs = 2550};
    const Log again = run(threeEvents(), looped);
    // Two full passes of 1250 ms and the start of a third.
    EXPECT_EQ(again.entries.size(), 7u);
    EXPECT_EQ(again.entries.back(), (std::pair<char, int64_t>{'e', 2500}));
}

// The frames' lengths add up to the time played, at any frame rate, played
// fast or timed, once or looped.
struct FrameCase {
    const char* name;
    PlayerOptions options;
    int64_t playedMs;
};

class ShowPlayerFrames : public testing::TestWithParam<FrameCase> {};

TEST_P(ShowPlayerFrames, AddUpToThePlayedTime) {
    const Log log = run(threeEvents(), GetParam().options);
    EXPECT_EQ(log.framedMs, GetParam().playedMs);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ShowPlayerFrames,
    testing::Values(FrameCase{"fps30", {.fast = true, .framesPerSecond = 30}, 1250},
                    FrameCase{"fps40", {.fast = true, .framesPerSecond = 40}, 1250},
                    FrameCase{"fps60", {.fast = true, .framesPerSecond = 60}, 1250},
                    FrameCase{"fps7", {.fast = true, .framesPerSecond = 7}, 1250},
                    FrameCase{"timedFps30", {.speed = 20.0, .framesPerSecond = 30}, 1250},
                    // The frame before --to ends there, though the show says so only after it.
                    FrameCase{"toBetweenFrames", {.fast = true, .framesPerSecond = 36, .toMs = 235}, 235},
                    FrameCase{"loopedFps30",
                              {.fast = true, .loop = true, .framesPerSecond = 30, .durationMs = 3001},
                              3001}),
    [](const auto& info) { return std::string(info.param.name); });

// A looped show recorded at full speed: each pass is framed as the first.
TEST(ShowPlayer, EveryPassOfALoopIsFramed) {
    const Log log =
        run(threeEvents(), {.fast = true, .loop = true, .framesPerSecond = 20, .durationMs = 3750});
    std::vector<std::pair<char, int64_t>> passes[3];
    for (const auto& [kind, t] : log.entries)
        passes[std::min<int64_t>(t / 1250, 2)].push_back({kind, t % 1250});
    EXPECT_EQ(passes[1], passes[0]);
    EXPECT_EQ(passes[2], passes[0]);
    EXPECT_EQ(log.framedMs, 3750);
}

}  // namespace
}  // namespace vexohost
