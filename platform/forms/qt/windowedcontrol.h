// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_QT_WINDOWEDCONTROL_H_
#define PLATFORM_FORMS_QT_WINDOWEDCONTROL_H_

#include "platform/forms/control.h"

namespace forms {

// A control with a widget of its own, placed on its container and stacked
// above the container's windowless controls.
class WindowedControl : public Control {
public:
    ~WindowedControl() override;

    void setVisible(bool visible) override;
    QWidget* widget() const override { return m_widget; }

protected:
    // widget: made with the container as its Qt parent, which owns it.
    WindowedControl(const ControlDesign& design, Canvas& container, QWidget* widget);

private:
    QWidget* m_widget;
};

}  // namespace forms

#endif  // PLATFORM_FORMS_QT_WINDOWEDCONTROL_H_
