// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_COM_GUID_H_
#define PLATFORM_COM_GUID_H_

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Threads: any; constants and pure functions.

namespace com {

struct GUID {
    uint32_t Data1 = 0;
    uint16_t Data2 = 0;
    uint16_t Data3 = 0;
    std::array<uint8_t, 8> Data4{};

    friend constexpr bool operator==(const GUID&, const GUID&) = default;
};
using IID = GUID;
using CLSID = GUID;

namespace detail {

constexpr int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace detail

// Parses "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx", with or without the braces of
// the registry form, hex digits of either case. Nothing else is accepted.
constexpr std::optional<GUID> parseGuid(std::string_view text) {
    if (text.size() == 38) {
        if (text.front() != '{' || text.back() != '}') return std::nullopt;
        text = text.substr(1, 36);
    }
    if (text.size() != 36) return std::nullopt;
    uint8_t bytes[16] = {};
    int byte = 0;
    for (size_t i = 0; i < 36;) {
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (text[i] != '-') return std::nullopt;
            ++i;
            continue;
        }
        const int high = detail::hexValue(text[i]);
        const int low = detail::hexValue(text[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes[byte++] = static_cast<uint8_t>(high << 4 | low);
        i += 2;
    }
    GUID guid;
    guid.Data1 = uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
    guid.Data2 = static_cast<uint16_t>(bytes[4] << 8 | bytes[5]);
    guid.Data3 = static_cast<uint16_t>(bytes[6] << 8 | bytes[7]);
    for (int i = 0; i < 8; ++i) guid.Data4[i] = bytes[8 + i];
    return guid;
}

// A GUID from a literal known at compile time; a malformed literal does not compile.
consteval GUID makeGuid(std::string_view text) {
    const auto guid = parseGuid(text);
    if (!guid) throw "malformed GUID literal";
    return *guid;
}

// Registry form: braces, lower-case hex, 8-4-4-4-12, 38 characters.
std::string formatGuid(const GUID& guid);

// The interface identity of an interface type, declared in the interface as
// `static constexpr IID iid = makeGuid("...")`.
template <class Interface>
constexpr const IID& uuidof() {
    return Interface::iid;
}

}  // namespace com

#endif  // PLATFORM_COM_GUID_H_
