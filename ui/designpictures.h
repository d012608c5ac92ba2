#ifndef UI_DESIGNPICTURES_H_
#define UI_DESIGNPICTURES_H_

#include <array>
#include <string_view>

namespace nimbo {

// Resource paths of the pictures stored with the two windows' designs, in
// colour-code order.
constexpr std::array<std::string_view, 9> kDimEnvelopes = {
    ":/ui/dim/blau.gif", ":/ui/dim/gelb.gif",   ":/ui/dim/gruen.gif", ":/ui/dim/hellblau.gif", ":/ui/dim/lila.gif",
    ":/ui/dim/orange.gif", ":/ui/dim/rosa.gif", ":/ui/dim/rot.gif",   ":/ui/dim/weiss.gif"};
constexpr std::array<std::string_view, 9> kBrightEnvelopes = {
    ":/ui/bright/blau.gif",   ":/ui/bright/gelb.gif", ":/ui/bright/gruen.gif",
    ":/ui/bright/hellblau.gif", ":/ui/bright/lila.gif", ":/ui/bright/orange.gif",
    ":/ui/bright/rosa.gif",   ":/ui/bright/rot.gif",  ":/ui/bright/weiss.gif"};
constexpr std::string_view kBasketPicture = ":/ui/korb.jpg";
constexpr std::string_view kWindowIcon = ":/ui/icon.ico";

}  // namespace nimbo

#endif  // UI_DESIGNPICTURES_H_
