// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/iconartist.h"

#include <QPainter>
#include <algorithm>
#include <array>

namespace pictures {

namespace {

struct Disc {
    QPointF centre;
    QColor colour;
};

constexpr double kRadius = 5.6;

}  // namespace

namespace {

const std::array<Disc, 3> kDiscs = {{
    {QPointF(10.0, 5.8), QColor(40, 210, 60)},
    {QPointF(6.3, 11.2), QColor(235, 40, 40)},
    {QPointF(13.7, 11.2), QColor(40, 90, 245)},
}};

// Each disc on a layer of its own, in a width x height picture where the
// icon's 20 x 17 design is scaled by `scale` and moved by `offset`.
std::array<QImage, 3> paintLayers(int width, int height, double scale, QPointF offset) {
    std::array<QImage, 3> layers;
    for (size_t i = 0; i < kDiscs.size(); ++i) {
        layers[i] = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
        layers[i].fill(Qt::transparent);
        QPainter painter(&layers[i]);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(Qt::NoPen);
        painter.setBrush(kDiscs[i].colour);
        painter.drawEllipse(offset + kDiscs[i].centre * scale, kRadius * scale, kRadius * scale);
    }
    return layers;
}

// Light adds up where discs overlap: the sum of the layers, un-premultiplied
// so that the rim keeps the disc's full colour. `smooth` keeps the cover as
// alpha; otherwise a pixel is on (at least half covered) or off.
QImage addLight(const std::array<QImage, 3>& layers, bool smooth) {
    const int width = layers[0].width(), height = layers[0].height();
    QImage icon(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            int red = 0, green = 0, blue = 0, cover = 0;
            for (const QImage& layer : layers) {
                const QRgb pixel = layer.pixel(x, y);
                red += qRed(pixel);
                green += qGreen(pixel);
                blue += qBlue(pixel);
                cover = std::max(cover, qAlpha(pixel));
            }
            if (cover == 0 || (!smooth && cover < 128)) {
                icon.setPixel(x, y, qRgba(0, 0, 0, 0));
                continue;
            }
            const auto full = [cover](int channel) { return std::min(255, channel * 255 / cover); };
            icon.setPixel(x, y, qRgba(full(red), full(green), full(blue), smooth ? cover : 255));
        }
    }
    return icon;
}

}  // namespace

QImage IconArtist::paint() {
    return addLight(paintLayers(kWidth, kHeight, 1.0, QPointF()), false);
}

QImage IconArtist::paintSquare(int size) {
    // The design fills the square's width, centred, with a pixel of margin.
    const double scale = (size - 2.0) / kWidth;
    const QPointF offset(1.0, (size - kHeight * scale) / 2);
    return addLight(paintLayers(size, size, scale, offset), true);
}

}  // namespace pictures
