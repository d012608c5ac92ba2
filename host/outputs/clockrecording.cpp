// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/outputs/clockrecording.h"

#include "host/outputs/runoutputs.h"

namespace vexohost {

ClockRecording::ClockRecording(RunOutputs& outputs, int framesPerSecond, std::optional<int64_t> totalMs,
                               QObject* parent)
    : QObject(parent), m_outputs(outputs), m_fps(std::max(1, framesPerSecond)), m_totalMs(totalMs) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ClockRecording::takeFrame);
}

void ClockRecording::start() {
    m_running = true;
    m_next = 0;
    m_clock.start();
    takeFrame();
}

void ClockRecording::stop() {
    m_running = false;
    m_timer.stop();
}

void ClockRecording::takeFrame() {
    if (!m_running || !m_outputs.isRecording()) return stop();
    const int64_t now = m_clock.elapsed();
    // The step now is in; the frame stands for it and any the timer missed before it.
    const int64_t step = std::max(m_next, now * m_fps / 1000);
    const int64_t from = stepTime(m_next);
    m_next = step + 1;
    m_outputs.addFrame(stepTime(m_next) - from, now, m_totalMs);
    m_timer.start(int(std::max<int64_t>(0, stepTime(m_next) - m_clock.elapsed())));
}

}  // namespace vexohost
