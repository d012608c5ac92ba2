// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/win32/shape.h"

#include "platform/forms/win32/surface.h"

// Last: the system's macros would rewrite our own names (see system.h).
#include "platform/com/win32/system.h"

namespace forms {

Shape::Shape(const ControlDesign& design, Surface& container)
    : Control(design, container), m_fill(design.fillColor.rgb & 0xFFFFFFu) {}

void Shape::setFillColor(uint32_t rgb) {
    if (rgb == m_fill) return;
    m_fill = rgb;
    invalidate();
}

void Shape::paint(HDC dc) const {
    const Rect area = geometry();
    if (area.isEmpty()) return;
    const RECT r{area.x, area.y, area.right(), area.bottom()};
    HBRUSH fill = CreateSolidBrush(RGB(m_fill >> 16 & 0xFF, m_fill >> 8 & 0xFF, m_fill & 0xFF));
    FillRect(dc, &r, fill);
    DeleteObject(fill);
    FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

}  // namespace forms
