// SPDX-License-Identifier: GPL-3.0-or-later
// Modules and text on Windows: which file holds an address, UTF-8 and UTF-16.

#include <string>

#include "platform/com/runtimeerror.h"
#include "platform/com/server.h"
#include "platform/com/win32/wide.h"

// Last: the system's macros would rewrite our own names (see system.h).
#include "platform/com/win32/system.h"

namespace com::win32 {

std::wstring toWide(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
    return wide;
}

std::string fromWide(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int size = static_cast<int>(wide.size());
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

std::wstring wideGuid(const GUID& guid) {
    return toWide(formatGuid(guid));
}

std::wstring modulePath(const void* address) {
    HMODULE module = nullptr;
    if (!address || !GetModuleHandleExW(
                        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                        static_cast<LPCWSTR>(address), &module))
        raise(kErrDllLoad, "no loaded module holds the address");
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) raise(kErrDllLoad, "the module has no file name");
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace com::win32

namespace com {

std::string modulePathOf(const void* addressInModule) {
    return win32::fromWide(win32::modulePath(addressInModule));
}

}  // namespace com
