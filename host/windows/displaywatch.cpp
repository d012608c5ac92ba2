// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/windows/displaywatch.h"

#include <QEvent>
#include <QWidget>

namespace vexohost {

void DisplayWatch::watch(QWidget* display) {
    if (m_display) m_display->removeEventFilter(this);
    m_display = display;
    if (m_display) m_display->installEventFilter(this);
}

bool DisplayWatch::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_display) {
        if (event->type() == QEvent::Hide) {
            m_stale = true;
        } else if (event->type() == QEvent::Show && m_stale) {
            Q_EMIT shownAgain();
        }
    }
    return false;
}

}  // namespace vexohost
