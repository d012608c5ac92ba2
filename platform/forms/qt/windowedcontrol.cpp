// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/qt/windowedcontrol.h"

#include <QWidget>

#include "platform/forms/qt/canvas.h"

namespace forms {

WindowedControl::WindowedControl(const ControlDesign& design, Canvas& container, QWidget* widget)
    : Control(design, container), m_widget(widget) {
    m_widget->setGeometry(geometry().translated(container.origin()));
    m_widget->setVisible(design.visible);
}

WindowedControl::~WindowedControl() {
    // The widget may be the sender of the event procedure that unloads the
    // form, so it is only cut off and hidden now and deleted by the event
    // loop, or with its container, whichever comes first.
    m_widget->disconnect();
    m_widget->hide();
    m_widget->deleteLater();
}

void WindowedControl::setVisible(bool visible) {
    Control::setVisible(visible);
    m_widget->setVisible(visible);
}

}  // namespace forms
