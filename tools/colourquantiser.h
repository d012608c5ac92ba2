// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TOOLS_COLOURQUANTISER_H_
#define TOOLS_COLOURQUANTISER_H_

#include <QImage>
#include <QRgb>
#include <vector>

namespace pictures {

// Reduces the opaque colours of a picture to a small palette by median cut,
// and maps colours to their nearest palette entry. Every step has a fixed
// order and fixed tie-breaks, so the same picture always gives the same
// palette and the same indices.
class ColourQuantiser {
public:
    // The palette for the pixels of `image` whose alpha is at least 128: the
    // colours themselves when there are at most `maxColours` of them.
    static std::vector<QRgb> paletteFor(const QImage& image, int maxColours);

    // The index of the entry of `palette` nearest to `colour` (the lowest
    // index among equals). `palette` must not be empty.
    static int nearest(const std::vector<QRgb>& palette, QRgb colour);
};

}  // namespace pictures

#endif  // TOOLS_COLOURQUANTISER_H_
