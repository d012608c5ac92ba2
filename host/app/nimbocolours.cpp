// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/app/nimbocolours.h"

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

QColor nimboColour(const QImage& display, int i) {
    if (display.isNull()) return {};
    // Nine nimbos side by side; the upper third of each is envelope.
    const int cx = (2 * i + 1) * display.width() / 18, cy = display.height() * 3 / 10;
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
