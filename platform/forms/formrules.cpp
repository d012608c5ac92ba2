// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/formrules.h"

#include <string>

#include "platform/com/runtimeerror.h"

namespace forms::rules {
namespace {

constexpr int kErrInvalidArgument = 5;

}  // namespace

void raiseLayoutError(const FormLayout& layout, std::string_view name, const char* problem) {
    com::raise(kErrInvalidArgument, std::string(layout.name) + "." + std::string(name) + ": " + problem);
}

int containerPosition(const FormLayout& layout, std::string_view name) {
    for (size_t i = 0; i < layout.controls.size(); ++i) {
        const ControlDesign& design = layout.controls[i];
        if (design.kind == ControlKind::PictureBox && design.name == name) return static_cast<int>(i);
    }
    return -1;
}

void checkContainers(const FormLayout& layout) {
    const auto& controls = layout.controls;
    for (const ControlDesign& design : controls) {
        std::string_view container = design.container;
        for (size_t depth = 0; !container.empty(); ++depth) {
            const int position = containerPosition(layout, container);
            if (position < 0) raiseLayoutError(layout, design.name, "its container is not a PictureBox");
            if (depth > controls.size()) raiseLayoutError(layout, design.name, "its containers form a loop");
            container = controls[static_cast<size_t>(position)].container;
        }
    }
}

std::vector<int> bindingPositions(const FormLayout& layout, std::string_view name, ControlKind kind,
                                  bool array) {
    std::vector<int> positions;
    bool found = false;
    for (size_t i = 0; i < layout.controls.size(); ++i) {
        const ControlDesign& design = layout.controls[i];
        if (design.name != name) continue;
        found = true;
        if (design.kind != kind) raiseLayoutError(layout, design.name, "is a control of another kind");
        if ((design.index != kNoIndex) != array)
            raiseLayoutError(layout, design.name, array ? "is not a control array" : "is a control array");
        if (array && design.index < 0) raiseLayoutError(layout, design.name, "has a negative index");
        const size_t slot = array ? static_cast<size_t>(design.index) : 0;
        if (slot >= positions.size()) positions.resize(slot + 1, -1);
        if (positions[slot] >= 0) raiseLayoutError(layout, design.name, "appears twice with the same index");
        positions[slot] = static_cast<int>(i);
    }
    if (!found) raiseLayoutError(layout, name, "no such control");
    return positions;
}

}  // namespace forms::rules
