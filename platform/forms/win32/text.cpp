// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/win32/text.h"

#include <cstring>

// Last: the system's macros would rewrite our own names (see system.h).
#include "platform/com/win32/system.h"

namespace forms {

String String::fromUtf8(const char* utf8, int size) {
    if (!utf8) return {};
    if (size < 0) size = static_cast<int>(std::strlen(utf8));
    if (size == 0) return {};
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8, size, nullptr, 0);
    std::wstring text(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, size, text.data(), length);
    return String(std::move(text));
}

String String::number(int value) {
    return String(std::to_wstring(value));
}

std::string String::toStdString() const {
    if (m_text.empty()) return {};
    const int size = static_cast<int>(m_text.size());
    const int length = WideCharToMultiByte(CP_UTF8, 0, m_text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, m_text.data(), size, utf8.data(), length, nullptr, nullptr);
    return utf8;
}

}  // namespace forms
