// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TOOLS_ENVELOPECOLOURS_H_
#define TOOLS_ENVELOPECOLOURS_H_

#include <array>
#include <cstddef>

#include "state/tables.h"

namespace pictures {

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
};

// One envelope colour: the fabric lit by the burner at full glow, and the
// cold fabric against the night sky.
struct EnvelopeColour {
    Rgb glow;
    Rgb unlit;
};

// In colour-code order: the first index of the picture table.
inline constexpr std::array<EnvelopeColour, nimbo::kColorCount> kEnvelopeColours = {{
    {{22, 86, 238}, {12, 17, 48}},    // blue; very dark navy
    {{255, 214, 24}, {50, 30, 14}},   // yellow; dark red-brown
    {{30, 178, 52}, {8, 26, 12}},     // green; near-black green
    {{80, 196, 250}, {10, 40, 46}},   // light blue; dark teal
    {{162, 50, 208}, {30, 9, 22}},    // violet; near-black maroon
    {{255, 118, 8}, {56, 24, 12}},    // orange; dark red-brown
    {{250, 110, 182}, {44, 17, 40}},  // pink; dark plum
    {{222, 20, 30}, {46, 7, 8}},      // red; very dark red
    {{250, 244, 222}, {42, 42, 22}},  // cream white; dark olive
}};

// The glow in percent of each level, read from its file code.
constexpr int glowPercent(int level) {
    const std::string_view code = nimbo::kGlowCodes[size_t(level)];
    int percent = 0;
    for (char c : code) percent = percent * 10 + (c - '0');
    return percent;
}

}  // namespace pictures

#endif  // TOOLS_ENVELOPECOLOURS_H_
