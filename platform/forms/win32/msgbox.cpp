// SPDX-License-Identifier: GPL-3.0-or-later
// The toolkit's message box on Windows: the system's own.
#include "platform/forms/msgbox.h"

#include <string>
#include <utility>

// Last: the system's macros would rewrite our own names (see system.h).
#include "platform/com/win32/system.h"

namespace forms {

int showSystemMessageBox(const MsgBoxRequest& request) {
    // The buttons, icon and default-button values are MessageBox's own.
    const UINT flags = static_cast<UINT>(request.buttons) | MB_TASKMODAL;
    return MessageBoxW(nullptr, request.prompt.c_str(), request.title.c_str(), flags);
}

String defaultApplicationTitle() {
    std::wstring path(MAX_PATH, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
    const auto slash = path.find_last_of(L"\\/");
    std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    if (const auto dot = name.find_last_of(L'.'); dot != std::wstring::npos) name.resize(dot);
    return String(std::move(name));
}

}  // namespace forms
