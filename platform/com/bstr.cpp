// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/com/bstr.h"

#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>

namespace com {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point from utf8 at position, advancing it; malformed,
// overlong and surrogate sequences give U+FFFD and consume one byte.
char32_t decodeUtf8(std::string_view utf8, size_t& position) {
    const auto lead = static_cast<unsigned char>(utf8[position++]);
    if (lead < 0x80) return lead;
    int extra;
    char32_t code;
    if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        code = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        code = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        code = lead & 0x07;
    } else {
        return kReplacement;
    }
    if (position + extra > utf8.size()) return kReplacement;
    for (int i = 0; i < extra; ++i) {
        const auto next = static_cast<unsigned char>(utf8[position + i]);
        if ((next & 0xC0) != 0x80) return kReplacement;
        code = code << 6 | (next & 0x3F);
    }
    static constexpr char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
    if (code < kMinimum[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return kReplacement;
    position += extra;
    return code;
}

void appendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

}  // namespace

BSTR allocBstr(std::string_view utf8) {
    std::u16string units;
    units.reserve(utf8.size());
    for (size_t position = 0; position < utf8.size();) {
        const char32_t code = decodeUtf8(utf8, position);
        if (code >= 0x10000) {
            units += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            units += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            units += static_cast<char16_t>(code);
        }
    }
    BSTR result = SysAllocStringLen(units.data(), static_cast<uint32_t>(units.size()));
    if (!result) throw std::bad_alloc();
    return result;
}

std::string bstrToUtf8(BSTR text) {
    const uint32_t length = SysStringLen(text);
    std::string out;
    out.reserve(length);
    for (uint32_t i = 0; i < length; ++i) {
        char32_t code = text[i];
        if (code >= 0xD800 && code <= 0xDBFF && i + 1 < length && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xD800 && code <= 0xDFFF) {
            code = kReplacement;
        }
        appendUtf8(out, code);
    }
    return out;
}

Bstr Bstr::copyOf(BSTR text) {
    if (!text) return {};
    BSTR copy = SysAllocStringLen(text, SysStringLen(text));
    if (!copy) throw std::bad_alloc();
    return adopt(copy);
}

}  // namespace com
