// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/app/liveinput.h"

#include <QTimer>
#include <algorithm>

#include "host/files/console.h"
#include "host/input/olareceiver.h"
#include "host/windows/statustext.h"

namespace vexohost {

LiveInput::LiveInput(const QString& host, quint16 port, int noDataAfterMs, QObject* parent)
    : QObject(parent), m_receiver(std::make_unique<OlaReceiver>()) {
    m_receiver->setServer(host, port);
    m_receiver->setNoDataAfter(noDataAfterMs);
    connect(m_receiver.get(), &OlaReceiver::frameTaken, this, &LiveInput::frameTaken);
    connect(m_receiver.get(), &OlaReceiver::changesDue, this, &LiveInput::changesDue);
    connect(m_receiver.get(), &OlaReceiver::statusChanged, this, [this](const QString& text) {
        printLine(stdout, QStringLiteral("olad: ") + text);
        if (m_receiver->isReceiving()) reportRate();
        if (const bool stale = m_receiver->hasNoData(); stale != m_stale) {
            m_stale = stale;
            Q_EMIT staleChanged(stale);
        }
        Q_EMIT statusChanged();
    });
    m_clock.start();
}

LiveInput::~LiveInput() = default;

bool LiveInput::start(unsigned universe) {
    m_frameRate.reset();
    if (m_receiver->start(universe)) return true;
    printError(m_receiver->status());
    return false;
}

void LiveInput::stop() {
    m_receiver->stop();
}

void LiveInput::finish() {
    // Every frame read is handed on, so the two agree; the line says so for
    // people and scripts that check a run.
    if (m_receiver->isRunning())
        printLine(stdout, QStringLiteral("olad: %1 frames arrived, %2 reached the display")
                              .arg(m_receiver->framesArrived())
                              .arg(m_receiver->framesTaken()));
    m_receiver->stop();
}

bool LiveInput::isRunning() const {
    return m_receiver->isRunning();
}

unsigned LiveInput::universe() const {
    return m_receiver->universe();
}

QString LiveInput::server() const {
    return QStringLiteral("%1:%2").arg(m_receiver->serverHost()).arg(m_receiver->serverPort());
}

int LiveInput::value(int channel) const {
    return m_receiver->value(channel);
}

bool LiveInput::reachesOlad() const {
    return m_receiver->isReceiving() || m_receiver->hasNoData();
}

int64_t LiveInput::silenceMs() const {
    return m_receiver->isReceiving() ? 0 : std::max<int64_t>(1, m_receiver->msSinceFrame());
}

void LiveInput::sample() {
    if (m_receiver->isRunning()) m_frameRate.sample(m_clock.elapsed(), m_receiver->framesArrived());
}

// A second after frames begin to come (again), the rate they come at.
void LiveInput::reportRate() {
    const uint64_t before = m_receiver->framesArrived();
    QTimer::singleShot(1000, this, [this, before] {
        if (!m_receiver->isReceiving()) return;
        if (const uint64_t frames = m_receiver->framesArrived() - before; frames > 0)
            printLine(stdout, QStringLiteral("olad: universe %1: %2 frames/s")
                                  .arg(m_receiver->universe())
                                  .arg(double(frames), 0, 'f', 1));
    });
}

QString LiveInput::statusText() const {
    const unsigned universe = m_receiver->universe();
    if (!m_receiver->isRunning()) return tr("universe %1: disconnected").arg(universe);
    if (m_receiver->isReceiving())
        return liveStatus(universe, m_frameRate.perSecond(),
                          m_receiver->framesArrived() > 0 ? m_receiver->msSinceFrame() : 0);
    if (m_receiver->hasNoData()) return noDataStatus(universe, m_receiver->msSinceFrame());
    return m_receiver->status();
}

}  // namespace vexohost
