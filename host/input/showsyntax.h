// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_INPUT_SHOWSYNTAX_H_
#define HOST_INPUT_SHOWSYNTAX_H_

// The small pieces both show formats are read with. Internal to the show
// readers.

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>

namespace vexohost::syntax {

// Longer than any show should run: 100 days in ms. Keeps sums far from overflow.
constexpr int64_t kMaxTimeMs = 100LL * 24 * 3600 * 1000;

struct Token {
    std::string_view text;  // empty at the end of the line
    int column = 0;         // 1-based
};

inline bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// The next blank-separated token from *pos on; *pos moves past it.
inline Token nextToken(std::string_view line, size_t* pos) {
    size_t i = *pos;
    while (i < line.size() && isBlank(line[i])) ++i;
    const size_t start = i;
    while (i < line.size() && !isBlank(line[i])) ++i;
    *pos = i;
    return {line.substr(start, i - start), int(start) + 1};
}

// A whole decimal integer of type Int, with an optional '+'.
template <class Int>
bool parseInt(std::string_view text, Int* value) {
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return false;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), *value);
    return ec == std::errc() && end == text.data() + text.size();
}

// The line without the '\r' of a CRLF file.
inline std::string_view stripLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

// A lone carriage return: an old Mac file, whose lines would read as one.
constexpr const char* kLoneCarriageReturn =
    "carriage return inside a line: lines end with LF or CR LF, not CR alone";

// Text from a show for a message, in quotes: at most 40 characters, and
// bytes that are not printable ASCII as \xNN, so a line of junk or binary
// data does not flood or garble the terminal.
inline std::string quote(std::string_view text) {
    constexpr size_t kShown = 40;
    static constexpr char kHex[] = "0123456789abcdef";
    std::string quoted = "'";
    for (size_t i = 0; i < text.size() && i < kShown; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7f) {
            quoted += char(c);
        } else {
            quoted += "\\x";
            quoted += kHex[c >> 4];
            quoted += kHex[c & 15];
        }
    }
    quoted += '\'';
    if (text.size() > kShown) quoted += " (" + std::to_string(text.size()) + " bytes)";
    return quoted;
}

}  // namespace vexohost::syntax

#endif  // HOST_INPUT_SHOWSYNTAX_H_
