// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef BENCH_OLA_WHOLEPROCESSES_H_
#define BENCH_OLA_WHOLEPROCESSES_H_

#include <QtGlobal>

namespace olabench {

// olad's default port: the only one ola_dmxmonitor knows.
constexpr quint16 kOladDefaultPort = 9010;

// Whole processes on an X server (Xvfb of its own when there is no display),
// following the olad at 127.0.0.1:port for `seconds` at 44 frames per second:
// vexo-host with its windows shown beside ola_dmxmonitor, five rounds; the
// live timeline's cost, two vexo-hosts side by side; then the highest frame
// rate vexo-host follows without losing a frame. Prints each figure beside
// its peer and goal. The peer is measured only when port is olad's default.
void compareWithPeer(quint16 port, double seconds);

}  // namespace olabench

#endif  // BENCH_OLA_WHOLEPROCESSES_H_
