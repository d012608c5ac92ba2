// SPDX-License-Identifier: GPL-3.0-or-later
// How late each message of a show reaches the plug-in against its show time,
// played at 1x by vexo-host with its windows shown (in this process: the
// host's own application object, on the platform there is, offscreen when
// there is no display), and, beside it in the same run, OLA's own playback
// of the same show: ola_recorder --playback into a sandboxed olad, timed as
// each frame reaches a receiver.
//
// The show is generated: a moment every 1 to 25 ms, one to three of the nine
// channels each, and every ten seconds a moment of fifty messages. Lateness
// is the player's clock against the message's time (ours), or the wall time
// since the first frame less show time since it (the peer's, whose clock is
// another program's). Drift is the mean lateness of the last
// minute less that of the first.
//
// Then the latency of a live frame, from the console to the screen (see
// livelatency.h), measured by this program started again with
// --latency-only, so that each host has a process of its own.
//
//   timing_probe [--minutes M] [--no-peer] [--latency-only]

#include <sched.h>
#include <sys/resource.h>
#include <time.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench/timing/livelatency.h"
#include "bench/timing/sleeper.h"
#include "bench/timing/windowedhost.h"
#include "host/app/hostapp.h"
#include "host/input/olalink.h"
#include "host/input/showplayer.h"
#include "platform/forms/shutdown.h"
#include "tests/ola/oladsandbox.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr quint16 kOladDefaultPort = 9010;  // the only port ola_recorder knows
constexpr int kLanes = 9;

struct Moment {
    int64_t ms = 0;
    std::vector<std::pair<int, int>> values;  // channel 1..9, value
};

std::vector<Moment> generateShow(double minutes) {
    std::mt19937 random(20261210);
    std::vector<Moment> show;
    const int64_t end = int64_t(minutes * 60000);
    int64_t nextBurst = 10000;
    for (int64_t ms = 0; ms < end; ms += 1 + int64_t(random() % 25)) {
        Moment moment{ms, {}};
        const bool burst = ms >= nextBurst;
        if (burst) nextBurst += 10000;
        const int count = burst ? 50 : 1 + int(random() % 3);
        for (int k = 0; k < count; ++k)
            moment.values.emplace_back(1 + int(random() % kLanes), int(random() % 256));
        show.push_back(std::move(moment));
    }
    return show;
}

bool writeTextShow(const QString& path, const std::vector<Moment>& show) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    std::string text;
    for (const Moment& m : show) {
        text += std::to_string(m.ms);
        for (const auto& [channel, value] : m.values)
            text += ' ' + std::to_string(channel) + '=' + std::to_string(value);
        text += '\n';
    }
    return file.write(text.data(), qint64(text.size())) == qint64(text.size());
}

// The same show in ola_recorder's format: a frame per moment of the nine
// channels as they stand, and in slots 10 to 12 the frame's number, so the
// receiver knows which frame came.
bool writeRecording(const QString& path, const std::vector<Moment>& show) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    std::string text = "OLA Show\n";
    std::array<int, kLanes> state{};
    for (size_t i = 0; i < show.size(); ++i) {
        for (const auto& [channel, value] : show[i].values) state[size_t(channel - 1)] = value;
        if (i > 0) text += std::to_string(show[i].ms - show[i - 1].ms) + '\n';
        text += "1 ";
        for (int value : state) text += std::to_string(value) + ',';
        text += std::to_string((i >> 16) & 0xff) + ',' + std::to_string((i >> 8) & 0xff) + ',' +
                std::to_string(i & 0xff) + '\n';
    }
    return file.write(text.data(), qint64(text.size())) == qint64(text.size());
}

struct Figures {
    double medianMs = 0, p99Ms = 0, maxMs = 0, driftMs = 0;
    size_t count = 0, lost = 0;
    std::vector<std::pair<int64_t, double>> latest;  // show time, lateness in ms: the five latest
    std::vector<size_t> latestIndex;                 // and their indexes in the order played
    std::vector<double> latestRanMs;                 // what the GUI thread ran while each was due (ours)
    std::vector<double> latestStallMs;               // how late the sleeper woke meanwhile (ours)
};

// lateness[i] in ns at show time showMs[i]; both in show order.
Figures figuresOf(std::vector<int64_t> lateNs, const std::vector<int64_t>& showMs, size_t expected) {
    Figures f;
    f.count = lateNs.size();
    f.lost = expected > f.count ? expected - f.count : 0;
    if (lateNs.empty()) return f;
    const int64_t last = showMs.back();
    double first = 0, end = 0;
    size_t nFirst = 0, nEnd = 0;
    for (size_t i = 0; i < lateNs.size(); ++i) {
        if (showMs[i] < 60000) first += double(lateNs[i]), ++nFirst;
        if (showMs[i] > last - 60000) end += double(lateNs[i]), ++nEnd;
    }
    f.driftMs = (end / double(std::max<size_t>(1, nEnd)) - first / double(std::max<size_t>(1, nFirst))) / 1e6;
    std::vector<size_t> order(lateNs.size());
    std::iota(order.begin(), order.end(), size_t(0));
    const size_t five = std::min<size_t>(5, order.size());
    std::partial_sort(order.begin(), order.begin() + ptrdiff_t(five), order.end(),
                      [&](size_t a, size_t b) { return lateNs[a] > lateNs[b]; });
    for (size_t k = 0; k < five; ++k) {
        f.latest.emplace_back(showMs[order[k]], double(lateNs[order[k]]) / 1e6);
        f.latestIndex.push_back(order[k]);
    }
    std::sort(lateNs.begin(), lateNs.end());
    auto at = [&](double q) { return double(lateNs[size_t(q * double(lateNs.size() - 1))]) / 1e6; };
    f.medianMs = at(0.5);
    f.p99Ms = at(0.99);
    f.maxMs = double(lateNs.back()) / 1e6;
    return f;
}

// Ours: the host plays the show with its windows shown; each message is
// timed against the player's clock as the player hands it on, right after
// the plug-in took it. The messages of the first moment, which the start
// delivers before anything can listen, are not timed.
Figures playOurs(const QTemporaryDir& dir, const QString& showPath, size_t messages) {
    vexohost::HostOptions options = timingprobe::windowedHost(dir, QString(), vexohost::InputKind::Play);
    options.showFile = showPath;
    std::vector<int64_t> late, showMs;
    late.reserve(messages);
    showMs.reserve(messages);
    vexohost::HostApp app(options);
    if (app.start() != vexohost::kExitOk) return {};
    const vexohost::ShowPlayer* player = app.input().player();
    if (!player) return {};
    // How far the player's clock is past the message's time as it leaves the
    // plug-in; and the processor time of this (the GUI) thread by then, to
    // tell a late message the thread's own work held up from one the thread
    // was not running for.
    std::vector<int64_t> leftNs, ranNs;
    std::vector<int> processor;
    leftNs.reserve(messages);
    ranNs.reserve(messages);
    processor.reserve(messages);
    std::vector<std::unique_ptr<timingprobe::Sleeper>> sleepers;
    for (int cpu = 0; cpu < std::min(64, int(std::thread::hardware_concurrency())); ++cpu)
        sleepers.push_back(std::make_unique<timingprobe::Sleeper>(cpu));
    QObject::connect(player, &vexohost::ShowPlayer::messageDue, [&] {
        timespec ran{}, monotonic{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ran);
        clock_gettime(CLOCK_MONOTONIC, &monotonic);
        late.push_back(player->clockNs() - player->playedMs() * 1000000);
        showMs.push_back(player->showTimeMs());
        leftNs.push_back(int64_t(monotonic.tv_sec) * 1000000000 + monotonic.tv_nsec);
        ranNs.push_back(int64_t(ran.tv_sec) * 1000000000 + ran.tv_nsec);
        processor.push_back(sched_getcpu());
    });
    QObject::connect(player, &vexohost::ShowPlayer::finished, &app, [] { QCoreApplication::exit(0); });
    QApplication::exec();
    app.finish();
    for (auto& sleeper : sleepers) sleeper->stop();
    // The sleeper of the processor the thread slept on (where its timer was)
    // or woke on.
    auto stalled = [&](int cpu, int64_t from, int64_t to) {
        return cpu >= 0 && size_t(cpu) < sleepers.size() ? sleepers[size_t(cpu)]->latestWithin(from, to)
                                                         : 0.0;
    };
    Figures f = figuresOf(late, showMs, messages);
    // For each of the latest: the thread's time from the last message that
    // left before this one was due, to this one; and the sleeper meanwhile.
    for (const size_t i : f.latestIndex) {
        const int64_t due = leftNs[i] - late[i];
        size_t j = i;
        while (j > 0 && leftNs[j] > due) --j;
        f.latestRanMs.push_back(double(ranNs[i] - ranNs[j]) / 1e6);
        f.latestStallMs.push_back(
            std::max(stalled(processor[j], due, leftNs[i]), stalled(processor[i], due, leftNs[i])));
    }
    return f;
}

// The peer: ola_recorder --playback into an olad of our own on OLA's port,
// each frame timed as the receiving connection reads it.
Figures playPeer(const QTemporaryDir& dir, const QString& recording, const std::vector<Moment>& show,
                 QString* why) {
    if (const QString reason = olatest::OladSandbox::unavailableReason(); !reason.isEmpty()) {
        *why = reason;
        return {};
    }
    if (olatest::OladSandbox::accepting(kOladDefaultPort)) {
        *why = QStringLiteral("127.0.0.1:9010 is taken");
        return {};
    }
    olatest::OladSandbox olad(kOladDefaultPort);
    if (!olad.start(why)) return {};
    std::vector<Clock::time_point> arrived(show.size());
    std::vector<char> seen(show.size(), 0);
    bool receiving = false;
    auto link = std::make_unique<vexohost::OlaLink>(
        vexohost::OlaLinkOptions{}, 1,
        [&](const vexohost::DmxFrame& frame) {
            const Clock::time_point now = Clock::now();
            if (frame.size < 12) return;
            const size_t i =
                size_t(frame.slotValues[9]) << 16 | size_t(frame.slotValues[10]) << 8 | frame.slotValues[11];
            if (i < arrived.size() && !seen[i]) arrived[i] = now, seen[i] = 1;
        },
        [&](bool on, const std::string&) { receiving = on; });
    QElapsedTimer waited;
    waited.start();
    while (!receiving && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    // This thread does nothing else while the peer plays: its event loop
    // reads each frame as it comes.
    QProcess playback;
    QEventLoop playing;
    QObject::connect(&playback, &QProcess::finished, &playing, &QEventLoop::quit);
    QObject::connect(&playback, &QProcess::errorOccurred, &playing, &QEventLoop::quit);
    QTimer::singleShot(int(show.back().ms) + 60000, &playing, &QEventLoop::quit);
    playback.start(QStringLiteral("ola_recorder"), {QStringLiteral("--playback"), recording});
    playing.exec();
    QTimer::singleShot(200, &playing, &QEventLoop::quit);
    playing.exec();
    link.reset();
    std::vector<int64_t> late, showMs;
    size_t first = 0;
    while (first < seen.size() && !seen[first]) ++first;
    for (size_t i = first; i < seen.size(); ++i) {
        if (!seen[i]) continue;
        const int64_t wall =
            std::chrono::duration_cast<std::chrono::nanoseconds>(arrived[i] - arrived[first]).count();
        late.push_back(wall - (show[i].ms - show[first].ms) * 1000000);
        showMs.push_back(show[i].ms);
    }
    (void)dir;
    return figuresOf(std::move(late), showMs, show.size());
}

QString cell(const Figures& f, double Figures::*field) {
    return f.count == 0 ? QStringLiteral("–") : QStringLiteral("%1 ms").arg(f.*field, 0, 'f', 3);
}

// The latency rows, in a process of their own.
int latencyRows(const QTemporaryDir& dir) {
    constexpr size_t kFrames = 200;
    QString why;
    const timingprobe::LatencyFigures f = timingprobe::measureLiveLatency(dir, kFrames, &why);
    forms::shutdown();
    std::printf(
        "live latency, frame handed to a sandboxed olad -> display repainted, %zu frames 50 ms apart "
        "(platform %s)\n",
        f.frames ? f.frames : kFrames, qPrintable(QGuiApplication::platformName()));
    if (f.repainted == 0) {
        std::printf("  not measured: %s\n",
                    qPrintable(why.isEmpty() ? QStringLiteral("no repaint seen") : why));
        return 1;
    }
    std::printf("  %zu of %zu frames repainted: median %.3f ms, 95th percentile %.3f ms, greatest %.3f ms\n",
                f.repainted, f.frames, f.medianMs, f.p95Ms, f.maxMs);
    std::printf("  95th percentile <= 2 ms: %s\n",
                f.p95Ms <= 2.0 && f.repainted == f.frames ? "met" : "missed");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf(
                "usage: timing_probe [--minutes M (10)] [--no-peer] [--latency-only]\n"
                "How late each message of a generated show reaches the plug-in at 1x, beside\n"
                "ola_recorder's playback of the same show; then a live frame's latency to the screen.\n");
            return 0;
        }
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    double minutes = 10;
    bool peer = true;
    const QStringList args = QCoreApplication::arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == QStringLiteral("--minutes") && i + 1 < args.size()) minutes = args[++i].toDouble();
        if (args[i] == QStringLiteral("--no-peer")) peer = false;
    }
    QTemporaryDir dir;
    if (args.contains(QStringLiteral("--latency-only"))) return latencyRows(dir);
    const std::vector<Moment> show = generateShow(minutes);
    size_t messages = 0;
    for (const Moment& m : show) messages += m.values.size();
    if (!writeTextShow(dir.filePath("probe.show"), show) ||
        !writeRecording(dir.filePath("probe.rec"), show)) {
        std::fprintf(stderr, "timing_probe: cannot write the show in %s\n", qPrintable(dir.path()));
        return 1;
    }
    std::printf(
        "timing_probe: a show of %.1f minutes, %zu moments, %zu messages, at 1x with the windows shown "
        "(platform %s)\n\n",
        minutes, show.size(), messages, qPrintable(QGuiApplication::platformName()));
    std::fflush(stdout);
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    const Figures ours = playOurs(dir, dir.filePath("probe.show"), messages - show.front().values.size());
    getrusage(RUSAGE_SELF, &after);
    QString why;
    const Figures theirs = peer ? playPeer(dir, dir.filePath("probe.rec"), show, &why) : Figures{};
    if (peer && theirs.count == 0)
        std::printf("ola_recorder's playback not measured: %s\n\n", qPrintable(why));
    auto row = [&](const char* what, double Figures::*field, const char* goal) {
        std::printf("%-32s %14s %16s   %s\n", what, qPrintable(cell(ours, field)),
                    qPrintable(cell(theirs, field)), goal);
    };
    std::printf("%-32s %14s %16s   %s\n", "lateness against show time", "ours", "ola_recorder", "goal");
    row("median", &Figures::medianMs, "");
    row("99th percentile", &Figures::p99Ms, ours.p99Ms <= 1.0 ? "<= 1 ms: met" : "<= 1 ms: missed");
    row("greatest", &Figures::maxMs, ours.maxMs <= 5.0 ? "<= 5 ms: met" : "<= 5 ms: missed");
    row("drift, last minute less first", &Figures::driftMs,
        std::abs(ours.driftMs) <= 0.1 ? "none: met" : "none: missed");
    std::printf("%-32s %14zu %16s   %s\n", "messages / frames lost", ours.lost,
                theirs.count ? qPrintable(QString::number(theirs.lost)) : "–", "none");
    // Beside each, what the GUI thread ran from the message before it was
    // due until it left (far less than its lateness: the thread was not
    // running; about as much: its own work held it), and how late the
    // sleeper on its processor woke meanwhile (as late: the machine held that
    // processor up).
    std::printf(
        "our five latest, at show time (lateness; the GUI thread ran; its processor's sleeper woke late "
        "by):\n");
    for (size_t k = 0; k < ours.latest.size() && k < ours.latestRanMs.size(); ++k)
        std::printf("  %9.3f s   %6.2f ms   ran %5.2f ms   sleeper %6.2f ms\n",
                    double(ours.latest[k].first) / 1000.0, ours.latest[k].second, ours.latestRanMs[k],
                    ours.latestStallMs[k]);
    // A process held up by the machine rather than by its own work: pages
    // read back from disk, the processor taken away.
    std::printf(
        "while ours played: %ld page faults that read the disk, %ld times the processor was taken away\n",
        after.ru_majflt - before.ru_majflt, after.ru_nivcsw - before.ru_nivcsw);
    std::fflush(stdout);
    // The plug-in's windows go before the application object does.
    forms::shutdown();
    if (!peer) return ours.count > 0 ? 0 : 1;
    std::printf("\n");
    std::fflush(stdout);
    // The host there says what it loads and receives; the rows alone are shown.
    QProcess latency;
    latency.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--latency-only")});
    latency.waitForFinished(120000);
    const QByteArray out = latency.readAllStandardOutput();
    std::printf("%s", out.mid(std::max<qsizetype>(0, out.indexOf("live latency"))).constData());
    return ours.count > 0 && latency.exitStatus() == QProcess::NormalExit && latency.exitCode() == 0 ? 0 : 1;
}
