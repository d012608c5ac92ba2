// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/basketartist.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <cstdint>

namespace pictures {

namespace {

// Drawn this many times larger, then scaled down, for soft photographic edges.
constexpr int kScale = 4;

// A fixed linear congruential sequence for the film grain.
class Grain {
public:
    int next(int spread) {
        m_state = m_state * 1103515245u + 12345u;
        return int((m_state >> 16) % uint32_t(2 * spread + 1)) - spread;
    }

private:
    uint32_t m_state = 20261207u;
};

void paintFlame(QPainter& painter) {
    // A faint orange halo, kept inside the covered square.
    QRadialGradient halo(QPointF(18.5, 8.0), 6.0);
    halo.setColorAt(0.0, QColor(255, 150, 40, 110));
    halo.setColorAt(1.0, QColor(255, 120, 20, 0));
    painter.fillRect(QRectF(12.0, 0.0, 13.0, 15.0), halo);

    QPainterPath outer;
    outer.moveTo(18.5, 0.8);
    outer.cubicTo(19.6, 4.5, 22.6, 7.5, 22.0, 10.4);
    outer.cubicTo(21.6, 12.4, 15.4, 12.4, 15.0, 10.4);
    outer.cubicTo(14.4, 7.5, 17.4, 4.5, 18.5, 0.8);
    QLinearGradient outerFill(0.0, 1.0, 0.0, 12.0);
    outerFill.setColorAt(0.0, QColor(255, 170, 50));
    outerFill.setColorAt(0.5, QColor(255, 214, 90));
    outerFill.setColorAt(1.0, QColor(255, 236, 150));
    painter.fillPath(outer, outerFill);

    QPainterPath core;
    core.moveTo(18.5, 4.2);
    core.cubicTo(19.2, 6.5, 20.6, 8.4, 20.3, 10.2);
    core.cubicTo(20.0, 11.5, 17.0, 11.5, 16.7, 10.2);
    core.cubicTo(16.4, 8.4, 17.8, 6.5, 18.5, 4.2);
    painter.fillPath(core, QColor(255, 252, 226));
}

void paintBasket(QPainter& painter) {
    // Ropes from the rim up to the envelope's mouth.
    painter.setPen(QPen(QColor(96, 74, 52), 0.9));
    painter.drawLine(QPointF(8.5, 17.0), QPointF(11.0, 0.0));
    painter.drawLine(QPointF(31.5, 17.0), QPointF(29.0, 0.0));
    painter.setPen(QPen(QColor(70, 56, 42), 0.7));
    painter.drawLine(QPointF(14.0, 16.5), QPointF(13.0, 0.0));
    painter.drawLine(QPointF(26.0, 16.5), QPointF(27.0, 0.0));

    // The burner's frame and its can under the flame.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(74, 74, 80));
    painter.drawRect(QRectF(12.5, 13.6, 13.0, 1.4));
    QLinearGradient can(15.0, 0.0, 22.0, 0.0);
    can.setColorAt(0.0, QColor(60, 60, 66));
    can.setColorAt(0.45, QColor(128, 122, 116));
    can.setColorAt(1.0, QColor(52, 52, 58));
    painter.setBrush(can);
    painter.drawRoundedRect(QRectF(15.2, 11.4, 6.6, 3.0), 0.8, 0.8);

    // The wicker body, slightly narrower at the floor.
    QPainterPath body;
    body.moveTo(8.0, 18.0);
    body.lineTo(32.0, 18.0);
    body.lineTo(30.6, 36.0);
    body.quadTo(30.4, 37.6, 28.6, 37.6);
    body.lineTo(11.4, 37.6);
    body.quadTo(9.6, 37.6, 9.4, 36.0);
    body.closeSubpath();
    painter.fillPath(body, QColor(62, 28, 14));
    painter.save();
    painter.setClipPath(body);
    for (int row = 0; row < 10; ++row) {
        const double top = 18.4 + row * 1.95;
        const double offset = (row % 2) ? 1.6 : 0.0;
        for (double x = 6.0 + offset; x < 34.0; x += 3.2) {
            QLinearGradient strand(0.0, top, 0.0, top + 1.6);
            strand.setColorAt(0.0, QColor(172, 92, 46));
            strand.setColorAt(0.5, QColor(140, 68, 32));
            strand.setColorAt(1.0, QColor(98, 44, 20));
            painter.setBrush(strand);
            painter.drawRoundedRect(QRectF(x, top, 2.8, 1.6), 0.7, 0.7);
        }
    }
    // Upright canes between the strands.
    painter.setPen(QPen(QColor(80, 38, 18), 0.5));
    for (double x = 10.0; x < 31.0; x += 3.2) painter.drawLine(QPointF(x, 18.0), QPointF(x + 0.2, 37.6));
    // The round of the basket and the light of the flame on its top.
    QLinearGradient round(8.0, 0.0, 32.0, 0.0);
    round.setColorAt(0.0, QColor(0, 0, 0, 150));
    round.setColorAt(0.3, QColor(0, 0, 0, 20));
    round.setColorAt(0.7, QColor(0, 0, 0, 20));
    round.setColorAt(1.0, QColor(0, 0, 0, 160));
    painter.fillRect(QRectF(6.0, 17.0, 28.0, 21.0), round);
    QLinearGradient shade(0.0, 18.0, 0.0, 38.0);
    shade.setColorAt(0.0, QColor(0, 0, 0, 0));
    shade.setColorAt(1.0, QColor(0, 0, 0, 110));
    painter.fillRect(QRectF(6.0, 17.0, 28.0, 21.0), shade);
    painter.restore();

    // The padded rim.
    QLinearGradient rim(0.0, 16.0, 0.0, 19.0);
    rim.setColorAt(0.0, QColor(118, 64, 34));
    rim.setColorAt(1.0, QColor(58, 28, 14));
    painter.setPen(Qt::NoPen);
    painter.setBrush(rim);
    painter.drawRoundedRect(QRectF(7.2, 16.0, 25.6, 2.8), 1.2, 1.2);
}

}  // namespace

QImage BasketArtist::paint() {
    QImage large(kWidth * kScale, kHeight * kScale, QImage::Format_RGB32);
    large.fill(Qt::black);
    {
        QPainter painter(&large);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.scale(kScale, kScale);
        paintBasket(painter);
        paintFlame(painter);
    }
    QImage picture = large.scaled(kWidth, kHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                         .convertToFormat(QImage::Format_RGB32);

    // A little grain on the basket, as in a photograph; the black stays black.
    Grain grain;
    for (int y = 16; y < kHeight; ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < kWidth; ++x) {
            const int noise = grain.next(5);
            if (qGray(row[x]) < 16) continue;
            row[x] =
                qRgb(std::clamp(qRed(row[x]) + noise, 0, 255), std::clamp(qGreen(row[x]) + noise, 0, 255),
                     std::clamp(qBlue(row[x]) + noise / 2, 0, 255));
        }
    }
    return picture;
}

}  // namespace pictures
