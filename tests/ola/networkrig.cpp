// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/ola/networkrig.h"

#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QThread>

#include "tests/ola/oladsandbox.h"

namespace olatest {
namespace {

const QString kDeskAddress = QStringLiteral("10.77.0.1");
const QString kFohAddress = QStringLiteral("10.77.0.2");

QString script() {
    return QStringLiteral(OLAD_SANDBOX_SCRIPT);
}

}  // namespace

NetworkRig::NetworkRig(Protocol protocol)
    : m_protocol(protocol),
      m_desk(QStringLiteral("nimbo-desk-%1").arg(::getpid())),
      m_foh(QStringLiteral("nimbo-foh-%1").arg(::getpid())) {
    // The olads run as their own user: let them into the folder.
    QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                            QFileDevice::ExeOther);
}

NetworkRig::~NetworkRig() {
    stopConsole();
    stopOlad(m_deskOlad);
    stopOlad(m_fohOlad);
    // The veth pair goes with the namespaces.
    if (m_namespaces)
        for (const QString& name : {m_desk, m_foh})
            run({QStringLiteral("netns"), QStringLiteral("del"), name}, nullptr);
}

QString NetworkRig::unavailableReason() {
    if (::geteuid() != 0) return QStringLiteral("network namespaces need root");
    if (QStandardPaths::findExecutable(QStringLiteral("ip")).isEmpty())
        return QStringLiteral("ip is not installed (Debian package iproute2)");
    for (const char* tool : {"ola_patch", "ola_streaming_client"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            return QStringLiteral("%1 is not installed (Debian package ola)").arg(QString::fromLatin1(tool));
    if (const QString reason = OladSandbox::unavailableReason(); !reason.isEmpty()) return reason;
    // A namespace of our own, made and removed at once: a container may refuse it.
    const QString probe = QStringLiteral("nimbo-probe-%1").arg(::getpid());
    QProcess add;
    add.start(QStringLiteral("ip"), {QStringLiteral("netns"), QStringLiteral("add"), probe});
    if (!add.waitForFinished(5000) || add.exitCode() != 0)
        return QStringLiteral("cannot make a network namespace: ") +
               QString::fromLocal8Bit(add.readAllStandardError()).trimmed();
    QProcess::execute(QStringLiteral("ip"), {QStringLiteral("netns"), QStringLiteral("del"), probe});
    return {};
}

bool NetworkRig::run(const QStringList& command, QString* error) const {
    QProcess process;
    process.start(QStringLiteral("ip"), command);
    if (process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit &&
        process.exitCode() == 0)
        return true;
    if (error)
        *error =
            QStringLiteral("ip %1: %2")
                .arg(command.join(' '), QString::fromLocal8Bit(process.readAllStandardError()).trimmed());
    return false;
}

bool NetworkRig::start(QString* error) {
    const QString deskLink = QStringLiteral("nld%1").arg(::getpid()),
                  fohLink = QStringLiteral("nlf%1").arg(::getpid());
    const QString ns = QStringLiteral("netns");
    if (!run({ns, QStringLiteral("add"), m_desk}, error)) return false;
    m_namespaces = true;
    const QList<QStringList> steps = {
        {ns, QStringLiteral("add"), m_foh},
        {QStringLiteral("link"), QStringLiteral("add"), deskLink, QStringLiteral("type"),
         QStringLiteral("veth"), QStringLiteral("peer"), QStringLiteral("name"), fohLink},
        {QStringLiteral("link"), QStringLiteral("set"), deskLink, ns, m_desk},
        {QStringLiteral("link"), QStringLiteral("set"), fohLink, ns, m_foh},
        // Addresses with their broadcast (Art-Net), links up, and multicast (E1.31) on the link.
        {QStringLiteral("-n"), m_desk, QStringLiteral("addr"), QStringLiteral("add"), kDeskAddress + "/24",
         QStringLiteral("brd"), QStringLiteral("+"), QStringLiteral("dev"), deskLink},
        {QStringLiteral("-n"), m_foh, QStringLiteral("addr"), QStringLiteral("add"), kFohAddress + "/24",
         QStringLiteral("brd"), QStringLiteral("+"), QStringLiteral("dev"), fohLink},
        {QStringLiteral("-n"), m_desk, QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("lo"),
         QStringLiteral("up")},
        {QStringLiteral("-n"), m_foh, QStringLiteral("link"), QStringLiteral("set"), QStringLiteral("lo"),
         QStringLiteral("up")},
        {QStringLiteral("-n"), m_desk, QStringLiteral("link"), QStringLiteral("set"), deskLink,
         QStringLiteral("up")},
        {QStringLiteral("-n"), m_foh, QStringLiteral("link"), QStringLiteral("set"), fohLink,
         QStringLiteral("up")},
        {QStringLiteral("-n"), m_desk, QStringLiteral("route"), QStringLiteral("add"),
         QStringLiteral("224.0.0.0/4"), QStringLiteral("dev"), deskLink},
        {QStringLiteral("-n"), m_foh, QStringLiteral("route"), QStringLiteral("add"),
         QStringLiteral("224.0.0.0/4"), QStringLiteral("dev"), fohLink},
    };
    for (const QStringList& step : steps)
        if (!run(step, error)) return false;
    return startOlad(false, error) && startOlad(true, error);
}

bool NetworkRig::startOlad(bool desk, QString* error) {
    const QString folder = m_dir.filePath(desk ? QStringLiteral("desk") : QStringLiteral("foh"));
    const QString plugin = m_protocol == Protocol::E131 ? QStringLiteral("e131") : QStringLiteral("artnet");
    const QString name = desk ? m_desk : m_foh;
    QDir().mkpath(folder);
    auto olad = std::make_unique<QProcess>();
    olad->setProcessChannelMode(QProcess::MergedChannels);
    olad->setStandardOutputFile(folder + QStringLiteral(".log"), QIODevice::Append);
    olad->start(QStringLiteral("ip"),
                {QStringLiteral("netns"), QStringLiteral("exec"), name, script(), folder,
                 QStringLiteral("9010"), QStringLiteral("--net"), plugin, desk ? kDeskAddress : kFohAddress});
    if (!olad->waitForStarted(5000)) {
        *error = QStringLiteral("cannot start olad in %1").arg(name);
        return false;
    }
    (desk ? m_deskOlad : m_fohOlad) = std::move(olad);
    // Patched as soon as it answers: the desk's output, the foh's input, to universe 1.
    QStringList patch = {QStringLiteral("netns"),     QStringLiteral("exec"), name,
                         QStringLiteral("ola_patch"), QStringLiteral("-d"),   QStringLiteral("1"),
                         QStringLiteral("-p"),        QStringLiteral("0"),    QStringLiteral("-u"),
                         QStringLiteral("1")};
    if (!desk) patch << QStringLiteral("-i");
    const QDeadlineTimer deadline(10000);
    while (!run(patch, error)) {
        QFile log(folder + QStringLiteral(".log"));
        if (deadline.hasExpired() || (desk ? m_deskOlad : m_fohOlad)->state() == QProcess::NotRunning) {
            *error += QStringLiteral("\nolad in %1:\n").arg(name) +
                      QString::fromLocal8Bit(log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray());
            return false;
        }
        QThread::msleep(100);
    }
    // Exactly the one plug-in on, in the folder it was given.
    QProcess check;
    check.start(script(), {QStringLiteral("--check"), folder, plugin});
    if (!check.waitForFinished(10000) || check.exitCode() != 0) {
        *error = QStringLiteral("olad in %1 has other plug-ins on: ").arg(name) +
                 QString::fromLocal8Bit(check.readAllStandardError());
        return false;
    }
    return true;
}

void NetworkRig::stopOlad(std::unique_ptr<QProcess>& olad) {
    if (!olad) return;
    olad->terminate();
    if (!olad->waitForFinished(5000)) {
        olad->kill();
        olad->waitForFinished(5000);
    }
    olad.reset();
}

void NetworkRig::stopDesk() {
    stopOlad(m_deskOlad);
}

bool NetworkRig::startDesk(QString* error) {
    return startOlad(true, error);
}

bool NetworkRig::startConsole(QString* error) {
    stopConsole();
    m_console = std::make_unique<QProcess>();
    m_console->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_console->start(QStringLiteral("ip"),
                     {QStringLiteral("netns"), QStringLiteral("exec"), m_desk,
                      QStringLiteral("ola_streaming_client"), QStringLiteral("-u"), QStringLiteral("1")});
    if (m_console->waitForStarted(5000)) return true;
    *error = QStringLiteral("cannot start ola_streaming_client");
    return false;
}

bool NetworkRig::send(const std::vector<int>& values) {
    if (!m_console || m_console->state() != QProcess::Running) return false;
    QByteArray line;
    for (const int value : values) line += QByteArray::number(value) + ',';
    line.back() = '\n';
    m_console->write(line);
    return m_console->waitForBytesWritten(1000);
}

void NetworkRig::stopConsole() {
    if (!m_console) return;
    m_console->closeWriteChannel();
    if (!m_console->waitForFinished(3000)) {
        m_console->kill();
        m_console->waitForFinished(3000);
    }
    m_console.reset();
}

QStringList NetworkRig::inFoh(const QString& program, const QStringList& arguments) const {
    return QStringList{QStringLiteral("netns"), QStringLiteral("exec"), m_foh, program} + arguments;
}

}  // namespace olatest
