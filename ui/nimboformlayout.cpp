// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/nimboformlayout.h"

#include <array>

#include "ui/designpictures.h"
#include "ui/uiresources.h"

namespace nimbo {
namespace {

using forms::Color;
using forms::ControlDesign;
using forms::ControlKind;

constexpr int kPitch = 1080;  // twips from one nimbo to the next
constexpr Color kBlack = Color::fromRgb(0, 0, 0);
constexpr Color kGround = Color::fromRgb(0, 64, 0);

// Front to back: flame covers, ground, baskets, envelopes; within each array
// the last item lies in front.
constexpr auto buildControls() {
    std::array<ControlDesign, kNimboCount + 1 + kNimboCount + kNimboCount> controls{};
    size_t n = 0;
    for (int i = kNimboCount - 1; i >= 0; --i) {
        // fire(0) sits 24 twips further right than the pitch puts it.
        controls[n++] = {.kind = ControlKind::Shape,
                         .name = "fire",
                         .index = i,
                         .left = i == 0 ? 624 : 600 + kPitch * i,
                         .top = 2280,
                         .width = 180,
                         .height = 180,
                         .fillColor = kBlack};
    }
    controls[n++] = {.kind = ControlKind::Shape,
                     .name = "Shape1",
                     .left = 0,
                     .top = 2760,
                     .width = 10452,
                     .height = 612,
                     .fillColor = kGround};
    for (int i = kNimboCount - 1; i >= 0; --i) {
        controls[n++] = {.kind = ControlKind::Image,
                         .name = "korb",
                         .index = i,
                         .left = 480 + kPitch * i,
                         .top = 2280,
                         .width = 480,
                         .height = 456,
                         .picture = kBasketPicture};
    }
    for (int i = kNimboCount - 1; i >= 0; --i) {
        controls[n++] = {.kind = ControlKind::Image,
                         .name = "Nimbo",
                         .index = i,
                         .left = 120 + kPitch * i,
                         .top = 120,
                         .width = 1440,
                         .height = 2208,
                         .picture = kDimEnvelopes[static_cast<size_t>(i)].view()};
    }
    return controls;
}

constexpr auto kControls = buildControls();

constexpr forms::FormLayout kLayout = {
    .name = "NimboForm",
    .caption = "Nimbo Lux",
    .clientWidth = 10404,
    .clientHeight = 3396,
    .backColor = kBlack,
    .icon = kWindowIcon,
    .controls = kControls,
};

}  // namespace

const forms::FormLayout& nimboFormLayout() {
    registerUiResources();
    return kLayout;
}

}  // namespace nimbo
