// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/commandbutton.h"

#include <QPushButton>

#include "platform/forms/qt/canvas.h"

namespace forms {
namespace {

QPushButton* makeButton(const ControlDesign& design, Canvas& container) {
    auto* button = new QPushButton(
        QString::fromUtf8(design.caption.data(), static_cast<qsizetype>(design.caption.size())), &container);
    // Outside a dialog a push button ignores Enter unless it is auto-default;
    // with it, Enter presses the focused button and nothing else.
    button->setAutoDefault(true);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

}  // namespace

CommandButton::CommandButton(const ControlDesign& design, Canvas& container)
    : WindowedControl(design, container, makeButton(design, container)),
      m_button(static_cast<QPushButton*>(widget())) {
    QObject::connect(m_button, &QPushButton::clicked, [this] { raiseClick(); });
}

QString CommandButton::caption() const {
    return m_button->text();
}

void CommandButton::setCaption(const QString& caption) {
    m_button->setText(caption);
}

void CommandButton::click() {
    m_button->click();
}

}  // namespace forms
