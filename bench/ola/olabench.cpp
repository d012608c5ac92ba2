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
// OlaReceiver in this process, which reads olad's connection on its GUI
// thread as the host does. Every frame changes all 512 channels. The CPU
// figure is this process only, not the sender and not olad, which are
// reported apart.
//
// ola_dmxmonitor knows only olad's default port, so the comparison needs
// 9010 free on loopback for the sandboxed olad; otherwise it is skipped.
//
//   ola_bench [--seconds N (10)] [--receiver-only | --processes-only]

#include <sys/resource.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "bench/ola/hostrun.h"
#include "bench/ola/wholeprocesses.h"
#include "host/input/olareceiver.h"
#include "tests/ola/dmxsender.h"
#include "tests/ola/oladsandbox.h"

namespace {

using olabench::kOladDefaultPort;
using olabench::kUniverse;
using olabench::processCpuSeconds;

double cpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
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
        "%5d frames/s sent %7.1f/s  read from olad %7.1f/s  change lists out %7.1f/s (%.0f %% with "
        "all "
        "512)"
        "  CPU this process %5.1f %%  olad %5.1f %%%s\n",
        rate, double(p.sent) / s, double(p.arrived) / s, double(p.taken) / s,
        p.taken ? 100.0 * double(p.fullLists) / double(p.taken) : 0.0, 100.0 * p.cpu / s,
        100.0 * p.oladCpu / s, p.senderFailed ? "  (olad fell behind the sender)" : "");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::string(argv[1]) == "--send")
        return send(uint16_t(std::atoi(argv[2])), std::atoi(argv[3]), std::atof(argv[4]));

    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h") {
            std::printf(
                "usage: ola_bench [--seconds N (10)] [--receiver-only | --processes-only]\n"
                "Live input from an olad of its own: the receiver at rising rates, then vexo-host\n"
                "beside ola_dmxmonitor and the highest rate vexo-host follows without loss.\n");
            return 0;
        }
    }
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
        olabench::compareWithPeer(olad.port(), seconds);
        return 0;
    }
    std::printf("ola_bench: 512-channel frames, every channel changing, %g s a phase\n", seconds);
    // 44 frames per second is what a console sends; the faster steps find
    // where olad or the receiver stops keeping up.
    int sustained = 0;
    for (int rate : {44, 250, 1000, 4000, 8000}) {
        const Phase phase = run(receiver, olad, oladPid, rate, rate == 44 ? seconds : std::min(seconds, 2.0));
        print(rate, phase);
        // Keeping up means (nearly) every frame sent reached the receiver
        // while the change lists kept flowing.
        const bool keptUp =
            !phase.senderFailed && phase.sent > 0 && double(phase.arrived) >= 0.99 * double(phase.sent);
        if (!keptUp) break;
        sustained = rate;
    }
    std::printf("ola_bench: sustained %d full-universe frames per second from olad into the receiver\n",
                sustained);
    receiver.stop();
    if (!args.contains(QStringLiteral("--receiver-only"))) olabench::compareWithPeer(olad.port(), seconds);
    return 0;
}
