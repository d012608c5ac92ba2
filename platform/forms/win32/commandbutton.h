// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_WIN32_COMMANDBUTTON_H_
#define PLATFORM_FORMS_WIN32_COMMANDBUTTON_H_

#include "platform/forms/win32/control.h"
#include "platform/forms/win32/text.h"

namespace forms {

// A push button with a text caption, the system's button. Click runs on a
// mouse click, and on Space while the button has the focus.
class CommandButton : public WindowedControl {
public:
    static constexpr ControlKind kKind = ControlKind::CommandButton;

    CommandButton(const ControlDesign& design, Surface& container);

    String caption() const;
    void setCaption(const String& caption);
    // Presses the button from code: runs Click as a user's press does.
    void click();

    void command(int code) override;
};

}  // namespace forms

#endif  // PLATFORM_FORMS_WIN32_COMMANDBUTTON_H_
