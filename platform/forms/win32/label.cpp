// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/win32/label.h"

// Last: the system's macros would rewrite our own names (see system.h).
#include "platform/com/win32/system.h"

namespace forms {

Label::Label(const ControlDesign& design, Surface& container)
    : Control(design, container),
      m_caption(String::fromUtf8(design.caption.data(), static_cast<int>(design.caption.size()))) {}

void Label::setCaption(const String& caption) {
    if (caption == m_caption) return;
    m_caption = caption;
    invalidate();
}

void Label::paint(HDC dc) const {
    const Rect area = geometry();
    RECT r{area.x, area.y, area.right(), area.bottom()};
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    DrawTextW(dc, m_caption.c_str(), static_cast<int>(m_caption.wide().size()), &r,
              DT_LEFT | DT_TOP | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
}

}  // namespace forms
