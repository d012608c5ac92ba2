// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/app/runoutputs.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QWidget>

#include "host/app/console.h"
#include "host/app/snapshot.h"
#include "host/session/pluginsession.h"

namespace vexohost {
namespace {

QString absolute(const QString& path) {
    return QFileInfo(path).absoluteFilePath();
}

}  // namespace

RunOutputs::RunOutputs(const PluginSession& session, QString snapshotPath, QString recordPath)
    : m_session(session), m_snapshotPath(std::move(snapshotPath)), m_recordPath(std::move(recordPath)) {}

bool RunOutputs::open() {
    if (m_snapshotPath.isEmpty() || m_snapshotFile.open(m_snapshotPath)) return true;
    printError(QStringLiteral("cannot write the snapshot: ") + m_snapshotFile.error());
    return false;
}

bool RunOutputs::startRecording() {
    const QWidget* widget = m_session.toolWidget();
    if (!widget) {
        printError(QStringLiteral("the plug-in has no tool window to record"));
        return false;
    }
    m_recorder = Recorder::forPath(m_recordPath);
    if (!m_recorder->open(m_recordPath, widget->width(), widget->height())) {
        printError(QStringLiteral("cannot record: ") + m_recorder->error());
        m_recorder.reset();
        return false;
    }
    return true;
}

void RunOutputs::addFrame(int64_t lengthMs, int64_t doneMs, std::optional<int64_t> totalMs) {
    if (!m_recorder) return;
    if (!m_recorder->addFrame(renderWindow(m_session.toolWidget()), lengthMs)) {
        printError(QStringLiteral("recording failed: ") + m_recorder->error());
        m_recorder.reset();
        m_failed = true;
        return;
    }
    if (totalMs && *totalMs > 0) m_progress.show(doneMs, *totalMs);
}

void RunOutputs::interrupt() {
    if (m_interrupted) return;
    m_interrupted = true;
    if (!m_recorder) {
        printError(QStringLiteral("interrupted"));
        return;
    }
    m_progress.end();
    m_recorder->abort();
    m_recorder.reset();
    printError(QStringLiteral("interrupted; %1 not written").arg(m_recordPath));
}

bool RunOutputs::finish() {
    if (m_recorder) {
        m_progress.end();
        if (m_recorder->close()) {
            printLine(stdout, QStringLiteral("wrote %1 frames to %2")
                                  .arg(m_recorder->frameCount())
                                  .arg(absolute(m_recordPath)));
        } else {
            printError(QStringLiteral("writing %1 failed: %2").arg(m_recordPath, m_recorder->error()));
            m_failed = true;
        }
        m_recorder.reset();
    }
    if (!m_snapshotPath.isEmpty() && !m_interrupted) writeSnapshot();
    return !m_failed;
}

void RunOutputs::writeSnapshot() {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    const QImage image = renderWindow(m_session.toolWidget());
    QString why;
    if (image.isNull() || !image.save(&buffer, "PNG"))
        why = QStringLiteral("%1: the display window cannot be rendered").arg(m_snapshotPath);
    else if (!m_snapshotFile.write(png.constData(), size_t(png.size())) || !m_snapshotFile.commit())
        why = m_snapshotFile.error();
    if (!why.isEmpty()) {
        m_snapshotFile.discard();
        printError(QStringLiteral("cannot write the snapshot: ") + why);
        m_failed = true;
        return;
    }
    printLine(stdout, QStringLiteral("wrote the display window to %1").arg(absolute(m_snapshotPath)));
}

}  // namespace vexohost
