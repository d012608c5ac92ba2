// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/input/showplayer.h"

#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <algorithm>
#include <cmath>
#include <limits>

#include "host/input/memoryshow.h"

namespace vexohost {
namespace {

// A show ends a little after its last moment, so the last state can be seen.
constexpr int64_t kTailMs = 1000;
// Played fast, the event loop gets a turn this often.
constexpr int64_t kSliceMs = 20;
constexpr int kMessagesBetweenClockReads = 4096;
constexpr int64_t kNever = std::numeric_limits<int64_t>::max();
// Frames of their own after the last message, before a quiet stretch
// becomes one long frame: a recorder may still be refining the picture.
constexpr int kQuietFramesBeforeMerging = 4;

int64_t monotonicNs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

}  // namespace

ShowPlayer::ShowPlayer(std::unique_ptr<ShowSource> source, PlayerOptions options, QObject* parent)
    : QObject(parent), m_source(std::move(source)), m_options(options) {
    if (m_options.loop && !m_source->canRestart()) m_options.loop = false;
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &ShowPlayer::tick);
    m_wakeFd = ::timerfd_create(CLOCK_MONOTONIC, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_wakeFd >= 0) {
        m_wake = std::make_unique<QSocketNotifier>(m_wakeFd, QSocketNotifier::Read);
        m_wake->setEnabled(false);
        connect(m_wake.get(), &QSocketNotifier::activated, this, [this] {
            uint64_t expirations = 0;
            [[maybe_unused]] const ssize_t n = ::read(m_wakeFd, &expirations, sizeof expirations);
            tick();
        });
    }
    m_durationWake.setSingleShot(true);
    m_durationWake.setTimerType(Qt::PreciseTimer);
    connect(&m_durationWake, &QTimer::timeout, this, &ShowPlayer::tick);
}

ShowPlayer::ShowPlayer(std::vector<ShowEvent> events, PlayerOptions options, QObject* parent)
    : ShowPlayer(std::make_unique<MemoryShow>(std::move(events)), options, parent) {}

ShowPlayer::~ShowPlayer() {
    m_wake.reset();
    if (m_wakeFd >= 0) ::close(m_wakeFd);
}

std::optional<int64_t> ShowPlayer::passLengthMs() const {
    const std::optional<int64_t> last = m_source->lastMomentMs();
    if (!last)
        return m_options.toMs ? std::optional<int64_t>(*m_options.toMs - m_options.fromMs) : std::nullopt;
    int64_t end = *last + kTailMs;
    if (m_options.toMs) end = std::min(end, *m_options.toMs);
    return std::max<int64_t>(0, end - m_options.fromMs);
}

void ShowPlayer::start() {
    // A show played before starts again from its first moment.
    if (m_started && !m_source->restart()) {
        Q_EMIT failed(QString::fromStdString(m_source->error().toString()));
        Q_EMIT finished();
        return;
    }
    m_started = true;
    m_running = true;
    m_paused = false;
    m_played = m_nextFrame = m_frameIndex = m_clockBase = 0;
    m_awaitingFirst = m_options.clockFromFirstMoment;
    startPass(0);
    startClock();
    if (m_options.fast) m_timer.start();
    tick();
}

void ShowPlayer::stop() {
    if (!m_running) return;
    m_running = false;
    m_paused = false;
    m_timer.stop();
    if (m_wake) m_wake->setEnabled(false);
    m_durationWake.stop();
    m_waitClock.invalidate();
    if (m_ready) m_ready->setEnabled(false);
    Q_EMIT finished();
}

bool ShowPlayer::startPass(int64_t playedAt) {
    if (playedAt > 0 && !m_source->restart()) {
        Q_EMIT failed(QString::fromStdString(m_source->error().toString()));
        stop();
        return false;
    }
    m_passStart = playedAt;
    m_haveBatch = m_passOver = false;
    m_index = 0;
    m_lastMoment = 0;
    m_seekTo = m_options.fromMs;
    m_seeking = m_seekTo > 0;
    m_state.clear();
    if (playedAt > 0) {
        m_played = playedAt;
        Q_EMIT passStarting();
    }
    return m_running;
}

void ShowPlayer::pause() {
    if (!m_running || m_paused) return;
    if (!m_options.fast) advanceTo(clockNow());
    m_clockBase = clockNow();
    m_paused = true;
    m_timer.stop();
    if (m_wake) m_wake->setEnabled(false);
    if (m_ready) m_ready->setEnabled(false);
}

void ShowPlayer::resume() {
    if (!m_running || !m_paused) return;
    m_paused = false;
    startClock();
    if (m_options.fast) m_timer.start();
    tick();
}

void ShowPlayer::setSpeed(double speed) {
    if (!(speed > 0)) return;
    if (!m_paused) m_clockBase = clockNow();
    startClock();
    m_options.speed = speed;
    if (m_running && !m_paused) scheduleWake();
}

void ShowPlayer::setLoop(bool loop) {
    m_options.loop = loop && m_source->canRestart();
}

bool ShowPlayer::seek(int64_t showMs) {
    if (!m_running || !m_source->restart()) return false;
    const int64_t from = m_options.fromMs;
    int64_t to = from + passLengthMs().value_or(0);
    showMs = std::clamp(showMs, from, std::max(from, to));
    // Played time goes on; the pass is moved so that it stands at showMs now.
    m_passStart = m_played - (showMs - from);
    m_haveBatch = m_passOver = false;
    m_index = 0;
    m_lastMoment = 0;
    m_seekTo = showMs;
    m_seeking = true;
    m_state.clear();
    // The clock stands at the played time, so nothing is skipped or hurried.
    m_clockBase = m_played;
    startClock();
    // What happens at showMs itself is shown now, paused or not; a paused
    // show stays paused even at its end.
    while (fetch() && m_haveBatch && m_passStart + (m_batch.timeMs - m_options.fromMs) <= m_played) {
        const HostMessage& message = m_batch.messages[m_index];
        if (++m_index == m_batch.messages.size()) m_haveBatch = false;
        Q_EMIT messageDue(message);
    }
    if (m_running && !m_paused) tick();
    return true;
}

void ShowPlayer::startClock() {
    m_clockStartNs = monotonicNs();
}

// The show's time now: a millisecond is reached when it has wholly passed.
int64_t ShowPlayer::clockNow() const {
    return m_clockBase + int64_t(std::floor(double(monotonicNs() - m_clockStartNs) * m_options.speed / 1e6));
}

int64_t ShowPlayer::clockNs() const {
    return m_clockBase * 1000000 + int64_t(double(monotonicNs() - m_clockStartNs) * m_options.speed);
}

void ShowPlayer::tick() {
    if (m_paused) return;
    advanceTo(m_options.fast ? kNever : clockNow());
    if (!m_options.fast && m_running && !m_paused) scheduleWake();
}

void ShowPlayer::scheduleWake() {
    if (!m_wake) return;
    int64_t due = kNever;
    if (m_haveBatch) due = m_passStart + (m_batch.timeMs - m_options.fromMs);
    if (m_options.framesPerSecond > 0) due = std::min(due, m_nextFrame);
    if (m_passOver) due = std::min(due, m_passStart + (m_passEnd - m_options.fromMs));
    if (m_options.durationMs) due = std::min(due, *m_options.durationMs);
    if (due == kNever) {
        // Nothing known ahead: the source wakes the player when it has more.
        m_wake->setEnabled(false);
        return;
    }
    // The monotonic time at which the show's clock reaches due.
    const double ahead = double(std::max<int64_t>(0, due - m_clockBase)) * 1e6 / m_options.speed;
    const int64_t at = m_clockStartNs + int64_t(std::ceil(ahead));
    itimerspec when{};
    when.it_value.tv_sec = at / 1000000000;
    when.it_value.tv_nsec = at % 1000000000;
    if (when.it_value.tv_sec == 0 && when.it_value.tv_nsec == 0) when.it_value.tv_nsec = 1;  // 0 would disarm
    ::timerfd_settime(m_wakeFd, TFD_TIMER_ABSTIME, &when, nullptr);
    m_wake->setEnabled(true);
}

void ShowPlayer::waitForSource() {
    const int fd = m_source->readyDescriptor();
    if (fd < 0) return;
    if (!m_ready) {
        m_ready = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        connect(m_ready.get(), &QSocketNotifier::activated, this, [this] {
            m_ready->setEnabled(false);
            if (m_options.fast) m_timer.start();
            tick();
        });
    }
    m_ready->setEnabled(true);
    // Fast, the timer only hands out slices; the descriptor wakes the player.
    if (m_options.fast) m_timer.stop();
    if (!m_waitClock.isValid()) {
        m_waitClock.start();
        m_waitFrom = m_played;
    }
}

// How far the show's time has gone while its source pends: to the clock
// played slow, and on from where it stood at the wall clock's pace played fast.
int64_t ShowPlayer::waitedUntil() const {
    if (!m_options.fast) return clockNow();
    return m_waitClock.isValid() ? m_waitFrom + m_waitClock.elapsed() : m_played;
}

// The state the show has reached at fromMs, in one step.
void ShowPlayer::applyState() {
    m_seeking = false;
    m_played = m_passStart + (m_seekTo - m_options.fromMs);
    m_state.forEach([this](const HostMessage& message) {
        if (m_running) Q_EMIT messageDue(message);
    });
    m_state.clear();
}

// Makes m_batch the next moment of this pass, or marks the pass over.
// False when the player has to wait for its source or has stopped.
bool ShowPlayer::fetch() {
    while (!m_haveBatch && !m_passOver && m_running) {
        switch (m_source->next(&m_batch)) {
            case ShowSource::Step::Batch:
                m_waitClock.invalidate();
                if (m_awaitingFirst) {
                    // Times count from the first moment, which is due now.
                    m_awaitingFirst = false;
                    m_clockBase = m_batch.timeMs;
                    startClock();
                    m_rebased = true;
                }
                m_lastMoment = m_batch.timeMs;
                if (m_seeking && m_batch.timeMs < m_seekTo) {
                    for (const HostMessage& message : m_batch.messages) m_state.take(message);
                    continue;
                }
                if (m_seeking) applyState();
                if (m_options.toMs && m_batch.timeMs > *m_options.toMs) {
                    m_passOver = true;
                    m_passEnd = *m_options.toMs;
                    break;
                }
                m_haveBatch = true;
                m_index = 0;
                break;
            case ShowSource::Step::Pending:
                waitForSource();
                return false;
            case ShowSource::Step::LineError:
                Q_EMIT lineError(QString::fromStdString(m_source->error().toString()));
                continue;
            case ShowSource::Step::End:
                m_waitClock.invalidate();
                if (m_seeking) applyState();
                m_passOver = true;
                m_passEnd = m_lastMoment + kTailMs;
                if (m_options.toMs) m_passEnd = std::min(m_passEnd, *m_options.toMs);
                m_passEnd = std::max(m_passEnd, m_seekTo);
                break;
            case ShowSource::Step::Failed:
                Q_EMIT failed(QString::fromStdString(m_source->error().toString()));
                stop();
                return false;
        }
    }
    return m_running;
}

// Frame k falls at k * 1000 / fps ms of played time (rounded down): frames of
// 33 and 34 ms at 30 fps, which add up to the played time however long it is.
int64_t ShowPlayer::frameTime(int64_t index) const {
    return index * 1000 / m_options.framesPerSecond;
}

// The first frame at or after playedMs.
int64_t ShowPlayer::frameAtOrAfter(int64_t playedMs) const {
    return (playedMs * m_options.framesPerSecond + 999) / 1000;
}

void ShowPlayer::advanceTo(int64_t target) {
    const bool frames = m_options.framesPerSecond > 0;
    const int64_t limit = m_options.durationMs.value_or(kNever);
    QElapsedTimer slice;
    if (m_options.fast) slice.start();
    int untilClock = kMessagesBetweenClockReads;
    while (m_running) {
        if (!fetch()) {
            // A stream with nothing to say still ends with its duration.
            if (!m_running || !m_options.durationMs) return;
            if (const int64_t waited = waitedUntil(); waited >= limit) {
                m_played = limit;
                stop();
            } else if (m_options.fast) {
                m_durationWake.start(int(std::min<int64_t>(limit - waited, 1 << 30)));
            }
            return;
        }
        if (m_rebased) {
            m_rebased = false;
            if (!m_options.fast) target = clockNow();
        }
        const int64_t passEnd = m_passOver ? m_passStart + (m_passEnd - m_options.fromMs) : kNever;
        // A pass of no length is not looped: it would never move on.
        const bool loop = m_options.loop && (!m_passOver || passEnd > m_passStart);
        const int64_t end = std::min(loop ? kNever : passEnd, limit);
        // A part of a show that plays once ends at --to at the latest, which
        // bounds its frames before it is known where it ends.
        const int64_t latestEnd =
            !loop && m_options.toMs ? std::min(end, m_passStart + (*m_options.toMs - m_options.fromMs)) : end;
        const int64_t nextMessage = m_haveBatch ? m_passStart + (m_batch.timeMs - m_options.fromMs) : kNever;
        // Messages first, so a frame shows every message up to and including its time.
        if (nextMessage <= target && nextMessage < limit && (!frames || nextMessage <= m_nextFrame)) {
            m_played = nextMessage;
            m_quietFrames = 0;
            const HostMessage& message = m_batch.messages[m_index];
            if (++m_index == m_batch.messages.size()) m_haveBatch = false;
            Q_EMIT messageDue(message);
            if (m_options.fast && --untilClock == 0) {
                untilClock = kMessagesBetweenClockReads;
                if (slice.elapsed() >= kSliceMs) return;  // the timer (interval 0) goes on
            }
        } else if (frames && m_nextFrame <= target && m_nextFrame < latestEnd &&
                   !(loop && m_passOver && m_nextFrame >= passEnd)) {
            // Nothing changes before the next message, the end, or the next
            // pass; unknown while a stream has not said what comes next.
            const int64_t quietUntil = std::min({nextMessage, end, m_passOver ? passEnd : kNever});
            int64_t next = m_frameIndex + 1;
            if (++m_quietFrames > kQuietFramesBeforeMerging && (m_haveBatch || m_passOver) &&
                quietUntil != kNever && quietUntil > frameTime(next))
                next = frameAtOrAfter(quietUntil);
            // The last frame ends with the run.
            const int64_t length = std::min(frameTime(next), latestEnd) - m_nextFrame;
            m_played = m_nextFrame;
            Q_EMIT frameDue(m_nextFrame, length);
            m_frameIndex = next;
            m_nextFrame = frameTime(next);
        } else if (loop && m_passOver && passEnd <= target && passEnd < end) {
            if (!startPass(passEnd)) return;
        } else if (target >= end) {
            m_played = end;
            stop();
        } else {
            m_played = target;
            return;
        }
    }
}

}  // namespace vexohost
