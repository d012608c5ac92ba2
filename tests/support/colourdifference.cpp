// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/colourdifference.h"

#include <array>
#include <cmath>
#include <limits>

namespace testsupport {
namespace {

struct Lab {
    double l, a, b;
};

double linear(int channel) {
    const double c = channel / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double f(double t) {
    return t > 216.0 / 24389.0 ? std::cbrt(t) : (24389.0 / 27.0 * t + 16.0) / 116.0;
}

Lab toLab(QRgb rgb) {
    const double r = linear(qRed(rgb)), g = linear(qGreen(rgb)), b = linear(qBlue(rgb));
    const double x = (0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047;
    const double y = 0.2126 * r + 0.7152 * g + 0.0722 * b;
    const double z = (0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883;
    return {116.0 * f(y) - 16.0, 500.0 * (f(x) - f(y)), 200.0 * (f(y) - f(z))};
}

}  // namespace

ColourDifference colourDifference(const QImage& actual, const QImage& expected, const QRect& area) {
    ColourDifference result;
    if (!actual.rect().contains(area) || !expected.rect().contains(area) || area.isEmpty()) {
        result.meanDeltaE = std::numeric_limits<double>::infinity();
        result.shareWithin10 = 0;
        return result;
    }
    const QImage a = actual.convertToFormat(QImage::Format_RGB32);
    const QImage e = expected.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    long within = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto* la = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const auto* le = reinterpret_cast<const QRgb*>(e.constScanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            double d = 0;
            if ((la[x] & 0xffffff) != (le[x] & 0xffffff)) {
                const Lab p = toLab(la[x]), q = toLab(le[x]);
                d = std::sqrt((p.l - q.l) * (p.l - q.l) + (p.a - q.a) * (p.a - q.a) +
                              (p.b - q.b) * (p.b - q.b));
            }
            sum += d;
            if (d <= 10) ++within;
            if (d > result.maxDeltaE) result.maxDeltaE = d;
        }
    }
    const double pixels = double(area.width()) * area.height();
    result.meanDeltaE = sum / pixels;
    result.shareWithin10 = within / pixels;
    return result;
}

}  // namespace testsupport
