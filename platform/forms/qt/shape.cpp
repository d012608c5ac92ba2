// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/shape.h"

#include <QPainter>

#include "platform/forms/qt/color.h"

namespace forms {

Shape::Shape(const ControlDesign& design, Canvas& container)
    : Control(design, container), m_fill(qColorOf(design.fillColor)) {}

void Shape::setFillColor(const QColor& color) {
    if (color == m_fill) return;
    m_fill = color;
    invalidate();
}

void Shape::paint(QPainter& painter) const {
    const QRect area = geometry();
    if (area.isEmpty()) return;
    painter.fillRect(area, m_fill);
    painter.setPen(QPen(Qt::black, 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(area.adjusted(0, 0, -1, -1));
}

}  // namespace forms
