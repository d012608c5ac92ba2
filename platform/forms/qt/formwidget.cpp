// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/qt/formwidget.h"

#include <QCloseEvent>

#include "platform/forms/form.h"

namespace forms {

FormWidget::FormWidget(Form& form) : Canvas(nullptr), m_form(form) {}

void FormWidget::closeEvent(QCloseEvent* event) {
    m_form.userClose(event);
}

}  // namespace forms
