// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/windows/nimbocolours.h"

namespace vexohost {

bool NimboColours::sample(const QImage& display, const SentValues& sent) {
    bool changed = false;
    for (int k = 0; k < SentValues::kChannels; ++k) {
        const QColor colour = nimboColour(display, k);
        if (!colour.isValid()) continue;
        Seen& seen = m_seen[size_t(k)];
        const int level = sent.level(k + 1);
        const int hueApart = std::abs(colour.hsvHue() - seen.colour.hsvHue()) % 360;
        const bool otherColour = seen.colour.isValid() && std::min(hueApart, 360 - hueApart) > 45;
        if (level < seen.level && !otherColour) continue;
        changed |= colour != seen.colour;
        seen = {colour, level};
    }
    return changed;
}

namespace {

// Nine nimbos side by side; the upper third of each is envelope.
QPoint envelopeMiddle(QSize display, int i) {
    return {(2 * i + 1) * display.width() / 18, display.height() * 3 / 10};
}

}  // namespace

QRegion NimboColours::sampledRegion(QSize display) {
    QRegion region;
    for (int k = 0; k < SentValues::kChannels; ++k)
        region += QRect(envelopeMiddle(display, k) - QPoint(3, 3), QSize(7, 7));
    return region;
}

QColor nimboColour(const QImage& display, int i) {
    if (display.isNull()) return {};
    const QPoint middle = envelopeMiddle(display.size(), i);
    const int cx = middle.x(), cy = middle.y();
    long r = 0, g = 0, b = 0, n = 0;
    for (int y = cy - 3; y <= cy + 3; ++y)
        for (int x = cx - 3; x <= cx + 3; ++x) {
            if (!display.valid(x, y)) continue;
            const QRgb p = display.pixel(x, y);
            r += qRed(p), g += qGreen(p), b += qBlue(p), ++n;
        }
    if (n == 0) return {};
    const QColor mean(int(r / n), int(g / n), int(b / n));
    if (mean.value() < 8) return {};  // black: nothing drawn
    return QColor::fromHsv(mean.hsvHue(), mean.hsvSaturation(), 255);
}

}  // namespace vexohost
