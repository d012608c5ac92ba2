// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_WIN32_CONTROL_H_
#define PLATFORM_FORMS_WIN32_CONTROL_H_

#include "platform/forms/layout.h"
#include "platform/forms/win32/twips.h"

struct HDC__;
struct HWND__;

namespace forms {

class ControlBinding;
class Surface;

// One control of a loaded form, built from its ControlDesign at Load and
// destroyed at Unload. Windowless controls (Image, Shape, Label) are painted
// by the surface they lie on; windowed ones (ComboBox, CommandButton,
// PictureBox) are child windows of it.
class Control {
public:
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control();

    ControlKind kind() const { return m_spec.kind; }
    const ControlDesign& design() const { return m_spec; }
    int index() const { return m_spec.index; }

    bool visible() const { return m_visible; }
    virtual void setVisible(bool visible);

    // Place and size in pixels, relative to the inner top-left corner of the container.
    Rect geometry() const { return m_geometry; }

    // Paints a windowless control on dc, in its container's inner coordinates.
    virtual void paint(HDC__* dc) const;
    // The child window of a windowed control; null for a windowless one.
    virtual HWND__* window() const { return nullptr; }
    // A notification (WM_COMMAND code) from the control's own window.
    virtual void command(int code);

protected:
    // container: the surface that paints or holds the control; it outlives it.
    Control(const ControlDesign& design, Surface& container);

    Surface& container() const { return m_container; }
    // Changes the place or size, repainting the old and the new area.
    void setGeometry(const Rect& geometry);
    // Schedules a repaint of the control's area.
    void invalidate() const;
    // Runs the Click event procedure connected to this control, if any.
    void raiseClick();

private:
    friend class Form;

    const ControlDesign& m_spec;
    Surface& m_container;
    Rect m_geometry;
    bool m_visible;
    ControlBinding* m_binding = nullptr;  // set by the form at load; not owned
};

// A control with a child window of its own, placed on its container.
class WindowedControl : public Control {
public:
    ~WindowedControl() override;
    void setVisible(bool visible) override;
    HWND__* window() const override { return m_window; }

protected:
    // window: a child of the container's window; destroyed with the control.
    WindowedControl(const ControlDesign& design, Surface& container, HWND__* window);

private:
    HWND__* m_window;
};

}  // namespace forms

#endif  // PLATFORM_FORMS_WIN32_CONTROL_H_
