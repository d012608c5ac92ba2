// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef BENCH_OLA_HOSTRUN_H_
#define BENCH_OLA_HOSTRUN_H_

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <cstdint>

namespace olabench {

constexpr unsigned kUniverse = 1;

// The CPU time of a process, in seconds, from the scheduler's account.
double processCpuSeconds(qint64 pid);
// Runs the event loop for ms milliseconds.
void pause(int ms);
// Frames sent at `rate` for `seconds` by a sender process (this program with
// --send); returns how many.
long sendFrames(quint16 port, int rate, double seconds);

// vexo-host following universe 1 from the olad at 127.0.0.1:port with its
// windows shown, for `seconds`. Owns the process; used on the GUI thread of
// ola_bench, one run at a time or two side by side.
class HostRun {
public:
    HostRun(const QProcessEnvironment& environment, quint16 port, double seconds);
    HostRun(const HostRun&) = delete;
    HostRun& operator=(const HostRun&) = delete;

    // Until olad sends it the universe (at most 15 s); false when it did not.
    bool waitReceiving();
    qint64 pid() const { return m_process.processId(); }
    // Waits for the end of its run; the frames it reports then.
    bool finish(uint64_t* arrived, uint64_t* reached);

private:
    QProcess m_process;
    QByteArray m_out;
};

}  // namespace olabench

#endif  // BENCH_OLA_HOSTRUN_H_
