// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/win32/image.h"

// Last: the system's macros would rewrite our own names (see system.h).
#include "platform/com/win32/system.h"

namespace forms {

Image::Image(const ControlDesign& design, Surface& container) : Control(design, container) {}

void Image::setPicture(const com::ComPtr<Picture>& picture) {
    if (picture == m_picture) return;
    invalidate();
    m_picture = picture;
    if (m_picture) setGeometry({geometry().x, geometry().y, m_picture->width(), m_picture->height()});
    invalidate();
}

void Image::paint(HDC dc) const {
    if (!m_picture) return;
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, m_picture->bitmap());
    // The pixels are premultiplied: the source over what lies behind.
    const BLENDFUNCTION over{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    const Rect place = geometry();
    AlphaBlend(dc, place.x, place.y, place.width, place.height, source, 0, 0, place.width, place.height,
               over);
    SelectObject(source, old);
    DeleteDC(source);
}

}  // namespace forms
