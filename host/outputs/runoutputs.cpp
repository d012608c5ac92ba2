// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/outputs/runoutputs.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QWidget>

#include "host/files/console.h"
#include "host/outputs/snapshot.h"
#include "host/recording/recorderfactory.h"
#include "host/session/pluginsession.h"

namespace vexohost {
namespace {

QString absolute(const QString& path) {
    return QFileInfo(path).absoluteFilePath();
}

}  // namespace

RunOutputs::RunOutputs(const PluginSession& session, QString snapshotPath, QString recordPath,
                       QString savedShowPath)
    : m_session(session),
      m_snapshotPath(std::move(snapshotPath)),
      m_savedShowPath(std::move(savedShowPath)),
      m_requestedPath(std::move(recordPath)) {}

RunOutputs::~RunOutputs() = default;

bool RunOutputs::open() {
    if (!m_snapshotPath.isEmpty() && !m_snapshotFile.open(m_snapshotPath)) {
        printError(QStringLiteral("cannot write the snapshot: ") + m_snapshotFile.error());
        return false;
    }
    if (m_savedShowPath.isEmpty()) return true;
    m_savedShow = std::make_unique<ShowWriter>();
    if (!m_savedShow->open(m_savedShowPath)) {
        printError(QStringLiteral("cannot save the show: ") + m_savedShow->error());
        m_savedShow.reset();
        return false;
    }
    m_clock.start();
    return true;
}

bool RunOutputs::startRecording(const QString& path, Timing timing, QString* why) {
    auto refuse = [&](const QString& text) {
        printError(text);
        if (why) *why = text;
        return false;
    };
    const QWidget* widget = m_session.toolWidget();
    if (!widget) return refuse(QStringLiteral("the plug-in has no tool window to record"));
    if (m_recorder) return refuse(QStringLiteral("%1 is being recorded already").arg(m_recordPath));
    if (!RecorderFactory::knowsFormatOf(path))
        return refuse(QStringLiteral("%1: a recording is %2").arg(path, RecorderFactory::formats()));
    m_recorder = RecorderFactory::forPath(path);
    if (!m_recorder->open(path, widget->width(), widget->height())) {
        const QString text = QStringLiteral("cannot record: ") + m_recorder->error();
        m_recorder.reset();
        return refuse(text);
    }
    m_recordPath = path;
    m_timing = timing;
    m_recordingStarted = true;
    return true;
}

bool RunOutputs::stopRecording() {
    if (!m_recorder) return true;
    return closeRecorder();
}

bool RunOutputs::closeRecorder() {
    m_progress.end();
    const bool closed = m_recorder->close();
    if (closed)
        printLine(stdout, QStringLiteral("wrote %1 frames to %2")
                              .arg(m_recorder->frameCount())
                              .arg(absolute(m_recordPath)));
    else
        printError(QStringLiteral("writing %1 failed: %2").arg(m_recordPath, m_recorder->error()));
    m_recorder.reset();
    return closed;
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
    if (m_savedShow) {
        m_savedShow->abort();
        m_savedShow.reset();
        printError(QStringLiteral("interrupted; %1 not written").arg(m_savedShowPath));
    }
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
    if (m_recorder && !closeRecorder()) m_failed = true;
    if (m_savedShow) {
        if (m_savedShow->close()) {
            printLine(stdout, QStringLiteral("saved %1 moments as a show in %2")
                                  .arg(m_savedShow->lines())
                                  .arg(absolute(m_savedShowPath)));
        } else {
            printError(QStringLiteral("saving the show failed: ") + m_savedShow->error());
            m_failed = true;
        }
        m_savedShow.reset();
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
