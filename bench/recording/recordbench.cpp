// SPDX-License-Identifier: GPL-3.0-or-later
// What recording costs: the built-in demo played without waiting, once with
// only a snapshot (the floor: loading, playing and one PNG) and once for each
// recording format. Each recording's cost per frame is its run's time above
// the floor, divided by the frames it wrote; beside it, what writing one
// snapshot PNG of the window costs in this process, and the bytes per frame.
//
//   record_bench [--runs N]        (default 3; the median run is printed)
//   record_bench --minutes M       memory instead: the demo looped for M minutes
//                                  and recorded in each format, the peak resident
//                                  memory of each run beside the floor's

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Run {
    double seconds = 0;
    int frames = 0;
    qint64 bytes = 0;
};

Run runHost(const QString& dir, const QStringList& outputs, int runs) {
    std::vector<Run> all;
    for (int n = 0; n < runs; ++n) {
        QProcess host;
        host.setWorkingDirectory(dir);
        QElapsedTimer clock;
        clock.start();
        host.start(QStringLiteral(VEXO_HOST), QStringList{"--headless", "--demo", "--fast"} + outputs);
        host.waitForFinished(300000);
        Run run;
        run.seconds = double(clock.nsecsElapsed()) / 1e9;
        const QString out = QString::fromLocal8Bit(host.readAllStandardOutput());
        const auto match = QRegularExpression(QStringLiteral("wrote (\\d+) frames")).match(out);
        if (match.hasMatch()) run.frames = match.captured(1).toInt();
        if (host.exitCode() != 0)
            std::fprintf(stderr, "vexo-host failed: %s\n", qPrintable(host.readAllStandardError()));
        run.bytes = QFileInfo(dir + '/' + outputs.back()).size();
        all.push_back(run);
    }
    std::sort(all.begin(), all.end(), [](const Run& a, const Run& b) { return a.seconds < b.seconds; });
    return all[all.size() / 2];
}

// Runs vexo-host with arguments in dir; its peak resident memory in MB, and
// how long it ran.
std::pair<double, double> peakMegabytes(const QString& dir, const QStringList& arguments) {
    std::vector<QByteArray> texts = {QByteArray(VEXO_HOST)};
    for (const QString& a : arguments) texts.push_back(a.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& t : texts) argv.push_back(t.data());
    argv.push_back(nullptr);
    QElapsedTimer clock;
    clock.start();
    const pid_t child = ::fork();
    if (child == 0) {
        if (::chdir(dir.toLocal8Bit().constData()) != 0) ::_exit(127);
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) std::fprintf(stderr, "vexo-host failed\n");
    return {double(usage.ru_maxrss) / 1024.0, double(clock.nsecsElapsed()) / 1e9};
}

int memoryOfLongRecordings(int minutes) {
    QTemporaryDir dir;
    const QStringList looped = {"--headless", "--demo", "--loop", "--duration",
                                QString::number(minutes * 60)};
    const auto [floorMb, floorS] = peakMegabytes(dir.path(), looped + QStringList{"--snapshot", "floor.png"});
    std::printf("the demo looped for %d min, peak resident memory\n", minutes);
    std::printf("%-8s %10s %10s %12s\n", "output", "MB", "run s", "file MB");
    std::printf("%-8s %10.1f %10.1f %12s   (the floor: a snapshot only)\n", "png", floorMb, floorS, "-");
    for (const char* file : {"long.gif", "long.webp"}) {
        const auto [mb, seconds] = peakMegabytes(dir.path(), looped + QStringList{"--record", file});
        std::printf("%-8s %10.1f %10.1f %12.1f   (%+.1f MB over the floor)\n",
                    QFileInfo(file).suffix().toLatin1().constData(), mb, seconds,
                    double(QFileInfo(dir.filePath(file)).size()) / 1e6, mb - floorMb);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    int runs = 3;
    const QStringList args = app.arguments();
    if (const qsizetype at = args.indexOf("--minutes"); at > 0 && at + 1 < args.size())
        return memoryOfLongRecordings(std::max(1, args[at + 1].toInt()));
    if (const qsizetype at = args.indexOf("--runs"); at > 0 && at + 1 < args.size())
        runs = std::max(1, args[at + 1].toInt());
    QTemporaryDir dir;

    const Run floor = runHost(dir.path(), {"--snapshot", "floor.png"}, runs);
    // One PNG of the window, written again and again in this process.
    const QImage window(dir.filePath("floor.png"));
    constexpr int kPngs = 20;
    QElapsedTimer clock;
    clock.start();
    for (int n = 0; n < kPngs; ++n) window.save(dir.filePath("again.png"), "PNG");
    const double pngMs = double(clock.nsecsElapsed()) / 1e6 / kPngs;

    std::printf("demo --fast with a snapshot only (the floor): %.2f s\n", floor.seconds);
    std::printf("%-6s %8s %10s %12s %12s %14s\n", "format", "frames", "run s", "ms/frame", "frames/s",
                "bytes/frame");
    double gifRate = 0;
    for (const char* file : {"demo.gif", "demo.webp"}) {
        const Run run = runHost(dir.path(), {"--record", file}, runs);
        const double perFrameMs = run.frames ? (run.seconds - floor.seconds) * 1000.0 / run.frames : 0;
        const double rate = perFrameMs > 0 ? 1000.0 / perFrameMs : 0.0;
        if (QByteArray(file).endsWith(".gif")) gifRate = rate;
        std::printf("%-6s %8d %10.2f %12.2f %12.0f %14.0f\n", QFileInfo(file).suffix().toLatin1().constData(),
                    run.frames, run.seconds, perFrameMs, rate,
                    run.frames ? double(run.bytes) / run.frames : 0.0);
    }
    std::printf("%-6s %8s %10s %12.2f %12.0f %14lld   (one snapshot PNG, in process)\n", "png", "1", "-",
                pngMs, 1000.0 / pngMs, static_cast<long long>(QFileInfo(dir.filePath("again.png")).size()));
    std::printf("GIF recording %.0f frames/s; goal >= 300: %s\n", gifRate, gifRate >= 300 ? "met" : "missed");
    return 0;
}
