// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_APP_LIVEINPUT_H_
#define HOST_APP_LIVEINPUT_H_

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>

#include "host/app/framerate.h"
#include "host/input/olachanneltracker.h"
#include "host/input/olalink.h"

namespace vexohost {

class OlaReceiver;

// A universe from olad as the input of a run: the receiver, the rate its
// frames come at, and whether its values are stale (no data). What changes
// is said on standard output: the receiver's status, and the rate a second
// after frames begin to come.
//
// Owns the receiver and what is known of its frames. The input control
// creates it for --ola and Connect, passes its messages on, and asks it what
// the status line says. GUI thread.
class LiveInput : public QObject {
    Q_OBJECT

public:
    LiveInput(const QString& host, quint16 port, int noDataAfterMs, QObject* parent = nullptr);
    ~LiveInput() override;

    // Starts receiving universe; false, said on standard error, when the
    // server address is not valid.
    bool start(unsigned universe);
    // Disconnects; the universe can be started again.
    void stop();
    // Says what the universe delivered, and stops.
    void finish();

    bool isRunning() const;
    unsigned universe() const;
    // "HOST:PORT"
    QString server() const;
    // The last value of channel 1..512, or -1 if no frame carried it yet.
    int value(int channel) const;
    // The values are the last a universe sent before it went quiet.
    bool isStale() const { return m_stale; }
    // olad answers for the universe (frames come, or it has none to give).
    bool reachesOlad() const;
    // How long frames have not come, once that is no longer receiving; 0 while they come.
    int64_t silenceMs() const;
    // Takes the count of frames for the rate (four times a second).
    void sample();
    // What the status line says of it.
    QString statusText() const;

Q_SIGNALS:
    // A frame came, whole; its changed channels follow.
    void frameTaken(const vexohost::DmxFrame& frame);
    // The channels a frame changed, as the universe numbers them.
    void changesDue(const vexohost::ChannelChanges& changes);
    // The receiver's status changed (said on standard output).
    void statusChanged();
    void staleChanged(bool stale);

private:
    void reportRate();

    std::unique_ptr<OlaReceiver> m_receiver;
    FrameRate m_frameRate;
    QElapsedTimer m_clock;
    bool m_stale = false;
};

}  // namespace vexohost

#endif  // HOST_APP_LIVEINPUT_H_
