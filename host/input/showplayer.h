// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_INPUT_SHOWPLAYER_H_
#define HOST_INPUT_SHOWPLAYER_H_

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>
#include <vector>

#include "host/input/channelstate.h"
#include "host/input/showsource.h"

class QSocketNotifier;

namespace vexohost {

struct PlayerOptions {
    double speed = 1.0;                      // show milliseconds per wall-clock millisecond
    bool fast = false;                       // no waiting: the whole show as fast as it goes
    bool loop = false;                       // start again at fromMs after the end (or toMs)
    int framesPerSecond = 0;                 // > 0: emit frameDue at every frame time
    std::optional<int64_t> durationMs = {};  // end after this much show time has played
    int64_t fromMs = 0;                      // start here, with the state the show has reached
    std::optional<int64_t> toMs = {};        // end here; moments at toMs still play
    bool clockFromFirstMoment = false;       // the clock starts when the first moment arrives (a live stream)
};

// Plays a show on a clock of its own, one moment at a time from its source:
// messages are delivered in order at their show time, and frames (for
// recording) at fixed steps of played time, so a recording looks the same
// whether the show ran in real time or fast.
//
// A show played from fromMs > 0 first gets, in one step, the last value the
// show gave each channel before fromMs (see ChannelState); then it plays on.
// A pass ends a second after the last moment, or at toMs; a looped show
// starts its next pass there, and --loop of a source that cannot start again
// plays once.
//
// Played at its own pace, the player is woken when the next thing is due,
// on a timer descriptor of the monotonic clock, so a message reaches the
// plug-in a fraction of a millisecond after its time, and nothing runs in
// between. Played fast, the show goes in slices of about 20 ms, so the event
// loop (Ctrl+C, windows) keeps running. GUI thread. Signals are emitted from
// start() and from the player's timer; connect before start().
class ShowPlayer : public QObject {
    Q_OBJECT

public:
    // source: the show; the player owns it.
    ShowPlayer(std::unique_ptr<ShowSource> source, PlayerOptions options, QObject* parent = nullptr);
    // A show held in memory, in time order.
    ShowPlayer(std::vector<ShowEvent> events, PlayerOptions options, QObject* parent = nullptr);
    ~ShowPlayer() override;

    // Plays the show from the start of its part (again, after it ended or
    // was stopped, when the source can start again).
    void start();
    void stop();
    bool isRunning() const { return m_running; }

    // Holds the show where it is: nothing is delivered and its clock stands
    // until resume(). Both do nothing on a player that is not running.
    void pause();
    void resume();
    bool isPaused() const { return m_paused; }
    // Moves the current pass to show time `showMs` (within the part the
    // player plays): the channels get, in one step, the last value the show
    // gave them before that moment, as a start at fromMs does, and the show
    // plays on from there. False, and nothing changes, when the source cannot
    // go back (a pipe).
    bool seek(int64_t showMs);
    bool canSeek() const { return m_source->canRestart(); }
    // The clock goes on at the new speed from where it stands.
    void setSpeed(double speed);
    // Looping is taken up at the end of the current pass; a source that cannot
    // start again does not loop.
    void setLoop(bool loop);
    bool loops() const { return m_options.loop; }
    // Where the show is now.
    int64_t showTimeMs() const { return m_options.fromMs + (m_played - m_passStart); }
    // Where the part played starts.
    int64_t fromMs() const { return m_options.fromMs; }
    // Show time played since start(), over every pass.
    int64_t playedMs() const { return m_played; }
    // The player's clock now in played time, to the nanosecond (played at
    // its own pace): how late a message is, against its time.
    int64_t clockNs() const;
    // The length of one pass, when the source knows its end ahead.
    std::optional<int64_t> passLengthMs() const;

Q_SIGNALS:
    // The host message due now; showTimeMs() is its time.
    void messageDue(const vexohost::HostMessage& message);
    // A frame time: every message up to it has been delivered, and nothing
    // changes for lengthMs (one frame step; more for the quiet stretch of a
    // show, after a few frames of their own).
    void frameDue(qint64 playedMs, qint64 lengthMs);
    // A line of a stream was wrong and was skipped.
    void lineError(const QString& text);
    // The show could not go on (a file that changed while it played); finished() follows.
    void failed(const QString& text);
    // The show ended (or stop() was called).
    void finished();
    // A looped show starts its next pass: the channels are to be as at the
    // start of the part, so those its first moments do not set go dark first.
    void passStarting();

private:
    void tick();
    int64_t clockNow() const;
    void startClock();
    // Played at its own pace: wakes the player when the next thing is due
    // (a message, a frame, the end of the pass or of the duration), to the
    // microsecond, rather than on a timer's fixed tick.
    void scheduleWake();
    void advanceTo(int64_t target);
    int64_t frameTime(int64_t index) const;
    int64_t frameAtOrAfter(int64_t playedMs) const;
    bool fetch();
    bool startPass(int64_t playedAt);
    void applyState();
    void waitForSource();
    int64_t waitedUntil() const;

    std::unique_ptr<ShowSource> m_source;
    PlayerOptions m_options;
    QTimer m_timer;                            // played fast: hands out slices
    int m_wakeFd = -1;                         // a timer descriptor: played at its own pace
    std::unique_ptr<QSocketNotifier> m_wake;   // on m_wakeFd
    int64_t m_clockStartNs = 0;                // the monotonic clock when the show's clock last started
    std::unique_ptr<QSocketNotifier> m_ready;  // while the source pends
    // Played fast, a stream that pends still has its time go on at the wall
    // clock's pace from where it stood, so that a duration ends it.
    QElapsedTimer m_waitClock;  // running while the source pends
    int64_t m_waitFrom = 0;     // played time when it began to pend
    QTimer m_durationWake;      // wakes a pending fast player at its duration
    ShowBatch m_batch;
    size_t m_index = 0;        // the next message of m_batch
    bool m_haveBatch = false;  // m_batch holds messages still to deliver
    bool m_passOver = false;   // the source has nothing more for this pass
    bool m_seeking = false;    // collecting the state before m_seekTo
    int64_t m_seekTo = 0;      // the show time the state is collected up to
    ChannelState m_state;
    int64_t m_lastMoment = 0;  // show time of the last moment read in this pass
    int64_t m_passEnd = 0;     // show time the pass ends at, once m_passOver
    int64_t m_passStart = 0;   // played time at which this pass started
    int64_t m_played = 0;
    int64_t m_frameIndex = 0;      // of the next frame
    int64_t m_nextFrame = 0;       // its played time
    int m_quietFrames = 0;         // frames since the last message
    int64_t m_clockBase = 0;       // show time at which the wall clock started
    bool m_awaitingFirst = false;  // clockFromFirstMoment, before the first moment
    bool m_rebased = false;        // the clock was just set by the first moment
    bool m_running = false;
    bool m_paused = false;
    bool m_started = false;  // start() ran before: the source is played into
};

}  // namespace vexohost

#endif  // HOST_INPUT_SHOWPLAYER_H_
