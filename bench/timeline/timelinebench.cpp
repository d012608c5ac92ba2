// SPDX-License-Identifier: GPL-3.0-or-later
// The timeline of a live input, in this process: what a value costs on its
// way in (ChannelTimeline::takeLive, time and heap allocations per message),
// and what the pane costs at 44 frames a second with every channel changing,
// shown beside hidden, turn about, on the same clock (CPU of this thread).
//
//   timeline_bench [--seconds S]   (default 10 s each way)

#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <random>

#include "host/timeline/timelinepane.h"
#include "host/windows/channeltimeline.h"
#include "tests/support/allocationcounter.h"

namespace {

double threadCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Nine channels changing 44 times a second into the timeline for `seconds`,
// the pane shown or not: the CPU of the GUI thread in % of a core.
double liveCpu(double seconds, bool shown) {
    vexohost::ChannelTimeline timeline({});
    vexohost::TimelinePane pane;
    pane.resize(640, 240);
    timeline.setPane(&pane);
    timeline.liveStarted(1);
    if (shown) pane.show();
    std::mt19937 random(1);
    QTimer frames;
    frames.setTimerType(Qt::PreciseTimer);
    QObject::connect(&frames, &QTimer::timeout, [&] {
        for (int channel = 1; channel <= 9; ++channel) timeline.takeLive(channel, int(random() % 256));
    });
    frames.start(1000 / 44);
    QElapsedTimer clock;
    clock.start();
    QApplication::processEvents();
    const double cpu0 = threadCpuSeconds();
    const qint64 wall0 = clock.nsecsElapsed();
    while (clock.elapsed() < qint64(seconds * 1000))
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return 100.0 * (threadCpuSeconds() - cpu0) / (double(clock.nsecsElapsed() - wall0) / 1e9);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    double seconds = 10;
    const QStringList args = app.arguments();
    if (const qsizetype i = args.indexOf(QStringLiteral("--seconds")); i >= 0 && i + 1 < args.size())
        seconds = args[i + 1].toDouble();

    // The message path: a value into a live trace.
    vexohost::ChannelTimeline timeline({});
    timeline.liveStarted(1);
    constexpr int kMessages = 2'000'000;
    const long allocations = testsupport::heapAllocations();
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kMessages; ++i) timeline.takeLive(i % 9 + 1, i & 0xff);
    const double ns =
        std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count() /
        kMessages;
    const double perMessage = double(testsupport::heapAllocations() - allocations) / kMessages;
    std::printf("timeline_bench (%s)\n", qPrintable(QApplication::platformName()));
    std::printf("%-40s %8.1f ns, %.4f allocations   goal: none\n", "a live value into the timeline", ns,
                perMessage);

    // The pane, turn about.
    double shown = 0, hidden = 0;
    for (int round = 0; round < 2; ++round) {
        shown += liveCpu(seconds / 2, true) / 2;
        hidden += liveCpu(seconds / 2, false) / 2;
    }
    std::printf("%-40s %8.2f %% of a core\n", "9 channels at 44/s, pane shown", shown);
    std::printf("%-40s %8.2f %% of a core\n", "the same, pane hidden", hidden);
    std::printf("%-40s %8.2f %% of a core   goal <= 0.3: %s\n", "the pane", shown - hidden,
                shown - hidden <= 0.3 ? "met" : "missed");
    return 0;
}
