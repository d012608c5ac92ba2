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

QString script() {
    return QStringLiteral(OLAD_SANDBOX_SCRIPT);
}

}  // namespace

NetworkRig::NetworkRig(Protocol protocol, bool withBackup)
    : m_protocol(protocol),
      m_withBackup(withBackup),
      m_switch(QStringLiteral("nimbo-switch-%1").arg(::getpid())) {
    const qint64 pid = ::getpid();
    m_desk.name = QStringLiteral("nimbo-desk-%1").arg(pid);
    m_desk.address = QStringLiteral("10.77.0.1");
    m_foh.name = QStringLiteral("nimbo-foh-%1").arg(pid);
    m_foh.address = QStringLiteral("10.77.0.2");
    m_backup.name = QStringLiteral("nimbo-backup-%1").arg(pid);
    m_backup.address = QStringLiteral("10.77.0.3");
    // The olads run as their own user: let them into the folder.
    QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                            QFileDevice::ExeOther);
}

NetworkRig::~NetworkRig() {
    for (Node* node : {&m_desk, &m_backup, &m_foh}) {
        stop(node->console);
        stop(node->olad);
    }
    // The veth pairs go with the namespaces.
    for (const Node* node : {&m_desk, &m_backup, &m_foh})
        if (node->made) run({QStringLiteral("netns"), QStringLiteral("del"), node->name}, nullptr);
    if (m_switchMade) run({QStringLiteral("netns"), QStringLiteral("del"), m_switch}, nullptr);
}

QString NetworkRig::unavailableReason() {
    if (::geteuid() != 0) return QStringLiteral("network namespaces need root");
    if (QStandardPaths::findExecutable(QStringLiteral("ip")).isEmpty())
        return QStringLiteral("ip is not installed (Debian package iproute2)");
    for (const char* tool : {"ola_patch", "ola_set_priority", "ola_streaming_client"})
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
    const QString ns = QStringLiteral("netns"), n = QStringLiteral("-n"), link = QStringLiteral("link");
    if (!run({ns, QStringLiteral("add"), m_switch}, error)) return false;
    m_switchMade = true;
    // A bridge that floods multicast: no IGMP snooping to wait for.
    if (!run({n, m_switch, link, QStringLiteral("add"), QStringLiteral("br0"), QStringLiteral("type"),
              QStringLiteral("bridge"), QStringLiteral("mcast_snooping"), QStringLiteral("0")},
             error) ||
        !run({n, m_switch, link, QStringLiteral("set"), QStringLiteral("br0"), QStringLiteral("up")}, error))
        return false;
    if (!addNode(m_foh, 0, error) || !addNode(m_desk, 1, error) ||
        (m_withBackup && !addNode(m_backup, 2, error)))
        return false;
    if (!startOlad(m_foh, error) || !startOlad(m_desk, error)) return false;
    return !m_withBackup || startOlad(m_backup, error);
}

bool NetworkRig::addNode(Node& node, int index, QString* error) {
    const QString ns = QStringLiteral("netns"), n = QStringLiteral("-n"), link = QStringLiteral("link"),
                  set = QStringLiteral("set"), up = QStringLiteral("up"), dev = QStringLiteral("dev");
    if (!run({ns, QStringLiteral("add"), node.name}, error)) return false;
    node.made = true;
    // veth names are of 15 characters at most.
    const QString inside = QStringLiteral("nl%1n%2").arg(::getpid()).arg(index);
    const QString port = QStringLiteral("nl%1s%2").arg(::getpid()).arg(index);
    const QList<QStringList> steps = {
        {link, QStringLiteral("add"), inside, QStringLiteral("type"), QStringLiteral("veth"),
         QStringLiteral("peer"), QStringLiteral("name"), port},
        {link, set, inside, ns, node.name},
        {link, set, port, ns, m_switch},
        {n, m_switch, link, set, port, QStringLiteral("master"), QStringLiteral("br0")},
        {n, m_switch, link, set, port, up},
        // The address with its broadcast (Art-Net), the links up, and multicast (E1.31) on the link.
        {n, node.name, QStringLiteral("addr"), QStringLiteral("add"), node.address + QStringLiteral("/24"),
         QStringLiteral("brd"), QStringLiteral("+"), dev, inside},
        {n, node.name, link, set, QStringLiteral("lo"), up},
        {n, node.name, link, set, inside, up},
        {n, node.name, QStringLiteral("route"), QStringLiteral("add"), QStringLiteral("224.0.0.0/4"), dev,
         inside},
    };
    for (const QStringList& step : steps)
        if (!run(step, error)) return false;
    return true;
}

bool NetworkRig::startOlad(Node& node, QString* error) {
    const QString folder = m_dir.filePath(node.name);
    const QString plugin = m_protocol == Protocol::E131 ? QStringLiteral("e131") : QStringLiteral("artnet");
    const bool receives = &node == &m_foh;
    QDir().mkpath(folder);
    node.olad = std::make_unique<QProcess>();
    node.olad->setProcessChannelMode(QProcess::MergedChannels);
    node.olad->setStandardOutputFile(folder + QStringLiteral(".log"), QIODevice::Append);
    node.olad->start(QStringLiteral("ip"),
                     {QStringLiteral("netns"), QStringLiteral("exec"), node.name, script(), folder,
                      QStringLiteral("9010"), QStringLiteral("--net"), plugin, node.address});
    if (!node.olad->waitForStarted(5000)) {
        *error = QStringLiteral("cannot start olad in %1").arg(node.name);
        return false;
    }
    // Patched as soon as it answers: a desk's output, the foh's input, to universe 1.
    auto inNode = [&](const QStringList& command) {
        return QStringList{QStringLiteral("netns"), QStringLiteral("exec"), node.name} + command;
    };
    QStringList patch = {QStringLiteral("ola_patch"), QStringLiteral("-d"), QStringLiteral("1"),
                         QStringLiteral("-p"),        QStringLiteral("0"),  QStringLiteral("-u"),
                         QStringLiteral("1")};
    if (receives) patch << QStringLiteral("-i");
    const QDeadlineTimer deadline(10000);
    while (!run(inNode(patch), error)) {
        if (deadline.hasExpired() || node.olad->state() == QProcess::NotRunning) {
            QFile log(folder + QStringLiteral(".log"));
            *error += QStringLiteral("\nolad in %1:\n").arg(node.name) +
                      QString::fromLocal8Bit(log.open(QIODevice::ReadOnly) ? log.readAll() : QByteArray());
            return false;
        }
        QThread::msleep(100);
    }
    // The backup outranks the main desk, as sACN lets a backup console do.
    if (&node == &m_backup &&
        !run(inNode({QStringLiteral("ola_set_priority"), QStringLiteral("-d"), QStringLiteral("1"),
                     QStringLiteral("-p"), QStringLiteral("0"), QStringLiteral("-o"), QStringLiteral("150")}),
             error))
        return false;
    // Exactly the one plug-in on, in the folder it was given.
    QProcess check;
    check.start(script(), {QStringLiteral("--check"), folder, plugin});
    if (!check.waitForFinished(10000) || check.exitCode() != 0) {
        *error = QStringLiteral("olad in %1 has other plug-ins on: ").arg(node.name) +
                 QString::fromLocal8Bit(check.readAllStandardError());
        return false;
    }
    return true;
}

void NetworkRig::stop(std::unique_ptr<QProcess>& process, bool killed) {
    if (!process) return;
    if (process->state() != QProcess::NotRunning) {
        process->closeWriteChannel();  // a console ends at the end of its input
        if (killed) process->kill();
        process->terminate();
        if (!process->waitForFinished(5000)) {
            process->kill();
            process->waitForFinished(5000);
        }
    }
    process.reset();
}

void NetworkRig::stopDesk(Desk which, bool killed) {
    stop(desk(which).olad, killed);
    stop(desk(which).console);
}

bool NetworkRig::startDesk(QString* error, Desk which) {
    return startOlad(desk(which), error);
}

bool NetworkRig::startConsole(QString* error, Desk which) {
    Node& node = desk(which);
    stop(node.console);
    node.console = std::make_unique<QProcess>();
    node.console->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    node.console->start(QStringLiteral("ip"),
                        {QStringLiteral("netns"), QStringLiteral("exec"), node.name,
                         QStringLiteral("ola_streaming_client"), QStringLiteral("-u"), QStringLiteral("1")});
    if (node.console->waitForStarted(5000)) return true;
    *error = QStringLiteral("cannot start ola_streaming_client in %1").arg(node.name);
    return false;
}

bool NetworkRig::send(const std::vector<int>& values, Desk which) {
    QProcess* console = desk(which).console.get();
    if (!console || console->state() != QProcess::Running) return false;
    QByteArray line;
    for (const int value : values) line += QByteArray::number(value) + ',';
    line.back() = '\n';
    console->write(line);
    return console->waitForBytesWritten(1000);
}

void NetworkRig::stopConsole(Desk which) {
    stop(desk(which).console);
}

QStringList NetworkRig::inFoh(const QString& program, const QStringList& arguments) const {
    return QStringList{QStringLiteral("netns"), QStringLiteral("exec"), m_foh.name, program} + arguments;
}

}  // namespace olatest
