// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_LAYOUT_H_
#define PLATFORM_FORMS_LAYOUT_H_

#include <cstdint>
#include <span>
#include <string_view>

namespace forms {

// What a window looks like when it is loaded, as data: the toolkit builds the
// controls from it at every Load. Places and sizes are in twips.

enum class ControlKind { Image, Shape, ComboBox, CommandButton, PictureBox, Label };

// A colour as 0xRRGGBB, or the system button-face colour.
struct Color {
    uint32_t rgb = 0;
    bool buttonFace = false;

    static constexpr Color fromRgb(int red, int green, int blue) {
        return {uint32_t(red) << 16 | uint32_t(green) << 8 | uint32_t(blue), false};
    }
    static constexpr Color systemButtonFace() { return {0, true}; }
};

constexpr int kNoIndex = -1;
constexpr int kNoTabStop = -1;

// One control as it was designed: its kind, name and place, and the
// properties it starts with at every Load.
struct ControlDesign {
    ControlKind kind;
    std::string_view name;
    int index = kNoIndex;  // item of a control array, or kNoIndex for a single control
    int left = 0, top = 0, width = 0, height = 0;  // twips, relative to the container
    std::string_view container = {};               // name of the PictureBox that holds it; empty: the form
    int tabIndex = kNoTabStop;
    std::string_view caption = {};  // CommandButton and Label text
    std::string_view picture = {};  // design-time picture, a Qt resource path (":/ui/...")
    int style = 0;                  // ComboBox: 0 drop-down combo, 2 drop-down list
    Color fillColor = {};           // Shape: solid fill
    Color backColor = {};           // PictureBox background
    bool visible = true;
    bool sorted = false;  // ComboBox: AddItem inserts at the alphabetical place
};

struct FormLayout {
    std::string_view name;                  // the form's class name, e.g. "NimboForm"
    std::string_view caption;               // title bar text
    int clientWidth = 0, clientHeight = 0;  // twips
    Color backColor = {};
    std::string_view icon = {};  // Qt resource path
    // Every control, in stacking order from FRONT to BACK: the toolkit paints
    // the last entry first. Within a container, only its children count.
    std::span<const ControlDesign> controls;
};

}  // namespace forms

#endif  // PLATFORM_FORMS_LAYOUT_H_
