#include "host/input/showplayer.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vexohost {
namespace {

// A show ends a little after its last event, so the last state can be seen.
constexpr int64_t kTailMs = 1000;
constexpr int kTickMs = 5;

}  // namespace

ShowPlayer::ShowPlayer(std::vector<ShowEvent> events, PlayerOptions options, QObject* parent)
    : QObject(parent), m_events(std::move(events)), m_options(options) {
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(kTickMs);
    connect(&m_timer, &QTimer::timeout, this, &ShowPlayer::tick);
}

int64_t ShowPlayer::lengthMs() const {
    return (m_events.empty() ? 0 : m_events.back().timeMs) + kTailMs;
}

void ShowPlayer::start() {
    m_running = true;
    m_next = 0;
    m_time = m_loopOffset = m_nextFrame = 0;
    if (m_options.fast) {
        // The whole show now, on the show's own clock.
        advanceTo(std::numeric_limits<int64_t>::max());
        return;
    }
    m_clock.start();
    m_timer.start();
    tick();
}

void ShowPlayer::stop() {
    if (!m_running) return;
    m_running = false;
    m_timer.stop();
    Q_EMIT finished();
}

void ShowPlayer::tick() {
    const auto target = static_cast<int64_t>(std::llround(double(m_clock.elapsed()) * m_options.speed));
    advanceTo(target);
}

void ShowPlayer::advanceTo(int64_t target) {
    constexpr int64_t kNever = std::numeric_limits<int64_t>::max();
    const int64_t frameStep = m_options.framesPerSecond > 0 ? 1000 / m_options.framesPerSecond : 0;
    // Looping without waiting would never end.
    const bool loop = m_options.loop && !m_options.fast;
    while (m_running) {
        const int64_t passEnd = m_loopOffset + lengthMs();
        int64_t end = loop ? kNever : passEnd;
        if (m_options.durationMs) end = std::min(end, *m_options.durationMs);
        const int64_t nextEvent = m_next < m_events.size() ? m_loopOffset + m_events[m_next].timeMs : kNever;
        // Events first, so a frame shows every event up to and including its time.
        if (nextEvent <= target && nextEvent < end && (frameStep == 0 || nextEvent <= m_nextFrame)) {
            m_time = nextEvent;
            Q_EMIT messageDue(m_events[m_next].message());
            ++m_next;
        } else if (frameStep > 0 && m_nextFrame <= target && m_nextFrame < end) {
            m_time = m_nextFrame;
            Q_EMIT frameDue(m_nextFrame);
            m_nextFrame += frameStep;
        } else if (loop && m_next >= m_events.size() && passEnd <= target && passEnd < end) {
            m_loopOffset = passEnd;
            m_next = 0;
        } else if (target >= end) {
            m_time = end;
            stop();
        } else {
            m_time = target;
            return;
        }
    }
}

}  // namespace vexohost
