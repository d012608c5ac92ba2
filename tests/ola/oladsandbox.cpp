// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/ola/oladsandbox.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QThread>
#include <fstream>

namespace olatest {
namespace {

sockaddr_in loopback(quint16 port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

QString script() {
    return QStringLiteral(OLAD_SANDBOX_SCRIPT);
}

}  // namespace

OladSandbox::OladSandbox() : OladSandbox(freePort()) {
    m_portOfOurChoice = true;
}

OladSandbox::OladSandbox(quint16 port) : m_port(port) {
    // olad runs as another user when we are root: let it into the folder.
    QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                            QFileDevice::ExeOther);
}

OladSandbox::~OladSandbox() {
    stop();
}

QString OladSandbox::unavailableReason() {
    if (QStandardPaths::findExecutable(QStringLiteral("olad")).isEmpty())
        return QStringLiteral("olad is not installed (Debian package ola)");
    if (!QFileInfo(script()).isExecutable()) return QStringLiteral("%1 is missing").arg(script());
    if (::geteuid() == 0) {
        if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
            return QStringLiteral("setpriv is missing, needed to run olad as its own user");
        QProcess id;
        id.start(QStringLiteral("id"), {QStringLiteral("olad")});
        if (!id.waitForFinished(5000) || id.exitCode() != 0)
            return QStringLiteral("olad refuses to run as root and there is no user olad");
    }
    return {};
}

bool OladSandbox::start(QString* error) {
    // A port found free may be taken by another program before olad binds
    // it: olad then ends, and another port is tried.
    for (int attempt = 0;; ++attempt) {
        if (startOnce(error)) return true;
        if (!m_portOfOurChoice || attempt == 2 || !m_portTaken) return false;
        m_port = freePort();
    }
}

bool OladSandbox::startOnce(QString* error) {
    m_portTaken = false;
    stop();
    if (!m_dir.isValid()) {
        *error = QStringLiteral("no temporary folder");
        return false;
    }
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    m_process->setStandardOutputFile(m_dir.filePath(QStringLiteral("olad.log")), QIODevice::Append);
    m_process->start(script(), {m_dir.path(), QString::number(m_port)});
    if (!m_process->waitForStarted(5000)) {
        *error = QStringLiteral("cannot start %1: %2").arg(script(), m_process->errorString());
        return false;
    }
    const QDeadlineTimer deadline(10000);
    while (!accepting(m_port)) {
        if (m_process->state() == QProcess::NotRunning || deadline.hasExpired()) {
            *error = QStringLiteral("olad did not come up on port %1:\n%2").arg(m_port).arg(log());
            stop();
            return false;
        }
        QThread::msleep(20);
    }
    QProcess check;
    check.start(script(), {QStringLiteral("--check"), m_dir.path()});
    if (!check.waitForFinished(5000) || check.exitCode() != 0) {
        *error =
            QStringLiteral("olad enabled a plug-in: ") + QString::fromLocal8Bit(check.readAllStandardError());
        stop();
        return false;
    }
    // What took the connection was another program, if olad has ended meanwhile.
    if (m_process->state() == QProcess::NotRunning) {
        *error = QStringLiteral("olad ended; port %1 was taken:\n%2").arg(m_port).arg(log());
        m_portTaken = true;
        stop();
        return false;
    }
    return true;
}

void OladSandbox::stop() {
    if (!m_process) return;
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(5000)) {
            m_process->kill();
            m_process->waitForFinished(5000);
        }
    }
    m_process.reset();
}

QString OladSandbox::log() const {
    QFile file(m_dir.filePath(QStringLiteral("olad.log")));
    return file.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(file.readAll()) : QString();
}

quint16 OladSandbox::freePort() {
    auto bindable = [](quint16 port) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address = loopback(port);
        socklen_t length = sizeof address;
        quint16 bound = 0;
        if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            bound = ntohs(address.sin_port);
        if (fd >= 0) ::close(fd);
        return bound;
    };
    // The system's ephemeral ports (32768..60999 unless set otherwise): a
    // port found free among them may be handed to another test's listener
    // or connection the moment it is closed again.
    unsigned low = 32768, high = 60999;
    if (std::ifstream range("/proc/sys/net/ipv4/ip_local_port_range"); range) range >> low >> high;
    const unsigned first = low >= 11024 ? low - 10000 : high + 1, last = low >= 11024 ? low - 1 : 65535;
    for (int attempt = 0; first <= last && attempt < 64; ++attempt)
        if (const quint16 port =
                bindable(quint16(first + QRandomGenerator::global()->bounded(last - first + 1))))
            return port;
    return bindable(0);
}

bool OladSandbox::accepting(quint16 port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const sockaddr_in address = loopback(port);
    const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

}  // namespace olatest
