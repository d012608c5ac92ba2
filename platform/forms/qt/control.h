// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_QT_CONTROL_H_
#define PLATFORM_FORMS_QT_CONTROL_H_

#include <QRect>

#include "platform/forms/layout.h"

class QPainter;
class QWidget;

namespace forms {

class Canvas;
class ControlBinding;

// One control of a loaded form, built from its ControlDesign at Load and
// destroyed at Unload. Windowless controls (Image, Shape, Label) are painted
// by their container; windowed ones (ComboBox, CommandButton, PictureBox)
// own a widget whose Qt parent is the container.
class Control {
public:
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control();

    ControlKind kind() const { return m_spec.kind; }
    // The design of the control; part of the form's layout, which outlives it.
    const ControlDesign& design() const { return m_spec; }
    int index() const { return m_spec.index; }

    bool visible() const { return m_visible; }
    virtual void setVisible(bool visible);

    // Place and size in pixels, relative to the inner top-left corner of the container.
    QRect geometry() const { return m_geometry; }

    // Paints a windowless control in its container's coordinates.
    virtual void paint(QPainter& painter) const;
    // The widget of a windowed control, owned by its container; null for a windowless one.
    virtual QWidget* widget() const { return nullptr; }

protected:
    // container: the canvas that paints or holds the control; it outlives the control.
    Control(const ControlDesign& design, Canvas& container);

    Canvas& container() const { return m_container; }
    // Changes the place or size, repainting the old and the new area.
    void setGeometry(const QRect& geometry);
    // Schedules a repaint of the control's area (windowless controls).
    void invalidate() const;
    // Runs the Click event procedure connected to this control, if any.
    void raiseClick();

private:
    friend class Form;

    const ControlDesign& m_spec;
    Canvas& m_container;
    QRect m_geometry;
    bool m_visible;
    ControlBinding* m_binding = nullptr;  // set by the form at load; not owned
};

}  // namespace forms

#endif  // PLATFORM_FORMS_QT_CONTROL_H_
