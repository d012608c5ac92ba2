// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_QT_SHAPE_H_
#define PLATFORM_FORMS_QT_SHAPE_H_

#include <QColor>

#include "platform/forms/control.h"

namespace forms {

// A windowless rectangle filled solid with its fill colour and outlined by a
// one-pixel line in the default line colour, black, inside its bounds.
class Shape : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::Shape;

    Shape(const ControlDesign& design, Canvas& container);

    QColor fillColor() const { return m_fill; }
    void setFillColor(const QColor& color);

    void paint(QPainter& painter) const override;

private:
    QColor m_fill;
};

}  // namespace forms

#endif  // PLATFORM_FORMS_QT_SHAPE_H_
