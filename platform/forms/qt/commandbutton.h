// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_QT_COMMANDBUTTON_H_
#define PLATFORM_FORMS_QT_COMMANDBUTTON_H_

#include <QString>

#include "platform/forms/qt/windowedcontrol.h"

class QPushButton;

namespace forms {

// A push button with a text caption. Click runs on a mouse click, and on
// Enter or Space while the button has the focus. No button of a form is its
// default or cancel button: Enter acts only on the focused button and
// Escape does nothing.
class CommandButton : public WindowedControl {
public:
    static constexpr ControlKind kKind = ControlKind::CommandButton;

    CommandButton(const ControlDesign& design, Canvas& container);

    QString caption() const;
    void setCaption(const QString& caption);
    // Presses the button from code: runs Click as a user's press does.
    void click();

private:
    QPushButton* m_button;  // owned by the container
};

}  // namespace forms

#endif  // PLATFORM_FORMS_QT_COMMANDBUTTON_H_
