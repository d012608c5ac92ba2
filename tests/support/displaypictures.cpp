// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/displaypictures.h"

namespace testsupport {
namespace {

constexpr std::array kWords = {"blau", "gelb", "gruen", "hellblau", "lila", "orange", "rosa", "rot", "weiss"};
constexpr std::array kCodes = {"000", "001", "020", "040", "060", "080", "100"};
constexpr int kEnvelopeRows = 190;

}  // namespace

QImage expectedEnvelopes(const QString& imagesFolder, const std::array<int, 9>& levels) {
    QImage expected(867, kEnvelopeRows, QImage::Format_ARGB32);
    expected.fill(Qt::black);
    for (int i = 0; i < 9; ++i) {
        const QImage p =
            QImage(imagesFolder + '/' + kWords[size_t(i)] + kCodes[size_t(levels[size_t(i)])] + ".gif")
                .convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < p.height() && 10 + y < kEnvelopeRows; ++y)
            for (int x = 0; x < p.width(); ++x)
                if (qAlpha(p.pixel(x, y)) == 255) expected.setPixel(10 + 90 * i + x, 10 + y, p.pixel(x, y));
    }
    return expected;
}

int envelopeDifferences(const QImage& window, const QString& imagesFolder, const std::array<int, 9>& levels) {
    if (window.size() != QSize(867, 283)) return -1;
    const QImage actual = window.convertToFormat(QImage::Format_ARGB32);
    const QImage expected = expectedEnvelopes(imagesFolder, levels);
    int differing = 0;
    for (int y = 0; y < kEnvelopeRows; ++y)
        for (int x = 0; x < 867; ++x)
            if ((actual.pixel(x, y) & 0xffffff) != (expected.pixel(x, y) & 0xffffff)) ++differing;
    return differing;
}

bool flameShows(const QImage& window, int i) {
    const int left = i == 0 ? 52 : 50 + 90 * i;
    for (int y = 190; y < 205; ++y)
        for (int x = left; x < left + 15; ++x)
            if (qGray(window.pixel(x, y)) > 100) return true;
    return false;
}

}  // namespace testsupport
