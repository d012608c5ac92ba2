// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_WIN32_TWIPS_H_
#define PLATFORM_FORMS_WIN32_TWIPS_H_

#include "platform/forms/twipscale.h"

namespace forms {

// A rectangle in pixels: left, top, width, height.
struct Rect {
    int x = 0, y = 0, width = 0, height = 0;

    bool isEmpty() const { return width <= 0 || height <= 0; }
    int right() const { return x + width; }
    int bottom() const { return y + height; }
    bool intersects(const Rect& other) const {
        return !isEmpty() && !other.isEmpty() && x < other.right() && other.x < right() &&
               y < other.bottom() && other.y < bottom();
    }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// A layout's rectangle in pixels (twipscale.h).
inline Rect twipsToPixels(int left, int top, int width, int height) {
    return {twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height)};
}

}  // namespace forms

#endif  // PLATFORM_FORMS_WIN32_TWIPS_H_
