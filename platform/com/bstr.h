// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_COM_BSTR_H_
#define PLATFORM_COM_BSTR_H_

#include <string>
#include <string_view>
#include <utility>

#include "platform/com/automation.h"

// Threads: any; a string is plain memory with one owner at a time.

namespace com {

// Owns one BSTR and frees it on destruction. A default Bstr holds null, the
// empty string.
class Bstr {
public:
    Bstr() = default;
    // Allocates a copy of utf8 (throws std::bad_alloc).
    explicit Bstr(std::string_view utf8) : m_text(allocBstr(utf8)) {}
    // Takes ownership of text, which the caller must no longer free.
    static Bstr adopt(BSTR text) {
        Bstr result;
        result.m_text = text;
        return result;
    }
    // Allocates a copy of text; the caller keeps its own (throws std::bad_alloc).
    static Bstr copyOf(BSTR text);

    Bstr(const Bstr& other) : Bstr(copyOf(other.m_text)) {}
    Bstr(Bstr&& other) noexcept : m_text(std::exchange(other.m_text, nullptr)) {}
    Bstr& operator=(Bstr other) noexcept {
        std::swap(m_text, other.m_text);
        return *this;
    }
    ~Bstr() { SysFreeString(m_text); }

    // The held string, still owned by this Bstr.
    BSTR get() const { return m_text; }
    // Gives the string to the caller, who must free it.
    BSTR detach() { return std::exchange(m_text, nullptr); }
    // Frees the held string and returns the slot for a BSTR* out-parameter.
    BSTR* put() {
        SysFreeString(std::exchange(m_text, nullptr));
        return &m_text;
    }
    uint32_t length() const { return SysStringLen(m_text); }
    std::u16string_view view() const { return {m_text ? m_text : u"", length()}; }
    std::string toUtf8() const { return bstrToUtf8(m_text); }

private:
    BSTR m_text = nullptr;
};

}  // namespace com

#endif  // PLATFORM_COM_BSTR_H_
