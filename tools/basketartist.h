// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TOOLS_BASKETARTIST_H_
#define TOOLS_BASKETARTIST_H_

#include <QImage>
#include <QRect>

namespace pictures {

// Draws the basket under every envelope: a red-brown wicker basket with its
// ropes, and the burner's flame above it, on black. The flame stays inside
// the square that the display window's flame cover hides.
class BasketArtist {
public:
    static constexpr int kWidth = 40;
    static constexpr int kHeight = 38;

    // The pixels a flame cover hides for every nimbo: it lies at x 10..24 for
    // most nimbos and at x 12..26 for the first, y 0..14 for all.
    static QRect flameArea() { return QRect(12, 0, 13, 15); }

    // The picture, Format_RGB32.
    static QImage paint();
};

}  // namespace pictures

#endif  // TOOLS_BASKETARTIST_H_
