// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_QT_FORMWIDGET_H_
#define PLATFORM_FORMS_QT_FORMWIDGET_H_

#include "platform/forms/qt/canvas.h"

namespace forms {

class Form;

// The top-level window of a Form: its client area, and the place where the
// user's close request reaches the form.
class FormWidget : public Canvas {
public:
    // form: the owner of this window; it outlives it.
    explicit FormWidget(Form& form);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Form& m_form;
};

}  // namespace forms

#endif  // PLATFORM_FORMS_QT_FORMWIDGET_H_
