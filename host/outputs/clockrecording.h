// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_OUTPUTS_CLOCKRECORDING_H_
#define HOST_OUTPUTS_CLOCKRECORDING_H_

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <optional>

namespace vexohost {

class RunOutputs;

// Records the display as it is at steps of wall-clock time, for what has no
// show time of its own: a live universe, standard input, the faders, or
// anything recorded from the main window. Frame k stands for the time from
// k * 1000 / fps ms after the start to the next step, so the steps do not
// drift however late the timer fires; a step the GUI was too busy for is
// covered by the frame after it.
//
// Owned by the application; frames go to the run's outputs, which have the
// recording open. GUI thread.
class ClockRecording : public QObject {
    Q_OBJECT

public:
    // totalMs: the run's length when it has one (--duration), for the progress bar.
    ClockRecording(RunOutputs& outputs, int framesPerSecond, std::optional<int64_t> totalMs,
                   QObject* parent = nullptr);

    // The first frame at once, then one at every step.
    void start();
    // No frame after this one.
    void stop();
    bool isRunning() const { return m_running; }

private:
    int64_t stepTime(int64_t k) const { return k * 1000 / m_fps; }
    void takeFrame();

    RunOutputs& m_outputs;
    const int m_fps;
    const std::optional<int64_t> m_totalMs;
    QTimer m_timer;
    QElapsedTimer m_clock;
    int64_t m_next = 0;  // the step the next frame stands for
    bool m_running = false;
};

}  // namespace vexohost

#endif  // HOST_OUTPUTS_CLOCKRECORDING_H_
