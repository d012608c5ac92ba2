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

// "1 row", "2 rows".
QString counted(int64_t n, const char* one) {
    return QStringLiteral("%1 %2%3").arg(n).arg(QLatin1String(one)).arg(n == 1 ? "" : "s");
}

// Completes a writer that runs, if one does: says what it wrote, or why it
// failed. False when it failed.
template <class Writer, class Said>
bool completed(std::unique_ptr<Writer>& writer, Said said, const QString& failure) {
    if (!writer) return true;
    const bool closed = writer->close();
    if (closed)
        printLine(stdout, said(*writer));
    else
        printError(failure + writer->error());
    writer.reset();
    return closed;
}

}  // namespace

RunOutputs::RunOutputs(const PluginSession& session, Paths paths)
    : m_session(session),
      m_snapshotPath(std::move(paths.snapshot)),
      m_savedShowPath(std::move(paths.savedShow)),
      m_csvPath(std::move(paths.csv)),
      m_savedUniverseNumber(paths.savedUniverse),
      m_requestedPath(std::move(paths.record)) {}

RunOutputs::~RunOutputs() = default;

bool RunOutputs::open(int base) {
    m_clock.start();
    if (!m_snapshotPath.isEmpty() && !m_snapshotFile.open(m_snapshotPath)) {
        printError(QStringLiteral("cannot write the snapshot: ") + m_snapshotFile.error());
        return false;
    }
    if (!m_savedShowPath.isEmpty() && m_savedUniverseNumber) {
        m_savedUniverse = std::make_unique<UniverseShowWriter>();
        if (!m_savedUniverse->open(m_savedShowPath, *m_savedUniverseNumber)) {
            printError(QStringLiteral("cannot save the universe: ") + m_savedUniverse->error());
            m_savedUniverse.reset();
            return false;
        }
    } else if (!m_savedShowPath.isEmpty()) {
        m_savedShow = std::make_unique<ShowWriter>();
        if (!m_savedShow->open(m_savedShowPath)) {
            printError(QStringLiteral("cannot save the show: ") + m_savedShow->error());
            m_savedShow.reset();
            return false;
        }
    }
    if (!m_csvPath.isEmpty()) {
        m_csv = std::make_unique<CsvWriter>();
        if (!m_csv->open(m_csvPath, base)) {
            printError(QStringLiteral("cannot export the values: ") + m_csv->error());
            m_csv.reset();
            return false;
        }
    }
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
    if (savesShow()) {
        if (m_savedShow) m_savedShow->abort();
        if (m_savedUniverse) m_savedUniverse->abort();
        m_savedShow.reset();
        m_savedUniverse.reset();
        printError(QStringLiteral("interrupted; %1 not written").arg(m_savedShowPath));
    }
    if (m_csv) {
        m_csv->abort();
        m_csv.reset();
        printError(QStringLiteral("interrupted; %1 not written").arg(m_csvPath));
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
    const QString saved = absolute(m_savedShowPath);
    m_failed |= !completed(
        m_savedShow,
        [&](const ShowWriter& w) {
            return QStringLiteral("saved %1 as a show in %2").arg(counted(w.lines(), "moment"), saved);
        },
        QStringLiteral("saving the show failed: "));
    m_failed |= !completed(
        m_savedUniverse,
        [&](const UniverseShowWriter& w) {
            return QStringLiteral("saved %1 of universe %2 in ola_recorder's format in %3")
                .arg(counted(w.frames(), "frame"))
                .arg(w.universe())
                .arg(saved);
        },
        QStringLiteral("saving the universe failed: "));
    m_failed |= !completed(
        m_csv,
        [&](const CsvWriter& w) {
            return QStringLiteral("wrote %1 of values to %2")
                .arg(counted(w.rows(), "row"), AtomicFile::target(m_csvPath));
        },
        QStringLiteral("exporting the values failed: "));
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
