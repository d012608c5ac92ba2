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

QImage IconArtist::paint() {
    const std::array<Disc, 3> discs = {{
        {QPointF(10.0, 5.8), QColor(40, 210, 60)},
        {QPointF(6.3, 11.2), QColor(235, 40, 40)},
        {QPointF(13.7, 11.2), QColor(40, 90, 245)},
    }};
    // Each disc on a layer of its own; light adds up where discs overlap.
    std::array<QImage, 3> layers;
    for (size_t i = 0; i < discs.size(); ++i) {
        layers[i] = QImage(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
        layers[i].fill(Qt::transparent);
        QPainter painter(&layers[i]);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(Qt::NoPen);
        painter.setBrush(discs[i].colour);
        painter.drawEllipse(discs[i].centre, kRadius, kRadius);
    }

    QImage icon(kWidth, kHeight, QImage::Format_ARGB32);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            int red = 0, green = 0, blue = 0, cover = 0;
            for (const QImage& layer : layers) {
                const QRgb pixel = layer.pixel(x, y);
                red += qRed(pixel);
                green += qGreen(pixel);
                blue += qBlue(pixel);
                cover = std::max(cover, qAlpha(pixel));
            }
            if (cover < 128) {
                icon.setPixel(x, y, qRgba(0, 0, 0, 0));
                continue;
            }
            // Un-premultiply, so that the rim keeps the disc's full colour.
            const auto full = [cover](int channel) { return std::min(255, channel * 255 / cover); };
            icon.setPixel(x, y, qRgba(full(red), full(green), full(blue), 255));
        }
    }
    return icon;
}

}  // namespace pictures
