// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/win32/surface.h"

#include <algorithm>

#include "platform/forms/win32/control.h"

// Last: the system's macros would rewrite our own names (see system.h).
#include "platform/com/win32/system.h"

namespace forms {

struct SurfaceProcedure {
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

namespace {

constexpr wchar_t kClassName[] = L"NimboFormsSurface";

HINSTANCE thisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&thisModule), &module);
    return module;
}

// The window class of every surface, registered once per module (a class
// belongs to the module that registers it, so a plug-in and its host each
// have their own).
const wchar_t* surfaceClass(WNDPROC procedure) {
    static const bool registered = [procedure] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = thisModule();
        windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
        windowClass.lpszClassName = kClassName;
        return RegisterClassExW(&windowClass) != 0;
    }();
    return registered ? kClassName : nullptr;
}

void frame(HDC dc, RECT r, COLORREF topLeft, COLORREF bottomRight) {
    HPEN light = CreatePen(PS_SOLID, 1, topLeft);
    HPEN dark = CreatePen(PS_SOLID, 1, bottomRight);
    HGDIOBJ old = SelectObject(dc, light);
    MoveToEx(dc, r.left, r.bottom - 1, nullptr);
    LineTo(dc, r.left, r.top);
    LineTo(dc, r.right, r.top);
    SelectObject(dc, dark);
    MoveToEx(dc, r.left, r.bottom - 1, nullptr);
    LineTo(dc, r.right - 1, r.bottom - 1);
    LineTo(dc, r.right - 1, r.top - 1);
    SelectObject(dc, old);
    DeleteObject(light);
    DeleteObject(dark);
}

}  // namespace

uint32_t colorRefOf(const Color& color) {
    if (color.buttonFace) return GetSysColor(COLOR_BTNFACE);
    return RGB(color.rgb >> 16 & 0xFF, color.rgb >> 8 & 0xFF, color.rgb & 0xFF);
}

Surface::Surface(HWND parent, const Rect& geometry) {
    const DWORD style = parent ? WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN
                               : WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    m_window =
        CreateWindowExW(0, surfaceClass(&SurfaceProcedure::procedure), L"", style, geometry.x, geometry.y,
                        geometry.width, geometry.height, parent, nullptr, thisModule(), nullptr);
    if (m_window) SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Surface::~Surface() {
    if (m_window) {
        SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
        DestroyWindow(m_window);
    }
}

void Surface::setBackground(const Color& color) {
    m_background = colorRefOf(color);
    InvalidateRect(m_window, nullptr, FALSE);
}

void Surface::setBorder(int width) {
    m_border = width;
    InvalidateRect(m_window, nullptr, FALSE);
}

void Surface::addPainted(Control* control) {
    m_painted.push_back(control);
}

void Surface::clearPainted() {
    m_painted.clear();
}

void Surface::invalidate(const Rect& rect) const {
    if (rect.isEmpty() || !IsWindowVisible(m_window)) return;
    const RECT area{rect.x + m_border, rect.y + m_border, rect.right() + m_border, rect.bottom() + m_border};
    InvalidateRect(m_window, &area, FALSE);
}

void Surface::paintAll(HDC dc) const {
    RECT client{};
    GetClientRect(m_window, &client);
    paint(dc, 0, 0, client.right, client.bottom);
}

void Surface::paint(HDC dc, int left, int top, int right, int bottom) const {
    RECT client{};
    GetClientRect(m_window, &client);
    HBRUSH background = CreateSolidBrush(m_background);
    const RECT exposed{left, top, right, bottom};
    FillRect(dc, &exposed, background);
    DeleteObject(background);
    if (m_border > 0) paintBorder(dc, client.right, client.bottom);

    const int saved = SaveDC(dc);
    IntersectClipRect(dc, std::max(left, m_border), std::max(top, m_border),
                      std::min(right, int(client.right) - m_border),
                      std::min(bottom, int(client.bottom) - m_border));
    POINT origin{};
    GetViewportOrgEx(dc, &origin);
    SetViewportOrgEx(dc, origin.x + m_border, origin.y + m_border, nullptr);
    const Rect dirty{left - m_border, top - m_border, right - left, bottom - top};
    for (const Control* control : m_painted)
        if (control->visible() && control->geometry().intersects(dirty)) control->paint(dc);
    RestoreDC(dc, saved);
}

void Surface::paintBorder(HDC dc, int width, int height) const {
    // A two-pixel sunken frame: shadow above and left, light below and right.
    const RECT outer{0, 0, width, height};
    frame(dc, outer, RGB(128, 128, 128), RGB(255, 255, 255));
    if (m_border > 1) frame(dc, RECT{1, 1, width - 1, height - 1}, RGB(64, 64, 64), RGB(212, 208, 200));
}

LRESULT CALLBACK SurfaceProcedure::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<Surface*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    switch (message) {
        case WM_ERASEBKGND:
            return 1;  // WM_PAINT covers every pixel
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(window, &ps);
            const RECT& r = ps.rcPaint;
            const int width = r.right - r.left, height = r.bottom - r.top;
            if (width > 0 && height > 0) {
                // Painted off screen first, so that no layer ever shows half drawn.
                HDC memory = CreateCompatibleDC(dc);
                HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
                HGDIOBJ old = SelectObject(memory, bitmap);
                SetViewportOrgEx(memory, -r.left, -r.top, nullptr);
                self->paint(memory, r.left, r.top, r.right, r.bottom);
                SetViewportOrgEx(memory, 0, 0, nullptr);
                BitBlt(dc, r.left, r.top, width, height, memory, 0, 0, SRCCOPY);
                SelectObject(memory, old);
                DeleteObject(bitmap);
                DeleteDC(memory);
            }
            EndPaint(window, &ps);
            return 0;
        }
        case WM_PRINTCLIENT:
            // PrintWindow and WM_PRINT: the client area onto the caller's context.
            self->paintAll(reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_COMMAND:
            if (lParam) {
                auto* control =
                    static_cast<Control*>(GetPropW(reinterpret_cast<HWND>(lParam), kControlProperty));
                try {
                    if (control) control->command(HIWORD(wParam));
                } catch (...) {
                    // An event procedure's error ends it; nothing unwinds through the system.
                }
                return 0;
            }
            break;
        case WM_CLOSE:
            if (self->m_close) {
                try {
                    self->m_close();
                } catch (...) {
                    // As above: the window stays as it is.
                }
            } else {
                ShowWindow(window, SW_HIDE);
            }
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace forms
