// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_WIN32_TWIPS_H_
#define PLATFORM_FORMS_WIN32_TWIPS_H_

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

// Layouts are made in twips at the design density of 12 twips per pixel, as
// on every system, so that a window has the same size in pixels everywhere.
constexpr int kDesignTwipsPerPixel = 12;
int twipsPerPixel();
void setTwipsPerPixel(int twips);  // values below 1 are taken as 1
// Rounds to the nearest pixel, halves away from zero.
int twipsToPixels(int twips);
Rect twipsToPixels(int left, int top, int width, int height);

}  // namespace forms

#endif  // PLATFORM_FORMS_WIN32_TWIPS_H_
