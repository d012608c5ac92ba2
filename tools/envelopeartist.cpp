// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/envelopeartist.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace pictures {

namespace {

// Rows of the silhouette, in pixels from the top edge.
constexpr double kCrownTop = 0.6;
constexpr double kEquator = 64.0;  // the widest row
constexpr double kThroat = 160.0;  // where the cone meets the skirt
constexpr double kBottom = 184.5;  // past the last row, which the basket overlaps
constexpr double kEquatorHalfWidth = 60.4;
constexpr double kMouthHalfWidth = 8.5;

// The meridian seams between the gores, as the sine of their angle round the
// envelope: eight gores face the viewer.
constexpr double kSeams[] = {-0.924, -0.707, -0.383, 0.0, 0.383, 0.707, 0.924};

double smoothstep(double s) {
    s = std::clamp(s, 0.0, 1.0);
    return s * s * (3.0 - 2.0 * s);
}

QColor mix(const QColor& a, const QColor& b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return QColor::fromRgbF(a.redF() + (b.redF() - a.redF()) * t, a.greenF() + (b.greenF() - a.greenF()) * t,
                            a.blueF() + (b.blueF() - a.blueF()) * t);
}

QColor toColor(const Rgb& rgb) {
    return QColor(rgb.red, rgb.green, rgb.blue);
}

// How much of the burner's light reaches the fabric at a glow in percent. A
// glimmer already shows at 1 %, so the two lowest levels differ.
double glowStrength(int glowPercent) {
    if (glowPercent <= 0) return 0.0;
    return 0.12 + 0.88 * std::pow(std::min(glowPercent, 100) / 100.0, 0.9);
}

// The fabric colour at height t (0 crown .. 1 mouth): the cold colour with a
// faint warm cast from the burner, blended with the lit colour, which pales
// towards the mouth. At low glow the light stays near the mouth.
QColor fabricColour(const EnvelopeColour& colour, double strength, double t) {
    const QColor unlit = mix(toColor(colour.unlit), QColor(92, 46, 14), 0.28 * t * t);
    const QColor glow = toColor(colour.glow);
    const QColor lit = mix(mix(glow.darker(112), glow, t), QColor(255, 250, 236), 0.5 * std::pow(t, 2.2));
    const double reach = strength <= 0.0 ? 0.0 : std::pow(strength, 1.0 + 0.9 * (1.0 - t));
    return mix(unlit, lit, reach);
}

}  // namespace

double EnvelopeArtist::centreAt(double y) {
    constexpr double kMiddle = kWidth / 2.0;
    if (y <= kEquator) return kMiddle;
    return kMiddle + (kMouthCentre - kMiddle) * smoothstep((y - kEquator) / (kThroat - kEquator));
}

double EnvelopeArtist::halfWidthAt(double y) {
    if (y <= kCrownTop) return 0.0;
    if (y <= kEquator) {
        const double d = (kEquator - y) / (kEquator - kCrownTop);
        return kEquatorHalfWidth * std::sqrt(std::max(0.0, 1.0 - d * d));
    }
    if (y <= kThroat) {
        // Below the equator the sides fall in a curve that straightens into
        // the cone above the mouth.
        const double s = (y - kEquator) / (kThroat - kEquator);
        const double fall = 0.5 * (std::cos(s * std::numbers::pi / 2.0) + (1.0 - std::pow(s, 1.7)));
        return kMouthHalfWidth + (kEquatorHalfWidth - kMouthHalfWidth) * fall;
    }
    // The skirt flares a little at the mouth.
    const double s = (y - kThroat) / (kBottom - kThroat);
    return kMouthHalfWidth + 1.5 * s * s;
}

QPolygonF EnvelopeArtist::seam(double across) const {
    QPolygonF points;
    for (double y = kCrownTop; y <= kThroat; y += 0.5)
        points << QPointF(centreAt(y) + across * halfWidthAt(y), y);
    return points;
}

EnvelopeArtist::EnvelopeArtist() {
    // The crown is half an ellipse, traced by angle so that its top is round;
    // the rest is traced row by row.
    QPolygonF left, right;
    constexpr int kCrownSteps = 120;
    for (int i = 0; i <= kCrownSteps; ++i) {
        const double angle = std::numbers::pi / 2.0 * i / kCrownSteps;
        const double y = kEquator - (kEquator - kCrownTop) * std::cos(angle);
        const double w = kEquatorHalfWidth * std::sin(angle);
        left << QPointF(centreAt(y) - w, y);
        right << QPointF(centreAt(y) + w, y);
    }
    for (double y = kEquator + 0.5; y <= kBottom; y += 0.5) {
        left << QPointF(centreAt(y) - halfWidthAt(y), y);
        right << QPointF(centreAt(y) + halfWidthAt(y), y);
    }
    QPolygonF outline;
    for (auto it = left.crbegin(); it != left.crend(); ++it) outline << *it;
    outline << right;
    m_outline.addPolygon(outline);
    m_outline.closeSubpath();

    for (double across : kSeams) m_seams.push_back(seam(across));
    // Gores between neighbouring seams, and the outermost ones between a seam
    // and the edge of the envelope.
    std::vector<QPolygonF> meridians;
    meridians.push_back(seam(-1.0));
    meridians.insert(meridians.end(), m_seams.begin(), m_seams.end());
    meridians.push_back(seam(1.0));
    for (size_t i = 0; i + 1 < meridians.size(); ++i) {
        QPolygonF gore = meridians[i];
        for (auto it = meridians[i + 1].crbegin(); it != meridians[i + 1].crend(); ++it) gore << *it;
        m_gores.push_back(gore);
    }

    // Pixels whose centre lies inside the outline.
    QImage coverage(kWidth, kHeight, QImage::Format_ARGB32);
    coverage.fill(Qt::transparent);
    {
        QPainter painter(&coverage);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.fillPath(m_outline, Qt::white);
    }
    m_silhouette = QImage(kWidth, kHeight, QImage::Format_Grayscale8);
    for (int y = 0; y < kHeight; ++y) {
        uchar* out = m_silhouette.scanLine(y);
        for (int x = 0; x < kWidth; ++x) out[x] = qAlpha(coverage.pixel(x, y)) >= 128 ? 255 : 0;
    }
}

QImage EnvelopeArtist::paint(const EnvelopeColour& colour, int glowPercent) const {
    const double strength = glowStrength(glowPercent);
    QImage canvas(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setClipPath(m_outline);

        // The fabric, lit from below.
        QLinearGradient fabric(0.0, kCrownTop, 0.0, kBottom);
        constexpr int kStops = 24;
        for (int i = 0; i <= kStops; ++i) {
            const double t = double(i) / kStops;
            fabric.setColorAt(t, fabricColour(colour, strength, t));
        }
        painter.fillRect(canvas.rect(), fabric);

        // Every other gore a shade darker, as the panels catch the light.
        painter.setPen(Qt::NoPen);
        for (size_t i = 1; i < m_gores.size(); i += 2) {
            painter.setBrush(QColor(0, 0, 0, 24));
            painter.drawPolygon(m_gores[i]);
        }

        // The round of the envelope: each row darkens towards its edges.
        for (int y = 0; y < kHeight; ++y) {
            const double centre = centreAt(y + 0.5);
            const double half = std::max(halfWidthAt(y + 0.5), 1.0);
            QLinearGradient round(centre - half, 0.0, centre + half, 0.0);
            round.setColorAt(0.0, QColor(0, 0, 0, 130));
            round.setColorAt(0.14, QColor(0, 0, 0, 44));
            round.setColorAt(0.32, QColor(0, 0, 0, 8));
            round.setColorAt(0.5, QColor(0, 0, 0, 0));
            round.setColorAt(0.68, QColor(0, 0, 0, 8));
            round.setColorAt(0.86, QColor(0, 0, 0, 44));
            round.setColorAt(1.0, QColor(0, 0, 0, 130));
            painter.fillRect(QRectF(0.0, y, kWidth, 1.0), round);
        }

        // The skirt round the mouth is of heavier cloth, a shade darker.
        painter.fillRect(QRectF(0.0, kThroat, kWidth, kBottom - kThroat), QColor(0, 0, 0, 40));

        // The burner's glow in the mouth.
        if (strength > 0.0) {
            QRadialGradient burner(QPointF(kMouthCentre, kBottom + 4.0), 64.0);
            burner.setColorAt(0.0, QColor(255, 214, 150, int(std::lround(120 * strength))));
            burner.setColorAt(1.0, QColor(255, 214, 150, 0));
            painter.setCompositionMode(QPainter::CompositionMode_Screen);
            painter.fillRect(canvas.rect(), burner);
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        }

        // Seams, the band where the skirt begins, and a darker rim so that
        // overlapping envelopes stay apart.
        const QColor edge = fabricColour(colour, strength, 0.3).darker(260);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(0, 0, 0, 72), 0.9));
        for (const QPolygonF& seam : m_seams) painter.drawPolyline(seam);
        painter.setPen(QPen(QColor(0, 0, 0, 96), 1.2));
        painter.drawLine(QPointF(0.0, kThroat), QPointF(kWidth, kThroat));
        for (double across : {-0.4, 0.4}) {
            painter.drawLine(QPointF(centreAt(kThroat) + across * halfWidthAt(kThroat), kThroat),
                             QPointF(centreAt(kBottom) + across * halfWidthAt(kBottom), kBottom));
        }
        painter.setPen(QPen(edge, 2.6));
        painter.drawPath(m_outline);
    }

    QImage picture(kWidth, kHeight, QImage::Format_ARGB32);
    for (int y = 0; y < kHeight; ++y) {
        const uchar* inside = m_silhouette.constScanLine(y);
        const QRgb* from = reinterpret_cast<const QRgb*>(canvas.constScanLine(y));
        QRgb* to = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < kWidth; ++x) {
            // Premultiplied colour is the colour over black: the night sky
            // behind the rim.
            to[x] =
                inside[x] ? qRgba(qRed(from[x]), qGreen(from[x]), qBlue(from[x]), 255) : qRgba(0, 0, 0, 0);
        }
    }
    return picture;
}

}  // namespace pictures
