// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/label.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>

namespace forms {

Label::Label(const ControlDesign& design, Canvas& container)
    : Control(design, container),
      m_caption(QString::fromUtf8(design.caption.data(), static_cast<qsizetype>(design.caption.size()))) {}

void Label::setCaption(const QString& caption) {
    if (caption == m_caption) return;
    m_caption = caption;
    invalidate();
}

void Label::paint(QPainter& painter) const {
    painter.setPen(QApplication::palette().color(QPalette::WindowText));
    painter.drawText(geometry(), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, m_caption);
}

}  // namespace forms
