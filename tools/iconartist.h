// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TOOLS_ICONARTIST_H_
#define TOOLS_ICONARTIST_H_

#include <QImage>

namespace pictures {

// Draws the windows' icon: three overlapping discs of coloured light, green
// at the top, red at the lower left and blue at the lower right, adding up
// where they overlap.
class IconArtist {
public:
    static constexpr int kWidth = 20;
    static constexpr int kHeight = 17;

    // Format_ARGB32 with alpha 255 on the discs and 0 around them.
    static QImage paint();
    // The same discs in a square of size x size pixels, for the desktop's
    // icon theme: smooth edges (alpha follows the discs' cover).
    static QImage paintSquare(int size);
};

}  // namespace pictures

#endif  // TOOLS_ICONARTIST_H_
