// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/picturebox.h"

#include "platform/forms/qt/canvas.h"
#include "platform/forms/qt/color.h"

namespace forms {
namespace {

Canvas* makeCanvas(const ControlDesign& design, Canvas& container) {
    auto* canvas = new Canvas(&container);
    canvas->setBackground(qColorOf(design.backColor));
    canvas->setBorder(PictureBox::kBorder);
    canvas->setFocusPolicy(Qt::TabFocus);
    return canvas;
}

}  // namespace

PictureBox::PictureBox(const ControlDesign& design, Canvas& container)
    : WindowedControl(design, container, makeCanvas(design, container)),
      m_canvas(static_cast<Canvas*>(widget())) {}

PictureBox::~PictureBox() {
    // The children painted here are destroyed with the form's other controls.
    m_canvas->clearPainted();
}

}  // namespace forms
