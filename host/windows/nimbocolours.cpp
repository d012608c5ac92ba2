// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/windows/nimbocolours.h"

#include <QDir>
#include <QRegularExpression>
#include <cmath>
#include <map>

namespace vexohost {
namespace {

// The display stands its nimbos 90 pixels apart from (10, 10), each envelope
// a picture of 120 x 184, the next one over its right quarter; at another
// scale the window is wider or narrower than 867 pixels.
constexpr int kDisplayWidth = 867;
constexpr QPoint kFirstNimbo(10, 10);
constexpr int kNimboStep = 90;
// Inside every envelope, left of the next one: where a picture is told by.
constexpr std::array<QPoint, 6> kSamplePoints = {QPoint(35, 50), QPoint(55, 50), QPoint(45, 70),
                                                 QPoint(30, 90), QPoint(55, 90), QPoint(45, 110)};
// A match farther than this (per point and channel, on average) is none: no
// picture is drawn there, or the window is not loaded.
constexpr int kFarthest = 24;

QPoint inDisplay(QSize display, int nimbo, QPoint point) {
    const double scale = double(display.width()) / kDisplayWidth;
    const QPoint at = kFirstNimbo + QPoint(kNimboStep * nimbo, 0) + point;
    return {int(std::lround(at.x() * scale)), int(std::lround(at.y() * scale))};
}

double luminance(const QColor& c) {
    auto channel = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

}  // namespace

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor NimboColours::readable(const QColor& envelope) {
    // A white or grey envelope: a mid grey.
    if (envelope.hsvSaturation() < 60) return QColor(110, 110, 110);
    QColor ours = QColor::fromHsv(envelope.hsvHue(), std::max(envelope.hsvSaturation(), 170), 230);
    while (contrastRatio(ours, Qt::white) < 3.2 && ours.value() > 40)
        ours = QColor::fromHsv(ours.hsvHue(), ours.hsvSaturation(), ours.value() - 10);
    return ours;
}

bool NimboColours::load(const QString& imagesFolder) {
    m_pictures.clear();
    m_ours.clear();
    const QRegularExpression name(QStringLiteral("^([a-z]+)(\\d{3})\\.gif$"));
    std::map<QString, std::pair<int, QImage>> brightest;  // per colour name: its highest glow's picture
    std::map<QString, int> index;
    const QDir folder(imagesFolder);
    for (const QString& file : folder.entryList({QStringLiteral("*.gif")}, QDir::Files, QDir::Name)) {
        const QRegularExpressionMatch m = name.match(file);
        if (!m.hasMatch()) continue;
        const QImage picture(folder.filePath(file));
        if (picture.isNull()) continue;
        const QString colour = m.captured(1);
        const auto [at, fresh] = index.emplace(colour, int(index.size()));
        Picture p{at->second, {}};
        for (size_t k = 0; k < kSamplePoints.size(); ++k)
            p.points[k] = picture.valid(kSamplePoints[k]) ? picture.pixel(kSamplePoints[k]) : 0;
        m_pictures.push_back(p);
        if (const int glow = m.captured(2).toInt(); fresh || glow > brightest[colour].first)
            brightest[colour] = {glow, picture};
    }
    m_ours.resize(index.size());
    for (const auto& [colour, k] : index) {
        const QImage& full = brightest[colour].second;
        int r = 0, g = 0, b = 0;
        for (const QPoint& point : kSamplePoints) {
            const QRgb p = full.pixel(point);
            r += qRed(p), g += qGreen(p), b += qBlue(p);
        }
        const int n = int(kSamplePoints.size());
        m_ours[size_t(k)] = readable(QColor(r / n, g / n, b / n));
    }
    return !m_pictures.empty();
}

bool NimboColours::sample(const QImage& display) {
    if (display.isNull() || m_pictures.empty()) return false;
    bool changed = false;
    for (int nimbo = 0; nimbo < SentValues::kChannels; ++nimbo) {
        std::array<QRgb, kSamplePoints.size()> seen{};
        bool inside = true;
        for (size_t k = 0; k < kSamplePoints.size(); ++k) {
            const QPoint at = inDisplay(display.size(), nimbo, kSamplePoints[k]);
            inside = inside && display.valid(at);
            if (inside) seen[k] = display.pixel(at);
        }
        if (!inside) continue;
        const Picture* best = nullptr;
        int bestDistance = 0;
        for (const Picture& picture : m_pictures) {
            int distance = 0;
            for (size_t k = 0; k < kSamplePoints.size(); ++k)
                distance += std::abs(qRed(seen[k]) - qRed(picture.points[k])) +
                            std::abs(qGreen(seen[k]) - qGreen(picture.points[k])) +
                            std::abs(qBlue(seen[k]) - qBlue(picture.points[k]));
            if (!best || distance < bestDistance) best = &picture, bestDistance = distance;
        }
        if (!best || bestDistance > kFarthest * 3 * int(kSamplePoints.size())) continue;
        const QColor& ours = m_ours[size_t(best->colour)];
        changed |= m_colours[size_t(nimbo)] != ours;
        m_colours[size_t(nimbo)] = ours;
    }
    return changed;
}

QRegion NimboColours::sampledRegion(QSize display) {
    QRegion region;
    for (int nimbo = 0; nimbo < SentValues::kChannels; ++nimbo)
        for (const QPoint& point : kSamplePoints)
            region += QRect(inDisplay(display, nimbo, point) - QPoint(1, 1), QSize(3, 3));
    return region;
}

}  // namespace vexohost
