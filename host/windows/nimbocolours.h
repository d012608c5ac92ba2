// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_WINDOWS_NIMBOCOLOURS_H_
#define HOST_WINDOWS_NIMBOCOLOURS_H_

#include <QColor>
#include <QImage>
#include <QRegion>
#include <array>

#include "host/windows/sentvalues.h"

namespace vexohost {

// The nine nimbos' colours as the display shows them, for what stands for
// them elsewhere (the faders' swatches, the timeline's lanes). An unlit or
// dim envelope is darker and of another hue than the nimbo's colour (an
// unlit yellow looks brown, a full one yellow), so the colour of the
// brightest glow seen is kept, unless the colour was changed meanwhile (its
// hue moved more than 45 degrees).
class NimboColours {
public:
    // Looks at the display as rendered now; true when a colour changed.
    bool sample(const QImage& display, const SentValues& sent);
    // The part of a display of this size that sample() looks at.
    static QRegion sampledRegion(QSize display);
    // Invalid until nimbo k (0..8) was seen.
    const QColor& colour(int k) const { return m_seen[size_t(k)].colour; }

private:
    struct Seen {
        QColor colour;
        int level = -1;  // the glow it was sampled at
    };
    std::array<Seen, SentValues::kChannels> m_seen{};
};

// The colour of nimbo i (0..8) as the window shows it, at full brightness:
// the middle of its envelope, whatever its glow. Invalid when nothing is
// drawn there (the window is not loaded).
QColor nimboColour(const QImage& display, int i);

}  // namespace vexohost

#endif  // HOST_WINDOWS_NIMBOCOLOURS_H_
