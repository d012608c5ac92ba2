// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_APP_INTERRUPTWATCHER_H_
#define HOST_APP_INTERRUPTWATCHER_H_

#include <QObject>
#include <memory>

class QSocketNotifier;

namespace vexohost {

// Turns SIGINT and SIGTERM into a Qt signal on the GUI thread: the handler
// only writes the signal's number into a pipe, which the event loop reads.
// A second signal that arrives before the loop took the first ends the
// process at once, so a stuck run always yields to a second Ctrl-C; so does
// any signal while the run writes its outputs after the loop. Either way the
// temporary files being written are removed first.
// One per process; the handlers stay installed until it is destroyed.
class InterruptWatcher : public QObject {
    Q_OBJECT

public:
    explicit InterruptWatcher(QObject* parent = nullptr);
    ~InterruptWatcher() override;

    // The event loop is over and the outputs are being written: a signal
    // ends the process at once, saying so.
    static void endAtOnce();

Q_SIGNALS:
    void interrupted(int signalNumber);

private:
    void readPipe();

    std::unique_ptr<QSocketNotifier> m_notifier;
};

}  // namespace vexohost

#endif  // HOST_APP_INTERRUPTWATCHER_H_
