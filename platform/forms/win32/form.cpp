// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/win32/form.h"

#include <algorithm>
#include <string>

#include "platform/com/runtimeerror.h"
#include "platform/forms/controlbinding.h"
#include "platform/forms/formrules.h"
#include "platform/forms/win32/combobox.h"
#include "platform/forms/win32/commandbutton.h"
#include "platform/forms/win32/image.h"
#include "platform/forms/win32/label.h"
#include "platform/forms/win32/picturebox.h"
#include "platform/forms/win32/shape.h"
#include "platform/forms/win32/surface.h"
#include "platform/forms/win32/twips.h"

// Last: the system's macros would rewrite our own names (see system.h).
#include "platform/com/win32/system.h"

namespace forms {
namespace {

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

String text(std::string_view utf8) {
    return String::fromUtf8(utf8.data(), static_cast<int>(utf8.size()));
}

std::unique_ptr<Control> makeControl(const ControlDesign& design, Surface& container) {
    switch (design.kind) {
        case ControlKind::Image:
            return std::make_unique<Image>(design, container);
        case ControlKind::Shape:
            return std::make_unique<Shape>(design, container);
        case ControlKind::ComboBox:
            return std::make_unique<ComboBox>(design, container);
        case ControlKind::CommandButton:
            return std::make_unique<CommandButton>(design, container);
        case ControlKind::PictureBox:
            return std::make_unique<PictureBox>(design, container);
        case ControlKind::Label:
            return std::make_unique<Label>(design, container);
    }
    return nullptr;
}

// A window icon from a picture; null when the system cannot make one.
HICON iconOf(const Picture& picture) {
    HBITMAP mask = CreateBitmap(picture.width(), picture.height(), 1, 1, nullptr);
    ICONINFO info{TRUE, 0, 0, mask, picture.bitmap()};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    return icon;
}

}  // namespace

Form::Form(const FormLayout& layout)
    : m_layout(layout), m_surface(std::make_unique<Surface>(nullptr, Rect{})) {
    if (!m_surface->window())
        com::raise(com::kErrCannotCreateObject, std::string(layout.name) + ": no window");
    rules::checkContainers(m_layout);
    m_surface->onClose([this] { userClose(); });
}

Form::~Form() {
    destroyControls();
    m_surface.reset();
    if (m_icon) DestroyIcon(static_cast<HICON>(m_icon));
}

void Form::initialize() {
    if (m_initialized) return;
    Form_Initialize();
    m_initialized = true;
}

HWND Form::widget() const {
    return m_surface->window();
}

void Form::show() {
    ensureLoaded();
    ShowWindow(m_surface->window(), SW_SHOW);
    if (m_focusPending) {
        m_focusPending = false;
        focusFirstControl();
    }
}

void Form::hide() {
    if (m_loaded) ShowWindow(m_surface->window(), SW_HIDE);
}

bool Form::isVisible() const {
    return m_loaded && IsWindowVisible(m_surface->window());
}

void Form::setVisible(bool visible) {
    if (visible)
        show();
    else
        hide();
}

void Form::load() {
    if (m_loaded) return;
    buildControls();
    m_loaded = true;
    m_focusPending = true;
    try {
        Form_Load();
    } catch (...) {
        unload();
        throw;
    }
}

void Form::unload() {
    if (!m_loaded) return;
    ShowWindow(m_surface->window(), SW_HIDE);
    destroyControls();
    m_loaded = false;
}

com::ComPtr<Picture> Form::render() {
    ensureLoaded();
    RECT client{};
    GetClientRect(m_surface->window(), &client);
    const int width = client.right, height = client.bottom;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) throw std::bad_alloc();
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    renderSurface(*m_surface, dc, 0, 0);
    GdiFlush();
    // GDI leaves the alpha channel alone: the window is opaque.
    auto* pixels = static_cast<uint32_t*>(bits);
    for (size_t i = 0; i < size_t(width) * height; ++i) pixels[i] |= 0xFF000000u;
    com::ComPtr<Picture> picture = Picture::fromPixels(width, height, pixels);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bitmap);
    if (!picture) throw std::bad_alloc();
    return picture;
}

void Form::renderSurface(Surface& surface, void* context, int left, int top) const {
    HDC dc = static_cast<HDC>(context);
    SetViewportOrgEx(dc, left, top, nullptr);
    surface.paintAll(dc);
    // The windowed controls on this surface, from back to front.
    const auto& specs = m_layout.controls;
    for (size_t i = specs.size(); i-- > 0;) {
        const Control& control = *m_controls[i];
        if (!control.window() || !control.visible() || &surfaceOf(specs[i]) != &surface) continue;
        const Rect place = control.geometry();
        const int x = left + surface.border() + place.x, y = top + surface.border() + place.y;
        if (specs[i].kind == ControlKind::PictureBox) {
            renderSurface(static_cast<const PictureBox&>(control).canvas(), dc, x, y);
        } else {
            SetViewportOrgEx(dc, x, y, nullptr);
            SendMessageW(control.window(), WM_PRINT, reinterpret_cast<WPARAM>(dc),
                         PRF_CLIENT | PRF_NONCLIENT | PRF_ERASEBKGND | PRF_CHILDREN);
        }
    }
    SetViewportOrgEx(dc, 0, 0, nullptr);
}

void Form::onClick(ControlBinding& control, std::function<void(int)> handler) {
    control.onClick(std::move(handler));
}

void Form::onClick(ControlBinding& control, std::function<void()> handler) {
    if (!handler) {
        control.onClick(nullptr);
        return;
    }
    control.onClick([handler = std::move(handler)](int) { handler(); });
}

void Form::bind(ControlBinding& binding) {
    binding.m_positions = rules::bindingPositions(m_layout, binding.m_name, binding.m_kind, binding.m_array);
    const std::vector<int>& positions = binding.m_positions;
    binding.m_items.assign(positions.size(), nullptr);
    m_bindings.push_back(&binding);
    if (m_loaded) {
        for (size_t slot = 0; slot < positions.size(); ++slot) {
            if (positions[slot] < 0) continue;
            Control* control = m_controls[static_cast<size_t>(positions[slot])].get();
            binding.m_items[slot] = control;
            control->m_binding = &binding;
        }
    }
}

void Form::unbind(ControlBinding& binding) {
    std::erase(m_bindings, &binding);
    for (Control* control : binding.m_items)
        if (control) control->m_binding = nullptr;
}

void Form::applyWindowLook() {
    HWND window = m_surface->window();
    SetWindowTextW(window, text(m_layout.caption).c_str());
    RECT outer{0, 0, twipsToPixels(m_layout.clientWidth), twipsToPixels(m_layout.clientHeight)};
    AdjustWindowRectEx(&outer, kWindowStyle, FALSE, 0);
    SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_surface->setBackground(m_layout.backColor);
    if (!m_icon && !m_layout.icon.empty()) {
        try {
            if (const com::ComPtr<Picture> picture = loadPicture(text(m_layout.icon)))
                m_icon = iconOf(*picture);
        } catch (const com::RuntimeError&) {
            // A window without its icon is still the window.
        }
    }
    if (m_icon) {
        SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon));
        SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_icon));
    }
}

Surface& Form::surfaceOf(const ControlDesign& design) const {
    if (design.container.empty()) return *m_surface;
    const auto position = static_cast<size_t>(rules::containerPosition(m_layout, design.container));
    return static_cast<PictureBox&>(*m_controls[position]).canvas();
}

void Form::buildControls() {
    const auto& specs = m_layout.controls;
    // Design-time pictures are decoded once per form and shared by every load.
    if (!m_designPicturesRead) {
        std::vector<com::ComPtr<Picture>> pictures(specs.size());
        for (size_t i = 0; i < specs.size(); ++i) {
            if (specs[i].kind == ControlKind::Image && !specs[i].picture.empty())
                pictures[i] = loadPicture(text(specs[i].picture));
        }
        m_designPictures = std::move(pictures);
        m_designPicturesRead = true;
    }
    applyWindowLook();
    try {
        m_controls.resize(specs.size());
        // Containers first, each after its own container, so every control
        // finds the surface it lives on.
        const auto build = [&](size_t i, const auto& self) -> void {
            if (m_controls[i]) return;
            const ControlDesign& design = specs[i];
            if (!design.container.empty())
                self(static_cast<size_t>(rules::containerPosition(m_layout, design.container)), self);
            m_controls[i] = makeControl(design, surfaceOf(design));
        };
        for (size_t i = 0; i < specs.size(); ++i)
            if (specs[i].kind == ControlKind::PictureBox) build(i, build);
        for (size_t i = 0; i < specs.size(); ++i) build(i, build);
        // The list runs from front to back: paint and stack from its end.
        for (size_t i = specs.size(); i-- > 0;) {
            Control& control = *m_controls[i];
            if (HWND window = control.window())
                SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            else
                surfaceOf(specs[i]).addPainted(&control);
            if (specs[i].kind == ControlKind::Image && m_designPictures[i])
                static_cast<Image&>(control).setPicture(m_designPictures[i]);
        }
        // Keyboard focus follows TabIndex; controls without one take no part.
        std::vector<std::pair<int, HWND>> order;
        for (size_t i = 0; i < specs.size(); ++i) {
            HWND window = m_controls[i]->window();
            if (window && specs[i].tabIndex != kNoTabStop) order.emplace_back(specs[i].tabIndex, window);
        }
        std::stable_sort(order.begin(), order.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        m_tabOrder.clear();
        for (const auto& entry : order) m_tabOrder.push_back(entry.second);
        for (ControlBinding* binding : m_bindings) {
            for (size_t slot = 0; slot < binding->m_positions.size(); ++slot) {
                const int position = binding->m_positions[slot];
                if (position < 0) continue;
                Control* control = m_controls[static_cast<size_t>(position)].get();
                binding->m_items[slot] = control;
                control->m_binding = binding;
            }
        }
    } catch (...) {
        destroyControls();
        throw;
    }
}

void Form::destroyControls() {
    for (ControlBinding* binding : m_bindings)
        std::fill(binding->m_items.begin(), binding->m_items.end(), nullptr);
    m_tabOrder.clear();
    m_surface->clearPainted();
    m_controls.clear();
}

void Form::focusFirstControl() {
    for (HWND window : m_tabOrder) {
        if (IsWindowEnabled(window) && IsWindowVisible(window)) {
            SetFocus(window);
            return;
        }
    }
}

void Form::userClose() {
    if (!m_loaded) {
        ShowWindow(m_surface->window(), SW_HIDE);
        return;
    }
    bool cancel = false;
    try {
        cancel = Form_QueryUnload();
    } catch (...) {
        // An event procedure's error ends it; the window stays as it is.
        return;
    }
    if (!cancel) unload();
}

}  // namespace forms
