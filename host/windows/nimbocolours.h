// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_WINDOWS_NIMBOCOLOURS_H_
#define HOST_WINDOWS_NIMBOCOLOURS_H_

#include <QColor>
#include <QImage>
#include <QRegion>
#include <QString>
#include <array>
#include <vector>

#include "host/windows/sentvalues.h"

namespace vexohost {

// The nine nimbos' colours, one colour of ours for each colour an envelope
// can have, for everything that stands for a nimbo elsewhere: the timeline's
// lanes and plot, the readouts and the faders' swatches. The host learns a
// nimbo's colour from what the display shows: every envelope on screen is
// one of the pictures beside the plug-in (each colour at each glow level),
// so a few of its pixels, matched against the same pixels of every picture,
// name its colour; the glow level never changes it. Our colour for an
// envelope colour keeps its hue and is dark enough to read on white (a white
// envelope is grey).
//
// Owned by the application, which samples the display once a second and
// hands the colours on. GUI thread.
class NimboColours {
public:
    // Reads the pictures of imagesFolder (NAME and glow level, NAME000.gif
    // to NAME100.gif). False, and no colour is ever named, when there are none.
    bool load(const QString& imagesFolder);
    // Looks at the display as rendered now (at least sampledRegion()); true
    // when a nimbo's colour changed.
    bool sample(const QImage& display);
    // The part of a display of this size that sample() looks at.
    static QRegion sampledRegion(QSize display);
    // Nimbo k's colour (0..8); invalid until its envelope was named.
    const std::array<QColor, SentValues::kChannels>& colours() const { return m_colours; }
    // Ours for an envelope of colour `envelope` (as fully lit): its hue, at
    // a contrast of at least 3:1 on white.
    static QColor readable(const QColor& envelope);

private:
    static constexpr int kSamples = 6;  // pixels per envelope
    struct Picture {
        int colour = 0;  // index into m_ours
        std::array<QRgb, kSamples> points{};
    };
    std::vector<Picture> m_pictures;
    std::vector<QColor> m_ours;  // per envelope colour
    std::array<QColor, SentValues::kChannels> m_colours{};
};

// The contrast of two colours as WCAG defines it, 1 to 21.
double contrastRatio(const QColor& a, const QColor& b);

}  // namespace vexohost

#endif  // HOST_WINDOWS_NIMBOCOLOURS_H_
