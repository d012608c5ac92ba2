#ifndef TOOLS_ENVELOPECOLOURS_H_
#define TOOLS_ENVELOPECOLOURS_H_

#include <array>
#include <string_view>

namespace pictures {

struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
};

// One envelope colour: its file word, the fabric lit by the burner at full
// glow, and the cold fabric against the night sky.
struct EnvelopeColour {
    std::string_view word;
    Rgb glow;
    Rgb unlit;
};

// In colour-code order: the first index of the picture table.
inline constexpr std::array<EnvelopeColour, 9> kEnvelopeColours = {{
    {"blau", {22, 86, 238}, {12, 17, 48}},       // blue; very dark navy
    {"gelb", {255, 214, 24}, {50, 30, 14}},      // yellow; dark red-brown
    {"gruen", {30, 178, 52}, {8, 26, 12}},       // green; near-black green
    {"hellblau", {80, 196, 250}, {10, 40, 46}},  // light blue; dark teal
    {"lila", {162, 50, 208}, {30, 9, 22}},       // violet; near-black maroon
    {"orange", {255, 118, 8}, {56, 24, 12}},     // orange; dark red-brown
    {"rosa", {250, 110, 182}, {44, 17, 40}},     // pink; dark plum
    {"rot", {222, 20, 30}, {46, 7, 8}},          // red; very dark red
    {"weiss", {250, 244, 222}, {42, 42, 22}},    // cream white; dark olive
}};

// In glow-level order: the second index of the picture table. The code is the
// glow in percent.
inline constexpr std::array<std::string_view, 7> kGlowCodes = {"000", "001", "020", "040",
                                                               "060", "080", "100"};
inline constexpr std::array<int, 7> kGlowPercent = {0, 1, 20, 40, 60, 80, 100};

}  // namespace pictures

#endif  // TOOLS_ENVELOPECOLOURS_H_
