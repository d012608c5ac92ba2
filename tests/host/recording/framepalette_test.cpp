// SPDX-License-Identifier: GPL-3.0-or-later
// The colour table of one GIF image: exact up to 256 colours, reduced or
// refined beyond.

#include "host/recording/framepalette.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "tests/support/casename.h"

namespace vexohost {
namespace {

// n different opaque colours, each on one pixel, then `kept` pixels with alpha 0.
std::vector<QRgb> picture(int colours, int kept = 0) {
    std::vector<QRgb> pixels;
    for (int i = 0; i < colours; ++i) pixels.push_back(qRgb(i % 256, (i * 37) % 256, i / 256 * 13));
    for (int i = 0; i < kept; ++i) pixels.push_back(0);
    return pixels;
}

// The colour each pixel gets, with the transparent index as 0.
std::vector<QRgb> indexed(const FramePalette& palette) {
    std::vector<QRgb> out;
    for (uint8_t index : palette.indexes())
        out.push_back(int(index) == palette.transparentIndex() ? 0 : palette.colours()[index] | 0xff000000u);
    return out;
}

bool powerOfTwo(size_t n) {
    return n >= 2 && (n & (n - 1)) == 0;
}

struct Colours {
    const char* name;
    int colours;
    int kept;      // pixels that keep what is shown
    bool reduced;  // no exact table for them
};

class FramePaletteTest : public testing::TestWithParam<Colours> {};

TEST_P(FramePaletteTest, IndexesExactlyWhatFitsAndReducesTheRest) {
    const Colours& c = GetParam();
    const std::vector<QRgb> pixels = picture(c.colours, c.kept);
    FramePalette palette;
    ASSERT_TRUE(palette.build(pixels.data(), int(pixels.size()), 1));
    EXPECT_EQ(palette.reduced(), c.reduced);
    EXPECT_TRUE(powerOfTwo(palette.colours().size())) << palette.colours().size();
    EXPECT_LE(palette.colours().size(), 256u);
    ASSERT_EQ(palette.indexes().size(), pixels.size());
    if (!c.reduced) {
        EXPECT_EQ(indexed(palette), pixels);
    }
    // Kept pixels are transparent whatever else happens.
    for (size_t i = size_t(c.colours); i < pixels.size(); ++i)
        EXPECT_EQ(int(palette.indexes()[i]), palette.transparentIndex());
}

INSTANTIATE_TEST_SUITE_P(Counts, FramePaletteTest,
                         testing::Values(Colours{"one", 1, 0, false}, Colours{"three", 3, 0, false},
                                         Colours{"256", 256, 0, false}, Colours{"255AndKept", 255, 4, false},
                                         Colours{"256AndKept", 256, 4, true}, Colours{"257", 257, 0, true},
                                         Colours{"5000", 5000, 0, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// 257 colours over a picture that shows black: each refinement puts 255 of
// the colours furthest off exactly, so the third is exact.
TEST(FramePalette, RefiningAStillPictureMakesItExact) {
    const std::vector<QRgb> pixels = picture(600);
    std::vector<QRgb> shown(pixels.size(), qRgb(0, 0, 0));
    FramePalette palette;
    std::set<QRgb> exact;
    for (int pass = 0; pass < 3; ++pass) {
        ASSERT_TRUE(palette.build(pixels.data(), int(pixels.size()), 1, shown.data()));
        const std::vector<QRgb> now = indexed(palette);
        for (size_t i = 0; i < pixels.size(); ++i)
            if (now[i] != 0) shown[i] = now[i];
    }
    EXPECT_EQ(shown, pixels);
}

}  // namespace
}  // namespace vexohost
