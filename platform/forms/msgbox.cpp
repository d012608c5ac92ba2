// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/msgbox.h"

#include <utility>

namespace forms {
namespace {

String g_applicationTitle;

MsgBoxPresenter& presenter() {
    static MsgBoxPresenter current = showSystemMessageBox;
    return current;
}

}  // namespace

int msgBox(const String& prompt, int buttons, const String& title) {
    const MsgBoxRequest request{prompt, buttons, title.isEmpty() ? applicationTitle() : title};
    // A copy, so that a presenter may replace itself while it runs.
    const MsgBoxPresenter show = presenter();
    return show(request);
}

MsgBoxPresenter setMsgBoxPresenter(MsgBoxPresenter next) {
    if (!next) next = showSystemMessageBox;
    return std::exchange(presenter(), std::move(next));
}

String applicationTitle() {
    return g_applicationTitle.isEmpty() ? defaultApplicationTitle() : g_applicationTitle;
}

void setApplicationTitle(const String& title) {
    g_applicationTitle = title;
}

}  // namespace forms
