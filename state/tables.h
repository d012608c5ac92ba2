// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef STATE_TABLES_H_
#define STATE_TABLES_H_

// The fixed tables of the system, each written here once: how many nimbos,
// the colour words and glow codes in the order that indexes the picture
// table, the colours' names as the colour dialog lists them, and the names
// of the picture files they make. The build reads the
// two word lists from this file too (cmake/NimboTables.cmake), for the
// picture files it copies and the design pictures it stores.

#include <array>
#include <cstddef>
#include <string_view>

namespace nimbo {

// Picture-file words, in colour-code order: the colour order of the whole system.
constexpr auto kColorWords = std::to_array<std::string_view>(
    {"blau", "gelb", "gruen", "hellblau", "lila", "orange", "rosa", "rot", "weiss"});
// The colours as the colour dialog lists them, in colour-code order.
constexpr auto kColorNames = std::to_array<std::string_view>(
    {"blue", "yellow", "green", "lightblue", "pink", "orange", "rose", "red", "white"});
static_assert(kColorNames.size() == kColorWords.size());
// Picture-file codes, in glow-level order; each is the glow in percent.
constexpr auto kGlowCodes =
    std::to_array<std::string_view>({"000", "001", "020", "040", "060", "080", "100"});

constexpr int kNimboCount = 9;  // nimbos 0..8, left to right
constexpr int kColorCount = int(kColorWords.size());
constexpr int kGlowLevelCount = int(kGlowCodes.size());  // glow levels 0 (unlit) .. 6 (full glow)
constexpr int kFullGlow = kGlowLevelCount - 1;

// A short name built at compile time, kept in the object itself so that a
// table of them can live in constant data.
struct FixedName {
    std::array<char, 40> text{};
    size_t size = 0;

    constexpr FixedName& operator+=(std::string_view part) {
        for (char c : part) text[size++] = c;
        return *this;
    }
    constexpr std::string_view view() const { return {text.data(), size}; }
};

constexpr FixedName joinName(std::string_view a, std::string_view b, std::string_view c) {
    FixedName name;
    name += a;
    name += b;
    name += c;
    return name;
}

// "blau000.gif": the file of colour k at glow level `level`, in the folder
// "images" beside the plug-in.
constexpr FixedName pictureFileName(int k, int level) {
    return joinName(kColorWords[size_t(k)], kGlowCodes[size_t(level)], ".gif");
}

}  // namespace nimbo

#endif  // STATE_TABLES_H_
