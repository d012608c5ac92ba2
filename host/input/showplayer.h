#ifndef HOST_INPUT_SHOWPLAYER_H_
#define HOST_INPUT_SHOWPLAYER_H_

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <optional>
#include <vector>

#include "host/input/showfile.h"

namespace vexohost {

struct PlayerOptions {
    double speed = 1.0;                      // show milliseconds per wall-clock millisecond
    bool fast = false;                       // no waiting: the whole show at once
    bool loop = false;                       // start again after the last event
    int framesPerSecond = 0;                 // > 0: emit frameDue at every frame time of the show
    std::optional<int64_t> durationMs = {};  // end after this much show time
};

// Plays a show on a clock of its own: events are delivered in order at their
// show time, and frames (for recording) at fixed steps of show time, so a
// recording looks the same whether the show ran in real time or --fast.
// GUI thread. Signals are emitted from start() (all of them, with `fast`) and
// from the player's timer; connect before start().
class ShowPlayer : public QObject {
    Q_OBJECT

public:
    ShowPlayer(std::vector<ShowEvent> events, PlayerOptions options, QObject* parent = nullptr);

    void start();
    void stop();
    bool isRunning() const { return m_running; }
    int64_t showTimeMs() const { return m_time; }
    int64_t lengthMs() const;

Q_SIGNALS:
    // The host message of the event due now; showTimeMs() is its time.
    void messageDue(const vexohost::HostMessage& message);
    // A frame time of the show: every event up to it has been delivered.
    void frameDue(qint64 showTimeMs);
    // The show ended (or stop() was called).
    void finished();

private:
    void advanceTo(int64_t showTime);
    void tick();

    std::vector<ShowEvent> m_events;
    PlayerOptions m_options;
    QTimer m_timer;
    QElapsedTimer m_clock;
    size_t m_next = 0;
    int64_t m_time = 0;        // show time reached
    int64_t m_loopOffset = 0;  // show time at which the current pass started
    int64_t m_nextFrame = 0;
    bool m_running = false;
};

}  // namespace vexohost

#endif  // HOST_INPUT_SHOWPLAYER_H_
