// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_QT_COLOR_H_
#define PLATFORM_FORMS_QT_COLOR_H_

#include <QColor>

#include "platform/forms/layout.h"

namespace forms {

// The colour a layout colour stands for on this system (the button face
// comes from the application's palette).
QColor qColorOf(const Color& color);

}  // namespace forms

#endif  // PLATFORM_FORMS_QT_COLOR_H_
