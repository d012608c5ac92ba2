// SPDX-License-Identifier: GPL-3.0-or-later
#include "win32/consolehost/messageloop.h"

// clang-format off
#include <windows.h>
#include <objbase.h>
// clang-format on

namespace vexohost {
namespace {

BOOL CALLBACK findVisible(HWND window, LPARAM found) {
    if (IsWindowVisible(window)) *reinterpret_cast<bool*>(found) = true;
    return TRUE;
}

}  // namespace

bool enterApartment() {
    return SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
}

void leaveApartment() {
    CoUninitialize();
}

void pumpUntil(std::chrono::steady_clock::time_point deadline) {
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return;
        MsgWaitForMultipleObjectsEx(0, nullptr, DWORD(left.count()), QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
}

void runWhileWindowsShow() {
    for (;;) {
        bool visible = false;
        EnumThreadWindows(GetCurrentThreadId(), findVisible, reinterpret_cast<LPARAM>(&visible));
        if (!visible) return;
        pumpUntil(std::chrono::steady_clock::now() + std::chrono::milliseconds(50));
    }
}

std::string utf8(const std::wstring& wide) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(size_t(length > 0 ? length - 1 : 0), '\0');
    if (length > 1) WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, out.data(), length, nullptr, nullptr);
    return out;
}

}  // namespace vexohost
