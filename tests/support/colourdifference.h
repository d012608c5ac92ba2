// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESTS_SUPPORT_COLOURDIFFERENCE_H_
#define TESTS_SUPPORT_COLOURDIFFERENCE_H_

#include <QImage>
#include <QRect>

namespace testsupport {

// How far one picture's colours lie from another's over an area, in CIE76
// ΔE (Euclidean distance in CIE L*a*b*, from sRGB under D65): the mean, the
// share of pixels within ΔE 10, and the largest difference.
struct ColourDifference {
    double meanDeltaE = 0;
    double shareWithin10 = 1;
    double maxDeltaE = 0;
};

// Both pictures must cover area; a size mismatch gives a mean of infinity.
ColourDifference colourDifference(const QImage& actual, const QImage& expected, const QRect& area);

}  // namespace testsupport

#endif  // TESTS_SUPPORT_COLOURDIFFERENCE_H_
