// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_WIN32_SHAPE_H_
#define PLATFORM_FORMS_WIN32_SHAPE_H_

#include <cstdint>

#include "platform/forms/win32/control.h"

namespace forms {

// A windowless rectangle filled solid with its fill colour and outlined by a
// one-pixel line in the default line colour, black, inside its bounds.
class Shape : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::Shape;

    Shape(const ControlDesign& design, Surface& container);

    // The fill colour as 0xRRGGBB.
    uint32_t fillColor() const { return m_fill; }
    void setFillColor(uint32_t rgb);

    void paint(HDC__* dc) const override;

private:
    uint32_t m_fill;
};

}  // namespace forms

#endif  // PLATFORM_FORMS_WIN32_SHAPE_H_
