// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/nimboconflayout.h"

#include <array>

#include "ui/designpictures.h"
#include "ui/uiresources.h"

namespace nimbo {
namespace {

using forms::Color;
using forms::ControlDesign;
using forms::ControlKind;

constexpr int kPitch = 1080;
constexpr int kDropDownCombo = 0;
constexpr int kDropDownList = 2;

constexpr ControlDesign colorList(int i) {
    return {.kind = ControlKind::ComboBox,
            .name = "BalCol",
            .index = i,
            .left = 600 + kPitch * i,
            .top = 2880,
            .width = 852,
            .height = 288,
            .tabIndex = i == 0 ? 4 : 5 + i,
            .style = kDropDownList};
}

constexpr ControlDesign button(std::string_view name, int left, int width, int tabIndex,
                               std::string_view caption) {
    return {.kind = ControlKind::CommandButton,
            .name = name,
            .left = left,
            .top = 3840,
            .width = width,
            .height = 372,
            .tabIndex = tabIndex,
            .caption = caption};
}

// Front to back. The previews are children of Picture1; the last item lies in front.
constexpr auto buildControls() {
    std::array<ControlDesign, 1 + (kNimboCount - 1) + 1 + kNimboCount + 1 + 4 + 1> controls{};
    size_t n = 0;
    controls[n++] = {.kind = ControlKind::ComboBox,
                     .name = "Channels",
                     .left = 5160,
                     .top = 3840,
                     .width = 1212,
                     .height = 288,
                     .tabIndex = 14,
                     .style = kDropDownCombo};
    for (int i = kNimboCount - 1; i >= 1; --i) controls[n++] = colorList(i);
    controls[n++] = {.kind = ControlKind::PictureBox,
                     .name = "Picture1",
                     .left = 120,
                     .top = 120,
                     .width = 10332,
                     .height = 2652,
                     .tabIndex = 5,
                     .backColor = Color::fromRgb(0, 0, 0)};
    for (int i = kNimboCount - 1; i >= 0; --i) {
        controls[n++] = {.kind = ControlKind::Image,
                         .name = "Nimbo",
                         .index = i,
                         .left = 120 + kPitch * i,
                         .top = 120,
                         .width = 1440,
                         .height = 2208,
                         .container = "Picture1",
                         .picture = kBrightEnvelopes[static_cast<size_t>(i)].view()};
    }
    controls[n++] = colorList(0);
    controls[n++] = button("Help", 600, 972, 3, "Help");
    controls[n++] = button("setConfig", 8520, 1932, 2, "OK");
    controls[n++] = button("Save", 1800, 972, 1, "Save");
    controls[n++] = button("Cancel", 7080, 1212, 0, "Cancel");
    controls[n++] = {.kind = ControlKind::Label,
                     .name = "Label1",
                     .left = 3360,
                     .top = 3840,
                     .width = 1572,
                     .height = 252,
                     .tabIndex = 15,
                     .caption = "Base Address : "};
    return controls;
}

constexpr auto kControls = buildControls();

constexpr forms::FormLayout kLayout = {
    .name = "NimboConf",
    .caption = "Konfiguration",
    .clientWidth = 11100,
    .clientHeight = 4776,
    .backColor = Color::systemButtonFace(),
    .icon = kWindowIcon,
    .controls = kControls,
};

}  // namespace

const forms::FormLayout& nimboConfLayout() {
    registerUiResources();
    return kLayout;
}

}  // namespace nimbo
