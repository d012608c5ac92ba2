// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/win32/control.h"

#include "platform/forms/controlbinding.h"
#include "platform/forms/win32/surface.h"

// Last: the system's macros would rewrite our own names (see system.h).
#include "platform/com/win32/system.h"

namespace forms {

Control::Control(const ControlDesign& design, Surface& container)
    : m_spec(design),
      m_container(container),
      m_geometry(twipsToPixels(design.left, design.top, design.width, design.height)),
      m_visible(design.visible) {}

Control::~Control() = default;

void Control::setVisible(bool visible) {
    if (visible == m_visible) return;
    m_visible = visible;
    invalidate();
}

void Control::paint(HDC) const {}

void Control::command(int) {}

void Control::setGeometry(const Rect& geometry) {
    if (geometry == m_geometry) return;
    invalidate();
    m_geometry = geometry;
    invalidate();
}

void Control::invalidate() const {
    m_container.invalidate(m_geometry);
}

void Control::raiseClick() {
    if (m_binding) m_binding->raiseClick(m_spec.index);
}

WindowedControl::WindowedControl(const ControlDesign& design, Surface& container, HWND window)
    : Control(design, container), m_window(window) {
    SetPropW(m_window, kControlProperty, static_cast<Control*>(this));
    const Rect place = geometry();
    const int border = container.border();
    SetWindowPos(m_window, nullptr, place.x + border, place.y + border, place.width, place.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(m_window, design.visible ? SW_SHOWNA : SW_HIDE);
}

WindowedControl::~WindowedControl() {
    // The window may be the sender of the event procedure that unloads the
    // form: cut it off now, and let the system destroy it once its message is done.
    RemovePropW(m_window, kControlProperty);
    ShowWindow(m_window, SW_HIDE);
    PostMessageW(m_window, WM_CLOSE, 0, 0);
}

void WindowedControl::setVisible(bool visible) {
    Control::setVisible(visible);
    ShowWindow(m_window, visible ? SW_SHOWNA : SW_HIDE);
}

}  // namespace forms
