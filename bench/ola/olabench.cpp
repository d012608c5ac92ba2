// SPDX-License-Identifier: GPL-3.0-or-later
// How fast full universes get from olad to the receiver's change lists, and
// what the receiver costs at a console's usual 44 frames per second; then
// whole processes: vexo-host with its windows on an X server (Xvfb of its own
// when there is no display) beside ola_dmxmonitor following the same
// universe in the same run, and the highest frame rate vexo-host follows
// without losing a frame.
//
// An olad of our own (scripts/olad-sandbox, every plug-in off, loopback only)
// sits between a sender process (this program with --send) and an
// OlaReceiver in this process. Every frame changes all 512 channels. The CPU
// figure is this process only (receiver thread + GUI thread), not the sender
// and not olad, which are reported apart.
//
// ola_dmxmonitor knows only olad's default port, so the comparison needs
// 9010 free on loopback for the sandboxed olad; otherwise it is skipped.
//
//   ola_bench [--seconds N (10)] [--receiver-only | --processes-only]

#include <sys/resource.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "host/input/olareceiver.h"
#include "tests/ola/dmxsender.h"
#include "tests/ola/oladsandbox.h"

namespace {

constexpr unsigned kUniverse = 1;
constexpr quint16 kOladDefaultPort = 9010;

double cpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The CPU time of another process, in seconds: the sum over its threads of
// the scheduler's own account (nanoseconds; /proc/PID/stat counts in ticks of
// 10 ms, too coarse for a process that takes 2 % of a core for 10 s).
double processCpuSeconds(qint64 pid) {
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    if (!tasks.exists()) return -1;
    double seconds = 0;
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(tasks.filePath(task + QStringLiteral("/schedstat")));
        if (stat.open(QIODevice::ReadOnly))
            seconds += double(stat.readAll().split(' ').value(0).toLongLong()) / 1e9;
    }
    return seconds;
}

// The sender: frames at `rate` per second (0: as fast as olad takes them) for `seconds`.
int send(uint16_t port, int rate, double seconds) {
    olatest::DmxSender sender(port);
    if (!sender.connect()) return 1;
    std::vector<uint8_t> values(512);
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    const auto end =
        start + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    long frames = 0;
    for (auto next = start; Clock::now() < end; ++frames) {
        for (size_t j = 0; j < values.size(); ++j) values[j] = uint8_t(frames + long(j));
        if (!sender.send(kUniverse, values)) {
            std::printf("%ld\n", frames);
            return 2;
        }
        if (rate > 0) {
            next += std::chrono::nanoseconds(1'000'000'000 / rate);
            std::this_thread::sleep_until(next);
        }
    }
    std::printf("%ld\n", frames);
    return 0;
}

struct Phase {
    double seconds = 0;
    long sent = 0;
    uint64_t arrived = 0;
    uint64_t taken = 0;
    uint64_t fullLists = 0;  // change lists with all 512 channels
    double cpu = 0;          // this process
    double oladCpu = 0;
    bool senderFailed = false;  // olad stopped taking frames as fast as they were sent
};

Phase run(vexohost::OlaReceiver& receiver, const olatest::OladSandbox& olad, qint64 oladPid, int rate,
          double seconds) {
    // Frames that changed every channel: 512 values in one list.
    uint64_t fullLists = 0;
    auto counter = QObject::connect(
        &receiver, &vexohost::OlaReceiver::changesDue,
        [&](const vexohost::ChannelChanges& changes) { fullLists += changes.size() == 512; });
    const uint64_t arrived0 = receiver.framesArrived(), taken0 = receiver.framesTaken();
    const double cpu0 = cpuSeconds(RUSAGE_SELF), olad0 = processCpuSeconds(oladPid);
    QElapsedTimer clock;
    clock.start();

    // The GUI thread runs a plain event loop, as in the host, until the sender is done.
    QProcess sender;
    QEventLoop loop;
    QObject::connect(&sender, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&sender, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    sender.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--send"), QString::number(olad.port()), QString::number(rate),
                  QString::number(seconds)});
    loop.exec();
    // Let the last frames through.
    QTimer::singleShot(100, &loop, &QEventLoop::quit);
    loop.exec();

    Phase phase;
    phase.seconds = double(clock.nsecsElapsed()) / 1e9;
    phase.cpu = cpuSeconds(RUSAGE_SELF) - cpu0;
    phase.oladCpu = processCpuSeconds(oladPid) - olad0;
    phase.sent = sender.readAllStandardOutput().trimmed().toLong();
    phase.senderFailed = sender.exitStatus() != QProcess::NormalExit || sender.exitCode() != 0;
    phase.arrived = receiver.framesArrived() - arrived0;
    phase.taken = receiver.framesTaken() - taken0;
    phase.fullLists = fullLists;
    QObject::disconnect(counter);
    return phase;
}

void print(int rate, const Phase& p) {
    const double s = p.seconds;
    std::printf(
        "%5d frames/s sent %7.1f/s  at the receiver thread %7.1f/s  change lists out %7.1f/s (%.0f %% with "
        "all "
        "512)"
        "  CPU this process %5.1f %%  olad %5.1f %%%s\n",
        rate, double(p.sent) / s, double(p.arrived) / s, double(p.taken) / s,
        p.taken ? 100.0 * double(p.fullLists) / double(p.taken) : 0.0, 100.0 * p.cpu / s,
        100.0 * p.oladCpu / s, p.senderFailed ? "  (olad fell behind the sender)" : "");
}

// ---- Whole processes ----

void pause(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

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

// Frames sent at `rate` for `seconds` by a sender process; returns how many.
long sendFrames(quint16 port, int rate, double seconds) {
    QProcess sender;
    sender.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--send"), QString::number(port),
                                                           QString::number(rate), QString::number(seconds)});
    QEventLoop loop;
    QObject::connect(&sender, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&sender, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    loop.exec();
    return sender.readAllStandardOutput().trimmed().toLong();
}

// vexo-host following universe 1 with its windows shown.
class HostRun {
public:
    HostRun(const QProcessEnvironment& environment, quint16 port, double seconds) {
        m_process.setProcessEnvironment(environment);
        m_process.start(QStringLiteral(VEXO_HOST),
                        {QStringLiteral("--ola"), QString::number(kUniverse), QStringLiteral("--ola-server"),
                         QStringLiteral("127.0.0.1:%1").arg(port), QStringLiteral("--duration"),
                         QString::number(seconds)});
    }
    // Until olad sends it the universe.
    bool waitReceiving() {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 15000) {
            m_out += m_process.readAllStandardOutput();
            if (m_out.contains("olad: receiving universe")) return true;
            if (m_process.state() == QProcess::NotRunning) return false;
            pause(20);
        }
        return false;
    }
    qint64 pid() const { return m_process.processId(); }
    // Waits for the end of its --duration; the frames it reports then.
    bool finish(uint64_t* arrived, uint64_t* reached) {
        if (!m_process.waitForFinished(30000)) return false;
        m_out += m_process.readAllStandardOutput();
        const QRegularExpressionMatch match =
            QRegularExpression(QStringLiteral("olad: (\\d+) frames arrived, (\\d+) reached the display"))
                .match(QString::fromLocal8Bit(m_out));
        if (!match.hasMatch()) return false;
        *arrived = match.captured(1).toULongLong();
        *reached = match.captured(2).toULongLong();
        return true;
    }

private:
    QProcess m_process;
    QByteArray m_out;
};

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

    // The highest rate at which every frame sent reaches the display.
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
    xvfb.terminate();
    xvfb.waitForFinished(3000);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--send")
        return send(uint16_t(std::atoi(argv[2])), std::atoi(argv[3]), std::atof(argv[4]));

    QCoreApplication app(argc, argv);
    double seconds = 10;
    const QStringList args = app.arguments();
    if (const qsizetype i = args.indexOf(QStringLiteral("--seconds")); i >= 0 && i + 1 < args.size())
        seconds = args[i + 1].toDouble();

    if (const QString reason = olatest::OladSandbox::unavailableReason(); !reason.isEmpty()) {
        std::printf("ola_bench: skipped, %s\n", qPrintable(reason));
        return 0;
    }
    // On olad's default port when it is free, so that the peer can follow it too.
    olatest::OladSandbox olad(olatest::OladSandbox::accepting(kOladDefaultPort)
                                  ? olatest::OladSandbox::freePort()
                                  : kOladDefaultPort);
    QString error;
    if (!olad.start(&error)) {
        std::fprintf(stderr, "ola_bench: %s\n", qPrintable(error));
        return 1;
    }
    const qint64 oladPid = olad.processId();

    vexohost::OlaReceiver receiver;
    receiver.setServer(QStringLiteral("127.0.0.1"), olad.port());
    receiver.start(kUniverse);
    QElapsedTimer wait;
    wait.start();
    while (receiver.status() != QStringLiteral("receiving universe 1") && wait.elapsed() < 5000) {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }

    if (args.contains(QStringLiteral("--processes-only"))) {
        compareWithPeer(olad.port(), seconds);
        return 0;
    }
    std::printf("ola_bench: 512-channel frames, every channel changing, %g s a phase\n", seconds);
    // 44 frames per second is what a console sends; the faster steps find
    // where olad or the receiver stops keeping up.
    int sustained = 0;
    for (int rate : {44, 250, 1000, 4000, 8000}) {
        const Phase phase = run(receiver, olad, oladPid, rate, rate == 44 ? seconds : std::min(seconds, 2.0));
        print(rate, phase);
        // Frames that arrive back to back are merged on the way to the GUI
        // thread by design (only the latest counts), so keeping up means every
        // frame reached the receiver and change lists kept flowing.
        const bool keptUp =
            !phase.senderFailed && phase.sent > 0 && double(phase.arrived) >= 0.99 * double(phase.sent);
        if (!keptUp) break;
        sustained = rate;
    }
    std::printf("ola_bench: sustained %d full-universe frames per second from olad into the receiver\n",
                sustained);
    receiver.stop();
    if (!args.contains(QStringLiteral("--receiver-only"))) compareWithPeer(olad.port(), seconds);
    return 0;
}
