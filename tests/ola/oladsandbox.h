// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESTS_OLA_OLADSANDBOX_H_
#define TESTS_OLA_OLADSANDBOX_H_

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace olatest {

// An olad of the test's own, started through scripts/olad-sandbox: a fresh
// configuration folder with every plug-in switched off, no web server, the RPC
// port on loopback. Stopped (and its folder removed) with the object.
class OladSandbox {
public:
    OladSandbox();
    // On a port of the caller's choice (a client that knows only olad's default, 9010).
    explicit OladSandbox(quint16 port);
    ~OladSandbox();  // stop()

    // Why olad cannot run here (not installed, no user for it), or empty.
    static QString unavailableReason();

    // Starts olad on port() and waits until it takes connections; after the
    // start, checks that no plug-in file in its folder enables a plug-in (olad
    // is stopped and false returned if one does). On false, *error says why.
    bool start(QString* error);
    // Stops olad and waits for it; the port is free afterwards.
    void stop();
    bool isRunning() const { return m_process && m_process->state() != QProcess::NotRunning; }

    quint16 port() const { return m_port; }
    // olad's own process: the script replaces itself with olad.
    qint64 processId() const { return m_process ? m_process->processId() : 0; }
    QString configDir() const { return m_dir.path(); }
    QString log() const;

    // A loopback port nobody listens on right now, outside the range the
    // system hands out for port 0 and outgoing connections, so that no other
    // test's socket can be given it before olad binds it.
    static quint16 freePort();
    // True when something takes TCP connections on 127.0.0.1:port.
    static bool accepting(quint16 port);

private:
    bool startOnce(QString* error);

    QTemporaryDir m_dir;
    quint16 m_port;
    bool m_portOfOurChoice = false;
    bool m_portTaken = false;
    std::unique_ptr<QProcess> m_process;
};

}  // namespace olatest

#endif  // TESTS_OLA_OLADSANDBOX_H_
