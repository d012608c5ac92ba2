// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TOOLS_ENVELOPEARTIST_H_
#define TOOLS_ENVELOPEARTIST_H_

#include <QImage>
#include <QPainterPath>
#include <QPolygonF>
#include <vector>

#include "tools/envelopecolours.h"

namespace pictures {

// Draws the envelope of a nimbo: a broad rounded crown, gores down to a small
// mouth at the bottom, lit from the burner below. Every envelope it draws has
// the same silhouette, so that changing a nimbo's picture never changes its
// outline.
class EnvelopeArtist {
public:
    static constexpr int kWidth = 120;
    static constexpr int kHeight = 184;
    // The mouth hangs over the middle of the basket, which sits 10 px left of
    // the envelope's middle in the display window.
    static constexpr double kMouthCentre = 50.0;

    EnvelopeArtist();

    // The shared silhouette: Format_Grayscale8, 255 inside, 0 outside.
    const QImage& silhouette() const { return m_silhouette; }

    // The envelope of `colour` at `glowPercent` (0 unlit .. 100 full glow), as
    // Format_ARGB32 whose alpha is 255 inside the silhouette and 0 outside.
    QImage paint(const EnvelopeColour& colour, int glowPercent) const;

private:
    static double centreAt(double y);
    static double halfWidthAt(double y);
    QPolygonF seam(double across) const;

    QPainterPath m_outline;
    std::vector<QPolygonF> m_gores;
    std::vector<QPolygonF> m_seams;
    QImage m_silhouette;
};

}  // namespace pictures

#endif  // TOOLS_ENVELOPEARTIST_H_
