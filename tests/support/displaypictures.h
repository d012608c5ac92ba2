// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESTS_SUPPORT_DISPLAYPICTURES_H_
#define TESTS_SUPPORT_DISPLAYPICTURES_H_

#include <QImage>
#include <QString>
#include <array>

namespace testsupport {

// What the display window should show, built from the picture files in
// imagesFolder, for tests that see the window only as an image (a snapshot
// written by the host, a rendering of a window taken through COM).

// The envelopes above the baskets (rows 0..189) as the window composes them:
// on black, nimbo 0 at the back, nimbo i with the picture of colour i at
// glow level levels[i] at x = 10 + 90 i, y = 10.
QImage expectedEnvelopes(const QString& imagesFolder, const std::array<int, 9>& levels);

// The number of pixels in rows 0..189 of window (867 x 283) that differ from
// expectedEnvelopes; -1 when window has another size.
int envelopeDifferences(const QImage& window, const QString& imagesFolder, const std::array<int, 9>& levels);

// Whether nimbo i's burner flame shows: bright pixels in its flame-cover square.
bool flameShows(const QImage& window, int i);

}  // namespace testsupport

#endif  // TESTS_SUPPORT_DISPLAYPICTURES_H_
