// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/twipscale.h"

#include <algorithm>
#include <cstdlib>

namespace forms {
namespace {

int g_twipsPerPixel = kDesignTwipsPerPixel;

}  // namespace

int twipsPerPixel() {
    return g_twipsPerPixel;
}

void setTwipsPerPixel(int twips) {
    g_twipsPerPixel = std::max(twips, 1);
}

int twipsToPixels(int twips) {
    const int half = g_twipsPerPixel / 2;
    const int pixels = (std::abs(twips) + half) / g_twipsPerPixel;
    return twips < 0 ? -pixels : pixels;
}

}  // namespace forms
