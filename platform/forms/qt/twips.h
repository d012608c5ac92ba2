// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_QT_TWIPS_H_
#define PLATFORM_FORMS_QT_TWIPS_H_

#include <QRect>

#include "platform/forms/twipscale.h"

namespace forms {

// A layout's rectangle in pixels (twipscale.h).
inline QRect twipsToPixels(int left, int top, int width, int height) {
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

}  // namespace forms

#endif  // PLATFORM_FORMS_QT_TWIPS_H_
