// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/qt/color.h"

#include <QApplication>
#include <QPalette>

namespace forms {

QColor qColorOf(const Color& color) {
    if (color.buttonFace) return QApplication::palette().color(QPalette::Button);
    return QColor::fromRgb(color.rgb & 0xFFFFFFu);
}

}  // namespace forms
