// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/win32/combobox.h"

#include <string>

#include "platform/com/runtimeerror.h"
#include "platform/forms/win32/surface.h"

// Last: the system's macros would rewrite our own names (see system.h).
#include "platform/com/win32/system.h"

namespace forms {
namespace {

constexpr int kErrInvalidArgument = 5;
constexpr int kErrInvalidPropertyValue = 380;
constexpr int kErrTextReadOnly = 383;
// The height of the open list below the box, in pixels.
constexpr int kListHeight = 200;

HWND makeBox(const ControlDesign& design, Surface& container) {
    const DWORD style =
        WS_CHILD | WS_VSCROLL | (design.tabIndex >= 0 ? WS_TABSTOP : 0) |
        (design.style == ComboBox::kDropDownCombo ? CBS_DROPDOWN | CBS_AUTOHSCROLL : CBS_DROPDOWNLIST);
    const Rect place = twipsToPixels(design.left, design.top, design.width, design.height);
    HWND box = CreateWindowExW(0, L"COMBOBOX", L"", style, place.x, place.y, place.width,
                               place.height + kListHeight, container.window(), nullptr, nullptr, nullptr);
    SendMessageW(box, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    return box;
}

String windowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    GetWindowTextW(window, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    return String(std::move(text));
}

}  // namespace

ComboBox::ComboBox(const ControlDesign& design, Surface& container)
    : WindowedControl(design, container, makeBox(design, container)) {
    // The window's height includes its open list; its place is the closed box.
    const Rect place = geometry();
    SetWindowPos(window(), nullptr, 0, 0, place.width, place.height + kListHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ComboBox::addItem(const String& text) {
    int index = listCount();
    if (sorted()) {
        index = 0;
        while (index < listCount() && _wcsicmp(list(index).c_str(), text.c_str()) <= 0) ++index;
    }
    addItem(text, index);
}

void ComboBox::addItem(const String& text, int index) {
    if (index < 0 || index > listCount())
        throw com::RuntimeError(kErrInvalidArgument, "Invalid procedure call or argument: AddItem index");
    if (SendMessageW(window(), CB_INSERTSTRING, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(text.c_str())) < 0)
        throw std::bad_alloc();
}

void ComboBox::removeItem(int index) {
    if (index < 0 || index >= listCount())
        throw com::RuntimeError(kErrInvalidArgument, "Invalid procedure call or argument: RemoveItem index");
    SendMessageW(window(), CB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

void ComboBox::clear() {
    SendMessageW(window(), CB_RESETCONTENT, 0, 0);
}

int ComboBox::listCount() const {
    return static_cast<int>(SendMessageW(window(), CB_GETCOUNT, 0, 0));
}

String ComboBox::list(int index) const {
    const LRESULT length = SendMessageW(window(), CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length < 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(window(), CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return String(std::move(text));
}

int ComboBox::listIndex() const {
    const int index = static_cast<int>(SendMessageW(window(), CB_GETCURSEL, 0, 0));
    // Text typed into a drop-down combo that differs from its entry selects nothing.
    if (index >= 0 && style() == kDropDownCombo && !(windowText(window()) == list(index))) return -1;
    return index < 0 ? -1 : index;
}

void ComboBox::setListIndex(int index) {
    if (index < -1 || index >= listCount())
        throw com::RuntimeError(kErrInvalidPropertyValue, "Invalid property value: ListIndex");
    SendMessageW(window(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    if (index < 0 && style() == kDropDownCombo) SetWindowTextW(window(), L"");
    raiseClick();
}

String ComboBox::text() const {
    if (style() == kDropDownCombo) return windowText(window());
    const int index = listIndex();
    return index < 0 ? String() : list(index);
}

void ComboBox::setText(const String& text) {
    if (style() == kDropDownCombo) {
        SetWindowTextW(window(), text.c_str());
        return;
    }
    for (int index = 0; index < listCount(); ++index) {
        if (list(index) == text) {
            SendMessageW(window(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
            return;
        }
    }
    throw com::RuntimeError(kErrTextReadOnly, "'Text' property is read-only");
}

void ComboBox::command(int code) {
    // The user's pick; a selection set from code runs Click in setListIndex.
    if (code == CBN_SELCHANGE) raiseClick();
}

}  // namespace forms
