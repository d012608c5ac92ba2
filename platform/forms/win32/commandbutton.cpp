// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/win32/commandbutton.h"

#include <string>

#include "platform/forms/win32/surface.h"

// Last: the system's macros would rewrite our own names (see system.h).
#include "platform/com/win32/system.h"

namespace forms {
namespace {

HWND makeButton(const ControlDesign& design, Surface& container) {
    const String caption = String::fromUtf8(design.caption.data(), static_cast<int>(design.caption.size()));
    const DWORD style = WS_CHILD | BS_PUSHBUTTON | (design.tabIndex >= 0 ? WS_TABSTOP : 0);
    const Rect place = twipsToPixels(design.left, design.top, design.width, design.height);
    HWND button = CreateWindowExW(0, L"BUTTON", caption.c_str(), style, place.x, place.y, place.width,
                                  place.height, container.window(), nullptr, nullptr, nullptr);
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return button;
}

}  // namespace

CommandButton::CommandButton(const ControlDesign& design, Surface& container)
    : WindowedControl(design, container, makeButton(design, container)) {}

String CommandButton::caption() const {
    const int length = GetWindowTextLengthW(window());
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(window(), text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    return String(std::move(text));
}

void CommandButton::setCaption(const String& caption) {
    SetWindowTextW(window(), caption.c_str());
}

void CommandButton::click() {
    raiseClick();
}

void CommandButton::command(int code) {
    if (code == BN_CLICKED) raiseClick();
}

}  // namespace forms
