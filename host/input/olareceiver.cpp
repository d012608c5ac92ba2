// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/input/olareceiver.h"

#include <QTime>

namespace vexohost {
namespace {

// How often the GUI thread looks whether frames stopped coming.
constexpr int kNoDataCheckMs = 250;

}  // namespace

OlaReceiver::OlaReceiver(QObject* parent) : QObject(parent) {
    m_noDataCheck.setInterval(kNoDataCheckMs);
    connect(&m_noDataCheck, &QTimer::timeout, this, &OlaReceiver::checkNoData);
}

OlaReceiver::~OlaReceiver() {
    // The link goes before the members its callbacks reach.
    m_link.reset();
}

void OlaReceiver::setServer(const QString& host, quint16 port) {
    m_options.host = host.toStdString();
    m_options.port = port;
}

void OlaReceiver::setRetry(int firstMs, int maxMs) {
    m_options.firstRetryMs = firstMs;
    m_options.maxRetryMs = maxMs;
}

uint64_t OlaReceiver::framesArrived() const {
    return m_link ? m_link->framesArrived() : 0;
}

bool OlaReceiver::start(unsigned universe) {
    stop();
    if (!OlaLink::parseHost(m_options.host, nullptr)) {
        setStatus(QStringLiteral("olad address not valid: %1").arg(serverHost()));
        return false;
    }
    m_universe = universe;
    m_receiving = m_noData = false;
    m_tracker.reset();
    m_framesTaken = 0;
    const uint64_t run = ++m_run;
    // The link calls back on this thread, from its event loop. A callback
    // that comes from a link being replaced (a slot restarting the receiver
    // as a frame is handed on) is of no interest.
    m_link = std::make_unique<OlaLink>(
        m_options, universe,
        [this, run](const DmxFrame& frame) {
            if (run == m_run) takeFrame(frame);
        },
        [this, run](bool receiving, const std::string& text) {
            linkStatus(run, receiving, QString::fromStdString(text));
        });
    m_sinceFrame.start();
    m_noDataCheck.start();
    return true;
}

void OlaReceiver::stop() {
    if (!m_link) return;
    ++m_run;
    m_link.reset();
    m_noDataCheck.stop();
    m_receiving = m_noData = false;
    setStatus(QStringLiteral("stopped"));
}

void OlaReceiver::takeFrame(const DmxFrame& frame) {
    // `frame` is the link's: a slot that stops or restarts the receiver takes
    // it away, and the rest of it is then of no interest.
    const uint64_t run = m_run;
    ++m_framesTaken;
    if (!m_receiving || m_noData) {
        const bool again = m_noData;
        m_receiving = true;
        m_noData = false;
        setStatus(again ? QStringLiteral("universe %1: receiving again after %2 s")
                              .arg(m_universe)
                              .arg(double(m_sinceFrame.elapsed()) / 1000.0, 0, 'f', 1)
                        : receivingText());
        if (run != m_run) return;
    }
    m_sinceFrame.start();
    Q_EMIT frameTaken(frame);
    if (run != m_run) return;
    const ChannelChanges& changes = m_tracker.apply(frame.slotValues.data(), frame.size);
    if (!changes.empty()) Q_EMIT changesDue(changes);
}

void OlaReceiver::linkStatus(uint64_t run, bool receiving, const QString& text) {
    if (run != m_run) return;
    m_receiving = receiving;
    m_noData = false;
    m_sinceFrame.start();
    setStatus(text);
}

void OlaReceiver::checkNoData() {
    if (!m_receiving || m_noData || m_sinceFrame.elapsed() < m_noDataMs) return;
    m_noData = true;
    const QTime lastFrame = QTime::currentTime().addMSecs(-m_sinceFrame.elapsed());
    setStatus(QStringLiteral("universe %1: no data since %2")
                  .arg(m_universe)
                  .arg(lastFrame.toString(QStringLiteral("HH:mm:ss"))));
}

void OlaReceiver::setStatus(const QString& text) {
    if (text == m_status) return;
    m_status = text;
    Q_EMIT statusChanged(text);
}

QString OlaReceiver::receivingText() const {
    return QStringLiteral("receiving universe %1").arg(m_universe);
}

}  // namespace vexohost
