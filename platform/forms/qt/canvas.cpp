// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/qt/canvas.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPaintEvent>
#include <QPainter>

#include "platform/forms/control.h"

namespace forms {
namespace {

QEvent::Type flushEventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

}  // namespace

Canvas::Canvas(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

Canvas::~Canvas() = default;

void Canvas::setBackground(const QColor& color) {
    m_background = color;
    update();
}

void Canvas::setBorder(int width) {
    m_border = width;
    update();
}

void Canvas::addPainted(Control* control) {
    m_painted.push_back(control);
}

void Canvas::clearPainted() {
    m_painted.clear();
}

void Canvas::invalidateVisible(const QRect& rect) {
    m_dirty |= rect.translated(origin());
    if (m_flushPosted) return;
    m_flushPosted = true;
    QCoreApplication::postEvent(this, new QEvent(flushEventType()));  // Qt takes ownership
}

bool Canvas::event(QEvent* event) {
    if (event->type() != flushEventType()) return QWidget::event(event);
    m_flushPosted = false;
    if (!m_dirty.isEmpty()) update(m_dirty);
    m_dirty = QRect();
    return true;
}

void Canvas::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), m_background);
    if (m_border > 0) paintBorder(painter);

    const QRect inner = rect().adjusted(m_border, m_border, -m_border, -m_border);
    painter.setClipRect(inner & event->rect());
    painter.translate(origin());
    const QRect exposed = event->rect().translated(-origin());
    for (const Control* control : m_painted) {
        if (control->visible() && control->geometry().intersects(exposed)) control->paint(painter);
    }
}

void Canvas::paintBorder(QPainter& painter) const {
    // A two-pixel sunken frame: shadow above and left, light below and right.
    const QRect outer = rect().adjusted(0, 0, -1, -1);
    const QRect inner = outer.adjusted(1, 1, -1, -1);
    const auto frame = [&painter](const QRect& r, const QColor& topLeft, const QColor& bottomRight) {
        painter.setPen(topLeft);
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(bottomRight);
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
    };
    frame(outer, QColor(128, 128, 128), QColor(255, 255, 255));
    if (m_border > 1) frame(inner, QColor(64, 64, 64), QColor(212, 208, 200));
}

}  // namespace forms
