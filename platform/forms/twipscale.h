// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_TWIPSCALE_H_
#define PLATFORM_FORMS_TWIPSCALE_H_

namespace forms {

// Layouts are made in twips at the design density of 12 twips per pixel, so
// that they keep their proportions with the pictures, which are in pixels,
// and have the same size in pixels on every system. (With Qt, a high-density
// screen scales the whole window through the device pixel ratio instead.)
// Changing the density affects forms loaded afterwards.
constexpr int kDesignTwipsPerPixel = 12;

int twipsPerPixel();
void setTwipsPerPixel(int twips);  // values below 1 are taken as 1

// Rounds to the nearest pixel, halves away from zero.
int twipsToPixels(int twips);

}  // namespace forms

#endif  // PLATFORM_FORMS_TWIPSCALE_H_
