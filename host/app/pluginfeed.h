// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_APP_PLUGINFEED_H_
#define HOST_APP_PLUGINFEED_H_

#include <QObject>
#include <QString>

#include "host/app/failurereport.h"
#include "host/input/hostmessage.h"
#include "host/windows/displaywatch.h"
#include "host/windows/sentvalues.h"

class QWidget;

namespace vexohost {

class PluginSession;

// The one way host messages reach the plug-in: every input, the faders and
// the host's own re-sends pass here, as the plug-in numbers its channels
// (1..9; the base address is the input control's business).
//
// Owns the last value sent to each channel (what the display should show and
// the faders stand at), the watch on the display window that sends them
// again to a display that was closed and loaded afresh, the failures of the
// run (told on standard error and counted for the main window), and the
// counts of messages passed, not wanted and failed.
//
// Called by the input control, the fader window and the application, on the
// GUI thread. Sending a message allocates nothing unless it fails.
class PluginFeed : public QObject {
    Q_OBJECT

public:
    // session: the loaded plug-in; outlives the feed.
    explicit PluginFeed(PluginSession& session, QObject* parent = nullptr);

    // display: the plug-in's display window (may be null), watched from now on.
    void watch(QWidget* display);

    // Passes a message. A message that loaded a display which was closed is
    // followed by the last values of the other channels, which it shows unlit.
    void send(const HostMessage& message);

    // Said on standard error and counted.
    void reportFailure(const QString& text);
    // Says how often the last failure repeated, if it did.
    void flushFailures();

    const SentValues& sent() const { return m_sent; }
    // Another input starts: no channel is known to be sent (the readouts
    // say "–"); the display keeps what it was last sent.
    void forgetValues() { m_sent.forget(); }
    int failuresReported() const { return m_reported; }
    const QString& lastFailure() const { return m_lastFailure; }
    // "N messages passed to the plug-in, N not wanted, N failed"
    QString summary() const;

private:
    void pass(const HostMessage& message);
    void sendLastValues();

    PluginSession& m_session;
    SentValues m_sent;
    DisplayWatch m_displayWatch;
    FailureReport m_failureReport;
    QString m_lastFailure;
    int m_reported = 0;  // failures reported, of messages and of the plug-in's windows
    int m_passed = 0;
    int m_skipped = 0;
    int m_failed = 0;
};

}  // namespace vexohost

#endif  // HOST_APP_PLUGINFEED_H_
