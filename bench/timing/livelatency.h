// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef BENCH_TIMING_LIVELATENCY_H_
#define BENCH_TIMING_LIVELATENCY_H_

#include <QString>
#include <cstddef>

class QTemporaryDir;

namespace timingprobe {

struct LatencyFigures {
    double medianMs = 0, p95Ms = 0, maxMs = 0;
    size_t frames = 0;     // sent
    size_t repainted = 0;  // whose repaint was seen
};

// How long a frame takes from the console to the screen: vexo-host
// (this process, windows shown) follows universe 1 of a sandboxed olad while
// another thread sends it `frames` frames 50 ms apart, each turning channel 1
// from dark to full or back, so that each must repaint the display. Timed
// from the moment the frame is handed to olad to the end of the display
// window's repaint (painted and flushed to the window system) that follows.
// Empty figures with why set when olad cannot be started.
LatencyFigures measureLiveLatency(const QTemporaryDir& dir, size_t frames, QString* why);

}  // namespace timingprobe

#endif  // BENCH_TIMING_LIVELATENCY_H_
