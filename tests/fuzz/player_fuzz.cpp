// SPDX-License-Identifier: GPL-3.0-or-later
// The player's arithmetic: a show and the options that play it (--from, --to,
// --loop, --duration, --fps) decoded from the input, played at full speed.
// Frames come in order and add up to the time played; messages come in
// order; a show played whole delivers exactly its events, every pass of a
// loop the same; the run lasts as long as asked.

#include <QCoreApplication>
#include <QEventLoop>
#include <algorithm>
#include <vector>

#include "host/input/showplayer.h"
#include "tests/fuzz/fuzzcheck.h"

namespace {

struct Played {
    std::vector<std::pair<int64_t, vexohost::HostMessage>> messages;
    std::vector<std::pair<int64_t, int64_t>> frames;  // time, length
    int64_t playedMs = 0;
    std::optional<int64_t> passMs;
};

Played play(std::vector<vexohost::ShowEvent> events, const vexohost::PlayerOptions& options) {
    vexohost::ShowPlayer player(std::move(events), options);
    Played out;
    QObject::connect(&player, &vexohost::ShowPlayer::messageDue, [&](const vexohost::HostMessage& m) {
        out.messages.push_back({player.playedMs(), m});
    });
    QObject::connect(&player, &vexohost::ShowPlayer::frameDue, [&](qint64 t, qint64 length) {
        out.frames.push_back({t, length});
    });
    QEventLoop loop;
    QObject::connect(&player, &vexohost::ShowPlayer::finished, &loop, &QEventLoop::quit);
    player.start();
    if (player.isRunning()) loop.exec();
    out.playedMs = player.playedMs();
    out.passMs = player.passLengthMs();
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in{data, size};
    vexohost::PlayerOptions options;
    options.fast = true;
    options.framesPerSecond = int(in.byte() % 101);
    const unsigned flags = in.byte();
    const int64_t from = in.word(), to = in.word(), duration = in.word();
    options.loop = flags & 1;
    if (flags & 2) options.fromMs = from;
    if ((flags & 4) && to > options.fromMs) options.toMs = to;
    if ((flags & 8) || options.loop) options.durationMs = duration;
    std::vector<vexohost::ShowEvent> events;
    int64_t time = 0;
    while (in.at + 3 <= in.size && events.size() < 200) {
        time += in.byte() * 8;
        const int32_t channel = int32_t(in.byte() % 9 + 1), value = int32_t(in.byte());
        events.push_back({time, 15, channel, value, int64_t(events.size() + 1)});
    }
    // As the host refuses them: a start past the show's last moment.
    if (!events.empty() && options.fromMs > events.back().timeMs) return 0;
    // Passes of a few milliseconds are right, but slow to check by the thousand.
    const int64_t last = events.empty() ? 0 : events.back().timeMs;
    const int64_t onePass = std::min(last + 1000, options.toMs.value_or(last + 1000)) - options.fromMs;
    if (options.loop && options.durationMs)
        options.durationMs = std::min(*options.durationMs, 64 * std::max<int64_t>(onePass, 1));
    const Played p = play(events, options);

    for (size_t k = 1; k < p.messages.size(); ++k) FUZZ_CHECK(p.messages[k - 1].first <= p.messages[k].first);
    int64_t framed = 0;
    for (size_t k = 0; k < p.frames.size(); ++k) {
        FUZZ_CHECK(p.frames[k].second > 0);
        FUZZ_CHECK(k == 0 || p.frames[k].first == p.frames[k - 1].first + p.frames[k - 1].second);
        framed += p.frames[k].second;
    }
    if (options.framesPerSecond > 0 && p.playedMs > 0) FUZZ_CHECK(framed == p.playedMs);
    // The run lasts as long as asked: its duration, else one pass.
    const int64_t pass = p.passMs.value_or(0);
    if (options.durationMs && (options.loop ? pass > 0 : *options.durationMs < pass))
        FUZZ_CHECK(p.playedMs == *options.durationMs);
    else if (!options.durationMs || *options.durationMs >= pass)
        FUZZ_CHECK(p.playedMs == pass);
    // Played whole, a show delivers its events, pass after pass.
    if (options.fromMs == 0 && !options.toMs && pass > 0) {
        const int64_t passes = p.playedMs / pass;  // the passes played whole
        for (int64_t n = 0; n < passes; ++n) {
            std::vector<vexohost::HostMessage> delivered;
            for (const auto& [t, m] : p.messages)
                if (t >= n * pass && t < (n + 1) * pass) delivered.push_back(m);
            FUZZ_CHECK(delivered.size() == events.size());
            for (size_t k = 0; k < events.size(); ++k) FUZZ_CHECK(delivered[k] == events[k].message());
        }
    }
    return 0;
}
