// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_MSGBOX_H_
#define PLATFORM_FORMS_MSGBOX_H_

#include <functional>

#include "platform/forms/text.h"

namespace forms {

// Buttons values (the low digits choose the buttons, 16..64 the icon,
// 256/512 the default button) and answers of msgBox.
enum MsgBoxButtons : int {
    kOkOnly = 0,
    kOkCancel = 1,
    kAbortRetryIgnore = 2,
    kYesNoCancel = 3,
    kYesNo = 4,
    kRetryCancel = 5,
    kCritical = 16,
    kQuestion = 32,
    kExclamation = 48,
    kInformation = 64,
    kDefaultButton2 = 256,
    kDefaultButton3 = 512,
};
enum MsgBoxResult : int { kOk = 1, kCancel = 2, kAbort = 3, kRetry = 4, kIgnore = 5, kYes = 6, kNo = 7 };

// One message box as it is to be shown; title already resolved.
struct MsgBoxRequest {
    String prompt;
    int buttons = kOkOnly;
    String title;
};
// Shows a request modally and returns the answer.
using MsgBoxPresenter = std::function<int(const MsgBoxRequest&)>;

// Shows prompt in a modal message box and returns the button pressed when
// it is closed (closing a box without Cancel counts as its only or first
// button). An empty title shows the application title.
int msgBox(const String& prompt, int buttons = kOkOnly, const String& title = {});

// Replaces what shows message boxes (tests, hosts); an empty presenter
// restores the standard one. Returns the previous presenter.
MsgBoxPresenter setMsgBoxPresenter(MsgBoxPresenter presenter);

// The default caption of message boxes; when never set or set empty, the
// back end's default: the application's name (Qt), the program's file name
// without its extension (Windows).
String applicationTitle();
void setApplicationTitle(const String& title);

// What each back end provides (qt/msgbox.cpp, win32/msgbox.cpp): its own
// modal message box, and the default title.
int showSystemMessageBox(const MsgBoxRequest& request);
String defaultApplicationTitle();

}  // namespace forms

#endif  // PLATFORM_FORMS_MSGBOX_H_
