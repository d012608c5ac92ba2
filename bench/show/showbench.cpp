// SPDX-License-Identifier: GPL-3.0-or-later
// Shows of any length: how fast a show file is checked, how many messages a
// second vexo-host plays through the plug-in with --fast, and how much memory
// it takes against the idle host (--play of an empty file), for a generated
// text show and a generated recording of one full universe. The files are
// generated into a temporary folder and removed afterwards. Then what the
// timeline's overview adds to the check of a longer recording.
//
//   show_bench [--events N] [--minutes M] [--overview-minutes M]
//   (default 10,000,000 events, 10 minutes, and an hour for the overview)

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "host/input/showfile.h"
#include "host/timeline/overview.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

const char* verdict(bool met) {
    return met ? "met" : "missed";
}

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The same numbers every run.
struct Random {
    uint64_t state = 0x2545F4914F6CDD1DULL;
    unsigned next(unsigned bound) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return unsigned((state >> 33) % bound);
    }
};

// Lines of ten pairs, 23 ms apart, as a console sending channels 1..10.
uint64_t writeTextShow(const fs::path& path, uint64_t events) {
    FILE* out = std::fopen(path.c_str(), "w");
    Random random;
    uint64_t written = 0;
    while (written < events) {
        std::fputs("+23", out);
        for (int channel = 1; channel <= 10 && written < events; ++channel, ++written)
            std::fprintf(out, " %d=%u", channel, random.next(256));
        std::fputc('\n', out);
    }
    std::fclose(out);
    return written;
}

// A recording of ola_recorder's format: one universe of 512 slots at 44
// frames a second, nine slots in ten changing from frame to frame.
void writeRecording(const fs::path& path, double minutes) {
    FILE* out = std::fopen(path.c_str(), "w");
    std::fputs("OLA Show\n", out);
    Random random;
    std::vector<unsigned> slots(512, 0);
    const long frames = long(minutes * 60 * 44);
    std::string line;
    for (long frame = 0; frame < frames; ++frame) {
        line = "1 ";
        for (size_t slot = 0; slot < slots.size(); ++slot) {
            if (random.next(10) != 0) slots[slot] = random.next(256);
            if (slot) line += ',';
            line += std::to_string(slots[slot]);
        }
        line += "\n23\n";
        std::fputs(line.c_str(), out);
    }
    std::fclose(out);
}

struct Check {
    double seconds = 0;
    uint64_t bytes = 0;
    uint64_t messages = 0;
};

// The check pass alone, in this process, from the page cache: the best of three.
Check checkShow(const fs::path& path) {
    Check check;
    check.seconds = 1e9;
    for (int pass = 0; pass < 3; ++pass) {
        const auto start = Clock::now();
        vexohost::ShowError error;
        auto file = vexohost::ShowFile::open(path.string(), {}, &error);
        check.seconds = std::min(check.seconds, secondsSince(start));
        if (!file) {
            std::fprintf(stderr, "%s\n", error.toString().c_str());
            std::exit(1);
        }
        check.bytes = file->bytes();
        check.messages = file->messages();
    }
    return check;
}

// The check of a recording, alone and building the timeline's overview of
// the first nine channels on the way, turn about: the best of three each.
void overviewCost(const fs::path& path) {
    double alone = 1e9, building = 1e9;
    uint64_t bytes = 0;
    for (int pass = 0; pass < 3; ++pass) {
        auto start = Clock::now();
        vexohost::ShowError error;
        auto file = vexohost::ShowFile::open(path.string(), {}, &error);
        alone = std::min(alone, secondsSince(start));
        bytes = file ? file->bytes() : 0;
        start = Clock::now();
        vexohost::TimelineOverview overview;
        file = vexohost::ShowFile::open(path.string(), {}, &error,
                                        [&](const vexohost::ShowBatch& batch) { overview.take(batch); });
        building = std::min(building, secondsSince(start));
        if (!file) {
            std::fprintf(stderr, "%s\n", error.toString().c_str());
            std::exit(1);
        }
    }
    const double added = (building / alone - 1) * 100;
    std::printf(
        "\ncheck of a recording of %.1f MB: alone %.0f MB/s (%.2f s), building the overview %.0f MB/s "
        "(%.2f s)\n  the overview adds %+.1f %% to the check; goal <= 20 %%: %s\n",
        bytes / 1e6, bytes / 1e6 / alone, alone, bytes / 1e6 / building, building, added,
        verdict(added <= 20));
}

struct HostRun {
    double seconds = 0;
    long peakKb = 0;
};

// vexo-host --play FILE --fast --headless, its wall time and peak resident memory.
HostRun playShow(const fs::path& path) {
    const std::string file = path.string();
    std::vector<char*> argv = {const_cast<char*>(VEXO_HOST),    const_cast<char*>("--play"),
                               const_cast<char*>(file.c_str()), const_cast<char*>("--fast"),
                               const_cast<char*>("--headless"), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = Clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, VEXO_HOST, &actions, nullptr, argv.data(), environ) != 0) {
        std::perror("vexo-host");
        std::exit(1);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    HostRun run;
    run.seconds = secondsSince(start);
    run.peakKb = usage.ru_maxrss;
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "vexo-host --play %s failed\n", file.c_str());
        std::exit(1);
    }
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    uint64_t events = 10'000'000;
    double minutes = 10;
    double overviewMinutes = 60;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (!std::strcmp(argv[i], "--overview-minutes")) overviewMinutes = std::strtod(argv[i + 1], nullptr);
        if (!std::strcmp(argv[i], "--events")) events = std::strtoull(argv[i + 1], nullptr, 10);
        if (!std::strcmp(argv[i], "--minutes")) minutes = std::strtod(argv[i + 1], nullptr);
    }
    char pattern[] = "/tmp/show_bench-XXXXXX";
    const fs::path dir = mkdtemp(pattern);
    std::printf("generating a text show of %llu events and a recording of %.2f minutes in %s\n",
                static_cast<unsigned long long>(events), minutes, dir.c_str());
    writeTextShow(dir / "text.show", events);
    writeRecording(dir / "recording.show", minutes);
    std::FILE* empty = std::fopen((dir / "empty.show").c_str(), "w");
    std::fclose(empty);

    // The idle host's best of three: the first run after a build also fills caches.
    HostRun idle = playShow(dir / "empty.show");
    for (int n = 0; n < 2; ++n) {
        const HostRun again = playShow(dir / "empty.show");
        if (again.seconds < idle.seconds) idle = again;
    }
    std::printf("\nidle host (--play of an empty file): %.3f s, peak RSS %.1f MB\n", idle.seconds,
                idle.peakKb / 1024.0);
    std::printf("%-10s %9s %10s %11s %10s %12s %12s %10s %10s\n", "show", "MB", "messages", "check MB/s",
                "run s", "msgs/s run", "msgs/s play", "peak MB", "vs idle");
    double slowestCheck = 1e18, slowestPlay = 1e18, mostMemory = 0;  // MB/s, messages/s, MB
    for (const char* name : {"text.show", "recording.show"}) {
        const Check check = checkShow(dir / name);
        const HostRun run = playShow(dir / name);
        // Playing alone: the run less the idle host's start and the check pass.
        const double playSeconds = run.seconds - idle.seconds - check.seconds;
        std::printf("%-10s %9.1f %10llu %11.0f %10.2f %12.2fM %11.2fM %10.1f %+9.1f\n",
                    fs::path(name).stem().c_str(), check.bytes / 1e6,
                    static_cast<unsigned long long>(check.messages), check.bytes / 1e6 / check.seconds,
                    run.seconds, check.messages / run.seconds / 1e6,
                    playSeconds > 0 ? check.messages / playSeconds / 1e6 : 0.0, run.peakKb / 1024.0,
                    (run.peakKb - idle.peakKb) / 1024.0);
        slowestCheck = std::min(slowestCheck, check.bytes / 1e6 / check.seconds);
        slowestPlay = std::min(slowestPlay, playSeconds > 0 ? check.messages / playSeconds : 0.0);
        mostMemory = std::max(mostMemory, (run.peakKb - idle.peakKb) / 1024.0);
    }
    std::printf("\n  the slower check %.0f MB/s; goal >= 200 MB/s: %s\n", slowestCheck,
                verdict(slowestCheck >= 200));
    std::printf("  the slower playback %.2f M messages/s; goal >= 5 M: %s\n", slowestPlay / 1e6,
                verdict(slowestPlay >= 5e6));
    std::printf("  the larger peak RSS over the idle host's %+.1f MB; goal <= 16 MB: %s\n", mostMemory,
                verdict(mostMemory <= 16));
    fs::remove(dir / "text.show");
    fs::remove(dir / "recording.show");
    std::printf("\ngenerating a recording of %.2f minutes for the overview\n", overviewMinutes);
    writeRecording(dir / "long.show", overviewMinutes);
    overviewCost(dir / "long.show");
    fs::remove_all(dir);
    return 0;
}
