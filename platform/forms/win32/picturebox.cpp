// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/win32/picturebox.h"

#include <utility>

namespace forms {
namespace {

std::unique_ptr<Surface> makeSurface(const ControlDesign& design, Surface& container) {
    auto surface = std::make_unique<Surface>(
        container.window(), twipsToPixels(design.left, design.top, design.width, design.height));
    surface->setBackground(design.backColor);
    surface->setBorder(PictureBox::kBorder);
    return surface;
}

}  // namespace

PictureBox::PictureBox(const ControlDesign& design, Surface& container)
    : PictureBox(design, container, makeSurface(design, container)) {}

PictureBox::PictureBox(const ControlDesign& design, Surface& container, std::unique_ptr<Surface> surface)
    : WindowedControl(design, container, surface->window()), m_surface(std::move(surface)) {}

PictureBox::~PictureBox() {
    // The children painted here are destroyed with the form's other controls.
    m_surface->clearPainted();
}

}  // namespace forms
