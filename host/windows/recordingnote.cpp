// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/windows/recordingnote.h"

#include <QFileInfo>

#include "host/windows/statustext.h"

namespace vexohost {

RecordingNote::RecordingNote(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setAccessibleName(tr("Recording"));
    m_timer.setInterval(1000);
    connect(&m_timer, &QTimer::timeout, this, &RecordingNote::tick);
    hide();
}

void RecordingNote::start(const QString& path) {
    m_name = QFileInfo(path).fileName();
    setToolTip(tr("Recording the display to %1").arg(QFileInfo(path).absoluteFilePath()));
    m_since.start();
    m_timer.start();
    tick();
    show();
}

void RecordingNote::stop() {
    m_timer.stop();
    hide();
}

void RecordingNote::tick() {
    setText(QStringLiteral("● %1 %2").arg(m_name, clockTime(m_since.elapsed())));
}

}  // namespace vexohost
