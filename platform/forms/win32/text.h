// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_WIN32_TEXT_H_
#define PLATFORM_FORMS_WIN32_TEXT_H_

#include <string>
#include <string_view>

namespace forms {

// Text as the Win32 API takes it, UTF-16, with the members that the users of
// the toolkit need (the same names as the Qt back end's QString). Built from
// UTF-8; malformed UTF-8 becomes U+FFFD.
class String {
public:
    String() = default;
    String(const char* utf8) : String(fromUtf8(utf8)) {}  // NOLINT: as text literals convert
    explicit String(std::wstring text) : m_text(std::move(text)) {}

    static String fromUtf8(const char* utf8, int size = -1);
    static String number(int value);

    bool isEmpty() const { return m_text.empty(); }
    bool endsWith(char c) const { return !m_text.empty() && m_text.back() == static_cast<wchar_t>(c); }
    std::string toStdString() const;
    const std::wstring& wide() const { return m_text; }
    const wchar_t* c_str() const { return m_text.c_str(); }

    friend String operator+(String a, const String& b) {
        a.m_text += b.m_text;
        return a;
    }
    friend String operator+(String a, char c) {
        a.m_text += static_cast<wchar_t>(c);
        return a;
    }
    friend bool operator==(const String& a, const String& b) = default;

private:
    std::wstring m_text;
};

}  // namespace forms

#endif  // PLATFORM_FORMS_WIN32_TEXT_H_
