// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_WIN32_SURFACE_H_
#define PLATFORM_FORMS_WIN32_SURFACE_H_

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/forms/layout.h"
#include "platform/forms/win32/twips.h"

struct HDC__;
struct HWND__;

namespace forms {

class Control;

// A window that paints a background, an optional sunken border and the
// windowless controls placed on it (Image, Shape, Label): the client area of
// a form, or the inside of a PictureBox. Control places are relative to the
// inner top-left corner, inside the border. It also passes its child
// controls' notifications on to them.
//
// Repaints are coalesced by the system: invalidate() adds to the window's
// update region, and the next WM_PAINT paints it all at once, double
// buffered. A hidden surface ignores invalidate(). GUI thread only.
class Surface {
public:
    // A top-level window (parent null) or a child window of parent; hidden.
    Surface(HWND__* parent, const Rect& geometry);
    ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    HWND__* window() const { return m_window; }
    void setBackground(const Color& color);
    // Width in pixels of the sunken frame drawn at the edge; 0 for none.
    void setBorder(int width);
    int border() const { return m_border; }

    // The windowless controls to paint, from back to front; not owned.
    void addPainted(Control* control);
    void clearPainted();

    // Schedules a repaint of rect (inner coordinates), or does nothing when hidden.
    void invalidate(const Rect& rect) const;

    // Paints the whole surface with its windowless controls onto dc, whose
    // origin is the surface's top-left corner.
    void paintAll(HDC__* dc) const;

    // What a top-level surface does when the user asks to close it; without
    // one the window only hides.
    void onClose(std::function<void()> handler) { m_close = std::move(handler); }

private:
    // The window procedure (surface.cpp), which paints and passes notifications on.
    friend struct SurfaceProcedure;

    void paint(HDC__* dc, int left, int top, int right, int bottom) const;
    void paintBorder(HDC__* dc, int width, int height) const;

    HWND__* m_window = nullptr;
    std::vector<Control*> m_painted;
    uint32_t m_background = 0;  // COLORREF
    int m_border = 0;
    std::function<void()> m_close;
};

// The window property that leads from a windowed control's window to its Control.
inline constexpr wchar_t kControlProperty[] = L"NimboFormsControl";

// The system colour a layout colour stands for, as a COLORREF.
uint32_t colorRefOf(const Color& color);

}  // namespace forms

#endif  // PLATFORM_FORMS_WIN32_SURFACE_H_
