// SPDX-License-Identifier: GPL-3.0-or-later
// Shows read from their files as they play: lines in a fixed buffer, files
// that change under the player, and playing part of a show or looping it.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QEventLoop>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <string>
#include <vector>

#include "host/input/linereader.h"
#include "host/input/showfile.h"
#include "host/input/showplayer.h"
#include "tests/support/allocationcounter.h"
#include "tests/support/casename.h"

namespace vexohost {
namespace {

std::string writeFile(const QTemporaryDir& dir, const char* name, const std::string& text) {
    const std::string path = dir.filePath(name).toStdString();
    FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
    return path;
}

// What a reader returns, one entry per call until End: "L:text", "T:line" (too long).
std::vector<std::string> readAll(int fd) {
    LineReader reader(fd);
    std::vector<std::string> seen;
    std::string_view line;
    for (LineReader::Status status; (status = reader.next(&line)) != LineReader::Status::End;) {
        if (status == LineReader::Status::NeedData) {
            EXPECT_NE(reader.fill(), LineReader::Fill::Failed);
        } else if (status == LineReader::Status::Line) {
            seen.push_back("L:" +
                           (line.size() > 16 ? std::to_string(line.size()) + " bytes" : std::string(line)));
        } else {
            seen.push_back("T:" + std::to_string(reader.lineNumber()));
        }
    }
    return seen;
}

struct LinesCase {
    std::string text;
    std::vector<std::string> seen;
};

void PrintTo(const LinesCase& c, std::ostream* out) {
    if (c.text.size() <= 40)
        *out << testing::PrintToString(c.text);
    else
        *out << testing::PrintToString(c.text.substr(0, 20)) << "... (" << c.text.size() << " bytes)";
}

class LineReaderLines : public testing::TestWithParam<LinesCase> {};

TEST_P(LineReaderLines, ReturnsEveryLineOnceAndSkipsLongOnesWithoutKeepingThem) {
    QTemporaryDir dir;
    const std::string path = writeFile(dir, "lines", GetParam().text);
    const int fd = ::open(path.c_str(), O_RDONLY);
    EXPECT_EQ(readAll(fd), GetParam().seen);
    ::close(fd);
}

const size_t kMax = LineReader::kMaxLineBytes;
INSTANTIATE_TEST_SUITE_P(
    Table, LineReaderLines,
    testing::Values(LinesCase{"a\nb", {"L:a", "L:b"}}, LinesCase{"a\r\n\n", {"L:a\r", "L:"}},
                    LinesCase{std::string(kMax, 'x') + "\nz\n", {"L:1048576 bytes", "L:z"}},
                    LinesCase{"a\n" + std::string(kMax + 1, 'x') + "\nz\n", {"L:a", "T:2", "L:z"}},
                    // Longer than the whole buffer, and no newline at all.
                    LinesCase{std::string(3 * kMax, 'x') + "\nz", {"T:1", "L:z"}},
                    LinesCase{std::string(3 * kMax, 'x'), {"T:1"}}),
    testsupport::CaseName());

// A text show of `lines` lines of ten pairs, 10 ms apart.
std::string textShow(int lines) {
    std::string text;
    for (int n = 0; n < lines; ++n) {
        text += "+10";
        for (int channel = 1; channel <= 10; ++channel)
            text += ' ' + std::to_string(channel) + '=' + std::to_string((n + channel) % 256);
        text += '\n';
    }
    return text;
}

// A recording of `frames` full frames of universe 1, every slot changing.
std::string recording(int frames) {
    std::string text = "OLA Show\n";
    for (int n = 0; n < frames; ++n) {
        text += "1 ";
        for (int slot = 0; slot < 512; ++slot)
            text += std::to_string((n + slot) % 256) + (slot < 511 ? "," : "");
        text += "\n10\n";
    }
    return text;
}

struct LongShow {
    const char* name;
    std::string text;
    long messages;
};

class StreamedShows : public testing::TestWithParam<LongShow> {};

// Memory that does not grow with the show: after the player has started,
// playing the whole show takes a handful of allocations, not some per line.
TEST_P(StreamedShows, PlayWithoutAllocatingPerLine) {
    QTemporaryDir dir;
    ShowError error;
    auto file = ShowFile::open(writeFile(dir, "long.show", GetParam().text), {}, &error);
    ASSERT_TRUE(file) << error.toString();
    EXPECT_EQ(long(file->messages()), GetParam().messages);
    ShowPlayer player(std::move(file), PlayerOptions{.fast = true});
    long messages = 0;
    QObject::connect(&player, &ShowPlayer::messageDue, [&](const HostMessage&) { ++messages; });
    QEventLoop loop;
    QObject::connect(&player, &ShowPlayer::finished, &loop, &QEventLoop::quit);
    const long before = testsupport::heapAllocations();
    player.start();
    if (player.isRunning()) loop.exec();
    EXPECT_EQ(messages, GetParam().messages);
    EXPECT_LT(testsupport::heapAllocations() - before, 200);
}

INSTANTIATE_TEST_SUITE_P(Formats, StreamedShows,
                         testing::Values(LongShow{"text", textShow(200'000), 2'000'000},
                                         LongShow{"recording", recording(4'000), 4'000 * 512}),
                         [](const auto& info) { return std::string(info.param.name); });

// Writes text into the file at path as fopen's mode puts it: over its start ("r+") or after its end ("a").
void writeInPlace(const std::string& path, const char* mode, const char* text) {
    FILE* file = std::fopen(path.c_str(), mode);
    std::fputs(text, file);
    std::fclose(file);
}

struct Change {
    const char* name;
    void (*apply)(const std::string& path);
    const char* says;
};

class ShowFileChanges : public testing::TestWithParam<Change> {};

// The file is checked, then changed after the player has read into it: the
// show ends with a message, and what was delivered before is what was checked.
TEST_P(ShowFileChanges, EndPlaybackWithAMessage) {
    QTemporaryDir dir;
    const std::string text = textShow(100'000);  // several buffers long
    const std::string path = writeFile(dir, "changing.show", text);
    ShowError error;
    auto file = ShowFile::open(path, {}, &error);
    ASSERT_TRUE(file) << error.toString();
    ShowBatch batch;
    int64_t time = 0;
    for (int n = 0; n < 10; ++n) {
        ASSERT_EQ(file->next(&batch), ShowSource::Step::Batch);
        time = batch.timeMs;
    }
    ::usleep(20'000);  // a modification time of its own
    GetParam().apply(path);
    ShowSource::Step step;
    while ((step = file->next(&batch)) == ShowSource::Step::Batch) {
        ASSERT_EQ(batch.timeMs, time + 10);
        ASSERT_EQ(batch.messages.size(), 10u);
        time = batch.timeMs;
    }
    ASSERT_EQ(step, ShowSource::Step::Failed);
    EXPECT_NE(file->error().toString().find(GetParam().says), std::string::npos) << file->error().toString();
    EXPECT_EQ(file->next(&batch), ShowSource::Step::Failed);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ShowFileChanges,
    testing::Values(Change{"truncated",
                           [](const std::string& p) { ASSERT_EQ(::truncate(p.c_str(), 100), 0); },
                           "changed while it played (it is shorter"},
                    Change{"rewritten", [](const std::string& p) { writeInPlace(p, "r+", "garbage"); },
                           "changed while it played (it was rewritten"},
                    Change{"appended", [](const std::string& p) { writeInPlace(p, "a", "0 1=1\n"); },
                           "changed while it played (it was rewritten"}),
    [](const auto& info) { return std::string(info.param.name); });

// A show of three moments: 0: 1=10; 100: 2=20; 250: 1=30 3=40 (ends at 1250).
std::vector<ShowEvent> threeMoments() {
    return {{0, 15, 1, 10, 1}, {100, 15, 2, 20, 2}, {250, 15, 1, 30, 3}, {250, 15, 3, 40, 3}};
}

struct Part {
    const char* name;
    PlayerOptions options;
    std::string played;  // "PLAYED:CHANNEL=VALUE ..." and "end@PLAYED"
};

class ShowParts : public testing::TestWithParam<Part> {};

TEST_P(ShowParts, StartWithTheStateReachedAndEndOnTime) {
    PlayerOptions options = GetParam().options;
    options.fast = true;
    ShowPlayer player(threeMoments(), options);
    std::string played;
    QObject::connect(&player, &ShowPlayer::messageDue, [&](const HostMessage& m) {
        played += std::to_string(player.playedMs()) + ':' + std::to_string(m.arg1) + '=' +
                  std::to_string(m.arg2) + ' ';
    });
    QEventLoop loop;
    QObject::connect(&player, &ShowPlayer::finished, &loop, &QEventLoop::quit);
    player.start();
    if (player.isRunning()) loop.exec();
    EXPECT_EQ(played + "end@" + std::to_string(player.playedMs()), GetParam().played);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ShowParts,
    testing::Values(Part{"whole", {}, "0:1=10 100:2=20 250:1=30 250:3=40 end@1250"},
                    Part{"fromAnEvent", {.fromMs = 100}, "0:1=10 0:2=20 150:1=30 150:3=40 end@1150"},
                    Part{"fromBetween", {.fromMs = 150}, "0:1=10 0:2=20 100:1=30 100:3=40 end@1100"},
                    Part{"fromTheLast", {.fromMs = 250}, "0:1=10 0:2=20 0:1=30 0:3=40 end@1000"},
                    Part{"toAnEvent", {.toMs = 100}, "0:1=10 100:2=20 end@100"},
                    Part{"toBetween", {.toMs = 150}, "0:1=10 100:2=20 end@150"},
                    Part{"toPastTheEnd", {.toMs = 5000}, "0:1=10 100:2=20 250:1=30 250:3=40 end@1250"},
                    Part{"fromTo", {.fromMs = 50, .toMs = 120}, "0:1=10 50:2=20 end@70"},
                    // Each pass starts again with the state at fromMs.
                    Part{"loopPart",
                         {.loop = true, .durationMs = 320, .fromMs = 100, .toMs = 250},
                         "0:1=10 0:2=20 150:1=30 150:3=40 150:1=10 150:2=20 300:1=30 300:3=40 300:1=10 "
                         "300:2=20 end@320"},
                    Part{"loopWhole",
                         {.loop = true, .durationMs = 1300},
                         "0:1=10 100:2=20 250:1=30 250:3=40 1250:1=10 end@1300"}),
    [](const auto& info) { return std::string(info.param.name); });

// What a user does to a playing show, one letter each, right after start():
// p pause, r resume, s<T> seek to show time T, x play again after the end.
struct Handling {
    const char* name;
    const char* actions;
    std::string played;  // "SHOWTIME:CHANNEL=VALUE ..." then "end@SHOWTIME"
};

class ShowHandling : public testing::TestWithParam<Handling> {};

TEST_P(ShowHandling, TheDisplayGetsTheShowsStateAtEveryMoment) {
    ShowPlayer player(threeMoments(), {.speed = 100.0});
    std::string played;
    QObject::connect(&player, &ShowPlayer::messageDue, [&](const HostMessage& m) {
        played += std::to_string(player.showTimeMs()) + ':' + std::to_string(m.arg1) + '=' +
                  std::to_string(m.arg2) + ' ';
    });
    QEventLoop loop;
    QObject::connect(&player, &ShowPlayer::finished, &loop, &QEventLoop::quit);
    player.start();
    for (const char* a = GetParam().actions; *a; ++a) {
        if (*a == 'p') player.pause();
        if (*a == 'r') player.resume();
        if (*a == 's') {
            char* end = nullptr;
            played += "| ";
            EXPECT_TRUE(player.seek(std::strtoll(a + 1, &end, 10)));
            a = end - 1;
        }
        if (*a == 'x') {
            if (player.isRunning()) loop.exec();
            played += "| ";
            player.start();
        }
        if (*a == 'w') QTest::qWait(30);  // long enough for the whole show at this speed
    }
    if (player.isRunning() && !player.isPaused()) loop.exec();
    // Where it ended, to 50 ms: at 100x a pause right after the start is
    // some microseconds, and so some milliseconds of show, after it.
    EXPECT_EQ(played + "end@" + std::to_string(player.showTimeMs() / 50 * 50), GetParam().played);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ShowHandling,
    testing::Values(
        Handling{"pausedStandsStill", "pw", "0:1=10 end@0"},
        Handling{"pausedThenResumed", "pwr", "0:1=10 100:2=20 250:1=30 250:3=40 end@1250"},
        Handling{"seekForward", "ps150r", "0:1=10 | 150:1=10 150:2=20 250:1=30 250:3=40 end@1250"},
        // Back again: channel 3 keeps what it had; the host clears what the state does not set.
        Handling{"seekForwardThenBack", "ps300s50r",
                 "0:1=10 | 300:1=30 300:2=20 300:3=40 | 50:1=10 100:2=20 250:1=30 250:3=40 end@1250"},
        Handling{"seekToTheStart", "ps0r", "0:1=10 | 0:1=10 100:2=20 250:1=30 250:3=40 end@1250"},
        Handling{"seekPastTheEndStopsAtIt", "ps9999r", "0:1=10 | 1250:1=30 1250:2=20 1250:3=40 end@1250"},
        Handling{"playedAgainAfterTheEnd", "x",
                 "0:1=10 100:2=20 250:1=30 250:3=40 | 0:1=10 100:2=20 250:1=30 250:3=40 end@1250"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vexohost
