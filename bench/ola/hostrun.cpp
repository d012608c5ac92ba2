// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/ola/hostrun.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QRegularExpression>
#include <QTimer>

namespace olabench {

// The sum over the process's threads of the scheduler's own account
// (nanoseconds; /proc/PID/stat counts in ticks of 10 ms, too coarse for a
// process that takes 2 % of a core for 10 s). -1 when it has gone.
double processCpuSeconds(qint64 pid) {
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    if (!tasks.exists()) return -1;
    double seconds = 0;
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(tasks.filePath(task + QStringLiteral("/schedstat")));
        if (stat.open(QIODevice::ReadOnly))
            seconds += double(stat.readAll().split(' ').value(0).toLongLong()) / 1e9;
    }
    return seconds;
}

void pause(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

long sendFrames(quint16 port, int rate, double seconds) {
    QProcess sender;
    sender.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--send"), QString::number(port),
                                                           QString::number(rate), QString::number(seconds)});
    QEventLoop loop;
    QObject::connect(&sender, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&sender, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    loop.exec();
    return sender.readAllStandardOutput().trimmed().toLong();
}

HostRun::HostRun(const QProcessEnvironment& environment, quint16 port, double seconds) {
    m_process.setProcessEnvironment(environment);
    m_process.start(
        QStringLiteral(VEXO_HOST),
        {QStringLiteral("--ola"), QString::number(kUniverse), QStringLiteral("--ola-server"),
         QStringLiteral("127.0.0.1:%1").arg(port), QStringLiteral("--duration"), QString::number(seconds)});
}

bool HostRun::waitReceiving() {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 15000) {
        m_out += m_process.readAllStandardOutput();
        if (m_out.contains("olad: receiving universe")) return true;
        if (m_process.state() == QProcess::NotRunning) return false;
        pause(20);
    }
    return false;
}

bool HostRun::finish(uint64_t* arrived, uint64_t* reached) {
    if (!m_process.waitForFinished(30000)) return false;
    m_out += m_process.readAllStandardOutput();
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("olad: (\\d+) frames arrived, (\\d+) reached the display"))
            .match(QString::fromLocal8Bit(m_out));
    if (!match.hasMatch()) return false;
    *arrived = match.captured(1).toULongLong();
    *reached = match.captured(2).toULongLong();
    return true;
}

}  // namespace olabench
