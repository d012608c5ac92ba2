// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/win32/apppath.h"

#include <string>

// Last: the system's macros would rewrite our own names (see system.h).
#include "platform/com/win32/system.h"

namespace forms {

String modulePathOf(const void* address) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExW(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            static_cast<LPCWSTR>(address), &module))
        return {};
    std::wstring path(MAX_PATH, L'\0');
    DWORD length = 0;
    while ((length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()))) == path.size())
        path.resize(path.size() * 2);
    path.resize(length);
    const auto slash = path.find_last_of(L"\\/");
    return String(slash == std::wstring::npos ? std::wstring() : path.substr(0, slash));
}

}  // namespace forms
