// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef BENCH_TIMING_SLEEPER_H_
#define BENCH_TIMING_SLEEPER_H_

#include <pthread.h>
#include <sched.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <thread>
#include <utility>
#include <vector>

namespace timingprobe {

// A thread on one processor that only sleeps a millisecond at a time and
// notes each wake-up later than that: a witness of the machine. When that
// processor is taken from everything on it (a virtual machine's processor
// held by its host, say), it wakes late as well, at the same moments as a
// thread of the player's that slept there.
class Sleeper {
public:
    explicit Sleeper(int processor) {
        m_lateWakes.reserve(1 << 16);
        m_thread = std::thread([this, processor] {
            cpu_set_t set;
            CPU_ZERO(&set);
            CPU_SET(processor, &set);
            pthread_setaffinity_np(pthread_self(), sizeof set, &set);
            run();
        });
    }
    ~Sleeper() { stop(); }
    Sleeper(const Sleeper&) = delete;
    Sleeper& operator=(const Sleeper&) = delete;

    // Ends the thread; what it noted can be read from then on.
    void stop() {
        m_stop = true;
        if (m_thread.joinable()) m_thread.join();
    }
    // The greatest lateness of a wake-up within [fromNs, toNs] of
    // CLOCK_MONOTONIC, in ms; after stop().
    double latestWithin(int64_t fromNs, int64_t toNs) const {
        int64_t late = 0;
        for (const auto& [at, ns] : m_lateWakes)
            if (at >= fromNs && at - ns <= toNs) late = std::max(late, ns);
        return double(late) / 1e6;
    }

private:
    static int64_t now() {
        timespec t{};
        clock_gettime(CLOCK_MONOTONIC, &t);
        return int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
    }
    void run() {
        int64_t due = now();
        while (!m_stop) {
            due += 1000000;
            const timespec at{time_t(due / 1000000000), long(due % 1000000000)};
            clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr);
            const int64_t woke = now();
            if (woke - due > 1000000 && m_lateWakes.size() < m_lateWakes.capacity())
                m_lateWakes.emplace_back(woke, woke - due);
            if (woke > due) due = woke;
        }
    }
    std::vector<std::pair<int64_t, int64_t>> m_lateWakes;  // woke at, late by (ns)
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

}  // namespace timingprobe

#endif  // BENCH_TIMING_SLEEPER_H_
