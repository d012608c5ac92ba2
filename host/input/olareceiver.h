// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_INPUT_OLARECEIVER_H_
#define HOST_INPUT_OLARECEIVER_H_

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <memory>

#include "host/input/olachanneltracker.h"
#include "host/input/olalink.h"

namespace vexohost {

// Live channel values from one universe of olad, for the GUI thread.
//
// The connection (OlaLink) is served by the GUI thread's own event loop: a
// frame is handed on as OLA's client reads it, and frames that come while the
// GUI is busy wait in the socket, in order. Here each frame is compared with
// the values seen so far and each channel that changed is emitted as a host
// message.
//
// Status texts (statusChanged) tell people what is going on:
//   "olad not running on 127.0.0.1:9010, retrying in 2 s"
//   "receiving universe 1"
//   "universe 1: no data since 12:01:07"   (no frame for the no-data time, since
//                                           the last frame; the next frame clears it)
//   "universe 1: receiving again after 10.2 s"
//   "lost connection to olad on 127.0.0.1:9010"
//   "stopped"
class OlaReceiver : public QObject {
    Q_OBJECT

public:
    explicit OlaReceiver(QObject* parent = nullptr);
    ~OlaReceiver() override;  // stop()

    // Where olad listens; used by the next start(). The host is an IPv4
    // address or "localhost".
    void setServer(const QString& host, quint16 port);
    QString serverHost() const { return QString::fromStdString(m_options.host); }
    quint16 serverPort() const { return m_options.port; }
    // Pause after the first failed connection, doubled up to maxMs.
    void setRetry(int firstMs, int maxMs);
    // How long a connection, and olad's answer on it, may take.
    void setTimeout(int ms) { m_options.connectTimeoutMs = ms; }
    // How long without a frame is "no data": past sACN's source timeout of
    // 2.5 s by default, after which olad delivers a backup source.
    static constexpr int kDefaultNoDataMs = 3000;
    void setNoDataAfter(int ms) { m_noDataMs = ms; }

    // Starts receiving `universe` (stopping a running one first). Every
    // channel of the first frame counts as changed. Returns false, with a
    // status text, when the server address is not valid.
    bool start(unsigned universe);
    // Ends the connection; no signal about frames of this run comes
    // afterwards. May be called from a slot of this object's signals.
    void stop();

    bool isRunning() const { return m_link != nullptr; }
    unsigned universe() const { return m_universe; }
    QString status() const { return m_status; }
    // Frames are coming in.
    bool isReceiving() const { return m_receiving && !m_noData; }
    // Connected, but no frame came for the no-data timeout.
    bool hasNoData() const { return m_noData; }
    // Milliseconds since the last frame (or since the connection, before the first).
    int64_t msSinceFrame() const { return m_sinceFrame.elapsed(); }
    // The last value of a channel 1..512, or -1 if no frame carried it yet.
    int value(int channel) const { return m_tracker.value(channel); }
    // Frames handed on since start().
    uint64_t framesTaken() const { return m_framesTaken; }
    // Frames of the universe olad delivered since start().
    uint64_t framesArrived() const;

Q_SIGNALS:
    // The latest frame, whole, as it is taken (before its changes).
    void frameTaken(const vexohost::DmxFrame& frame);
    // The channels the latest frame changed, in channel order, in one call:
    // a frame that changes a whole universe is 512 values, and a signal
    // apiece would cost more than passing them on.
    void changesDue(const vexohost::ChannelChanges& changes);
    void statusChanged(const QString& text);

private:
    void takeFrame(const DmxFrame& frame);
    void linkStatus(uint64_t run, bool receiving, const QString& text);
    void checkNoData();
    void setStatus(const QString& text);
    QString receivingText() const;

    OlaLinkOptions m_options;
    int m_noDataMs = kDefaultNoDataMs;
    std::unique_ptr<OlaLink> m_link;
    uint64_t m_run = 0;  // counts the runs, for the callbacks of a link being replaced
    unsigned m_universe = 0;
    bool m_receiving = false;
    bool m_noData = false;
    QString m_status;
    QElapsedTimer m_sinceFrame;
    QTimer m_noDataCheck;
    OlaChannelTracker m_tracker;
    uint64_t m_framesTaken = 0;
};

}  // namespace vexohost

#endif  // HOST_INPUT_OLARECEIVER_H_
