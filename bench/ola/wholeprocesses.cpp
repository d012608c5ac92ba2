// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/ola/wholeprocesses.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/ola/hostrun.h"

namespace olabench {

namespace {

// An X server of our own: no TCP, 96 dpi. Returns ":N", or empty when Xvfb cannot start.
QString startXvfb(QProcess& server) {
    server.start(QStringLiteral("Xvfb"),
                 {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                  QStringLiteral("0"), QStringLiteral("1280x900x24"), QStringLiteral("-dpi"),
                  QStringLiteral("96"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    if (!server.waitForStarted(5000)) return {};
    QByteArray number;
    for (int i = 0; i < 100 && !number.contains('\n'); ++i) {
        server.waitForReadyRead(100);
        number += server.readAllStandardOutput();
    }
    return number.contains('\n') ? QStringLiteral(":") + QString::fromLatin1(number.trimmed()) : QString();
}

// The first child process of pid (the program a `script` runs).
qint64 childOf(qint64 pid) {
    QFile children(QStringLiteral("/proc/%1/task/%1/children").arg(pid));
    if (!children.open(QIODevice::ReadOnly)) return 0;
    return children.readAll().trimmed().split(' ').value(0).toLongLong();
}

// The live timeline's cost: two vexo-hosts side by side on the same frames,
// one with the timeline shown and one with it hidden (as its check box
// leaves it, remembered), so that whatever else the machine does weighs on
// both alike. Five rounds, the one started first taking turns (the first
// costs a little more), the round in the middle by the difference counting.
void timelineCost(const QProcessEnvironment& environment, const QString& folder, quint16 port,
                  double seconds) {
    auto configured = [&](bool shown) {
        const QString config = folder + (shown ? QStringLiteral("/shown") : QStringLiteral("/hidden"));
        QDir().mkpath(config + QStringLiteral("/nimbo-lux"));
        QFile file(config + QStringLiteral("/nimbo-lux/vexo-host.ini"));
        if (file.open(QIODevice::WriteOnly))
            file.write(shown ? "[window]\ntimeline=true\n" : "[window]\ntimeline=false\n");
        QProcessEnvironment own = environment;
        own.insert(QStringLiteral("XDG_CONFIG_HOME"), config);
        return own;
    };
    struct Round {
        double shown, hidden;
    };
    std::vector<Round> rounds;
    constexpr int kRounds = 5;
    for (int round = 0; round < kRounds; ++round) {
        const bool shownFirst = round % 2 == 0;
        HostRun first(configured(shownFirst), port, seconds + 4),
            second(configured(!shownFirst), port, seconds + 4);
        HostRun& with = shownFirst ? first : second;
        HostRun& without = shownFirst ? second : first;
        if (!with.waitReceiving() || !without.waitReceiving()) {
            std::printf("  the timeline's cost: vexo-host did not start receiving; not measured\n");
            return;
        }
        pause(1000);
        const double with0 = processCpuSeconds(with.pid()), without0 = processCpuSeconds(without.pid());
        QElapsedTimer clock;
        clock.start();
        sendFrames(port, 44, seconds);
        const double wall = double(clock.nsecsElapsed()) / 1e9;
        rounds.push_back({100.0 * (processCpuSeconds(with.pid()) - with0) / wall,
                          100.0 * (processCpuSeconds(without.pid()) - without0) / wall});
        uint64_t arrived = 0, reached = 0;
        with.finish(&arrived, &reached);
        without.finish(&arrived, &reached);
        std::printf("  round %d: timeline shown %5.2f %%, hidden %5.2f %%, difference %+5.2f %%\n", round + 1,
                    rounds.back().shown, rounds.back().hidden, rounds.back().shown - rounds.back().hidden);
    }
    std::sort(rounds.begin(), rounds.end(),
              [](const Round& a, const Round& b) { return a.shown - a.hidden < b.shown - b.hidden; });
    const Round& middle = rounds[rounds.size() / 2];
    std::printf("  %-44s %6.2f %% of a core\n", "vexo-host, live timeline shown (middle round)",
                middle.shown);
    std::printf("  %-44s %6.2f %% of a core\n", "vexo-host beside it, timeline hidden", middle.hidden);
    std::printf("  the timeline costs %.2f %% of a core; goal <= 0.3: %s\n", middle.shown - middle.hidden,
                middle.shown - middle.hidden <= 0.3 ? "met" : "missed");
}

// The highest rate at which every frame sent reaches the display.
void highestRate(const QProcessEnvironment& environment, quint16 port) {
    std::printf("\nHighest frame rate vexo-host follows with its windows shown, no frame lost (2 s each):\n");
    int followed = 0;
    for (const int rate : {44, 100, 250, 500, 1000, 2000}) {
        HostRun run(environment, port, 6);
        if (!run.waitReceiving()) break;
        pause(500);
        const long n = sendFrames(port, rate, 2.0);
        uint64_t in = 0, shown = 0;
        if (!run.finish(&in, &shown)) break;
        std::printf("  %5d frames/s: %5ld sent, %5llu arrived, %5llu reached the display%s\n", rate, n,
                    static_cast<unsigned long long>(in), static_cast<unsigned long long>(shown),
                    long(shown) >= n ? "" : "  (frames lost)");
        if (long(shown) < n) break;
        followed = rate;
    }
    std::printf("  followed without loss up to %d frames/s (a console sends 44); goal >= 500: %s\n", followed,
                followed >= 500 ? "met" : "missed");
}

}  // namespace

void compareWithPeer(quint16 port, double seconds) {
    std::printf("\nWhole processes, %g s at 44 frames/s, every channel changing:\n", seconds);
    QTemporaryDir dir;
    QProcess xvfb;
    QString display = qEnvironmentVariable("DISPLAY");
    if (display.isEmpty()) display = startXvfb(xvfb);
    if (display.isEmpty()) {
        std::printf("  skipped: no display and no Xvfb\n");
        return;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DISPLAY"), display);
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    environment.insert(QStringLiteral("NIMBO_REGISTRY"), dir.filePath(QStringLiteral("registry.txt")));

    // The peer draws in a terminal: a pseudo-terminal of `script`, its output read and dropped.
    QProcess peer;
    const bool comparable = port == kOladDefaultPort;
    if (comparable) {
        QProcessEnvironment terminal = environment;
        terminal.insert(QStringLiteral("TERM"), QStringLiteral("xterm"));
        peer.setProcessEnvironment(terminal);
        QObject::connect(&peer, &QProcess::readyReadStandardOutput, [&] { peer.readAllStandardOutput(); });
        peer.start(QStringLiteral("script"),
                   {QStringLiteral("-qfec"),
                    QStringLiteral("stty cols 120 rows 40; exec ola_dmxmonitor -u %1").arg(kUniverse),
                    QStringLiteral("/dev/null")});
        peer.waitForStarted(5000);
    }
    // Five rounds, each a vexo-host started afresh beside the peer, both
    // measured over the same frames; the round in the middle counts.
    qint64 monitor = 0;  // ola_dmxmonitor, once `script` has started it
    struct Round {
        double host = 0, peer = -1;
    };
    std::vector<Round> rounds;
    long sent = 0;
    uint64_t arrived = 0, reached = 0;
    bool counted = false;
    for (int round = 0; round < 5; ++round) {
        HostRun host(environment, port, seconds + 4);
        if (!host.waitReceiving()) {
            std::printf("  vexo-host did not start receiving\n");
            return;
        }
        pause(1000);  // both settled, the windows shown
        if (comparable && !monitor) monitor = childOf(peer.processId());
        const double host0 = processCpuSeconds(host.pid()), peer0 = monitor ? processCpuSeconds(monitor) : 0;
        QElapsedTimer clock;
        clock.start();
        sent = sendFrames(port, 44, seconds);
        const double wall = double(clock.nsecsElapsed()) / 1e9;
        Round r;
        r.host = 100.0 * (processCpuSeconds(host.pid()) - host0) / wall;
        if (monitor) r.peer = 100.0 * (processCpuSeconds(monitor) - peer0) / wall;
        counted = host.finish(&arrived, &reached);
        std::printf("  round %d: %-35s %6.2f %% of a core", round + 1, "vexo-host, windows shown", r.host);
        if (r.peer > 0) std::printf("   ola_dmxmonitor %6.2f %%   %.2fx", r.peer, r.host / r.peer);
        std::printf("\n");
        rounds.push_back(r);
    }
    if (comparable) {
        peer.terminate();
        peer.waitForFinished(3000);
    }
    const auto ratio = [](const Round& r) { return r.peer > 0 ? r.host / r.peer : 0.0; };
    std::sort(rounds.begin(), rounds.end(),
              [&](const Round& a, const Round& b) { return ratio(a) < ratio(b); });
    const Round& middle = rounds[rounds.size() / 2];
    std::printf("  %-44s %6.2f %% of a core\n", "vexo-host, windows shown (middle round)", middle.host);
    if (middle.peer > 0)
        std::printf("  %-44s %6.2f %% of a core   ours / peer %.2fx; goal <= 0.5x: %s\n",
                    "ola_dmxmonitor -u 1 (peer)", middle.peer, ratio(middle),
                    ratio(middle) <= 0.5 ? "met" : "missed");
    else
        std::printf("  %-44s skipped: 127.0.0.1:%u is taken, and it knows only that port; not measured\n",
                    "ola_dmxmonitor -u 1 (peer)", unsigned(kOladDefaultPort));
    timelineCost(environment, dir.filePath(QStringLiteral("config")), port, seconds);
    if (counted)
        std::printf("  frames: %ld sent, %llu arrived at vexo-host, %llu reached the display\n", sent,
                    static_cast<unsigned long long>(arrived), static_cast<unsigned long long>(reached));

    highestRate(environment, port);
    xvfb.terminate();
    xvfb.waitForFinished(3000);
}

}  // namespace olabench
