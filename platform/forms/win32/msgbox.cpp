// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/win32/msgbox.h"

// Last: the system's macros would rewrite our own names (see system.h).
#include <string>
#include <utility>

#include "platform/com/win32/system.h"

namespace forms {
namespace {

String g_applicationTitle;

int showStandard(const MsgBoxRequest& request) {
    // The buttons, icon and default-button values are MessageBox's own.
    const UINT flags = static_cast<UINT>(request.buttons) | MB_TASKMODAL;
    return MessageBoxW(nullptr, request.prompt.c_str(), request.title.c_str(), flags);
}

MsgBoxPresenter& presenter() {
    static MsgBoxPresenter current = showStandard;
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
    if (!next) next = showStandard;
    return std::exchange(presenter(), std::move(next));
}

String applicationTitle() {
    if (!g_applicationTitle.isEmpty()) return g_applicationTitle;
    std::wstring path(MAX_PATH, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
    const auto slash = path.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    if (const auto dot = name.find_last_of(L'.'); dot != std::wstring::npos) name.resize(dot);
    return String(std::move(name));
}

void setApplicationTitle(const String& title) {
    g_applicationTitle = title;
}

}  // namespace forms
