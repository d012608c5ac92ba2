// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef UI_DESIGNPICTURES_H_
#define UI_DESIGNPICTURES_H_

#include <array>
#include <cstddef>
#include <string_view>

#include "state/tables.h"

namespace nimbo {

namespace design_detail {
constexpr std::array<FixedName, kColorCount> envelopePaths(std::string_view folder) {
    std::array<FixedName, kColorCount> paths{};
    for (size_t k = 0; k < paths.size(); ++k) paths[k] = joinName(folder, kColorWords[k], ".gif");
    return paths;
}
}  // namespace design_detail

// Resource paths of the envelopes stored with the two windows' designs, in
// colour-code order: ":/ui/dim/blau.gif" ... and ":/ui/bright/blau.gif" ...
// (the build stores them under these names, see ui/CMakeLists.txt).
inline constexpr std::array<FixedName, kColorCount> kDimEnvelopes = design_detail::envelopePaths(":/ui/dim/");
inline constexpr std::array<FixedName, kColorCount> kBrightEnvelopes =
    design_detail::envelopePaths(":/ui/bright/");
constexpr std::string_view kBasketPicture = ":/ui/korb.jpg";
constexpr std::string_view kWindowIcon = ":/ui/icon.ico";

}  // namespace nimbo

#endif  // UI_DESIGNPICTURES_H_
