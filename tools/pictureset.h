// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TOOLS_PICTURESET_H_
#define TOOLS_PICTURESET_H_

#include <QByteArray>
#include <QImage>
#include <QString>
#include <vector>

#include "state/tables.h"
#include "tools/envelopeartist.h"

namespace pictures {

// Every picture the system ships, drawn once and kept as it will be stored:
// the 63 envelopes (nine colours, seven glow levels), the basket and the icon.
class PictureSet {
public:
    static constexpr int kColours = nimbo::kColorCount;
    static constexpr int kLevels = nimbo::kGlowLevelCount;

    PictureSet();

    // "blau000.gif" ... "weiss100.gif".
    static QString envelopeFileName(int colour, int level);

    // The envelope as stored: its GIF palette already applied.
    const QImage& envelope(int colour, int level) const;
    // The basket as its JPEG file decodes.
    const QImage& basket() const { return m_basket; }
    const QImage& icon() const { return m_icon; }

    // Each writer creates `folder` if needed and returns false with the reason
    // in `error` (may be null) at the first file it cannot write.

    // The 63 envelope files.
    bool writeEnvelopes(const QString& folder, QString* error) const;
    // The pictures stored with the windows: dim/<word>.gif (unlit), bright/<word>.gif
    // (full glow), korb.jpg and icon.ico.
    bool writeWindowPictures(const QString& folder, QString* error) const;
    // The windows' icon for the desktop's icon theme: FOLDER/NxN/apps/NAME.png
    // at the usual sizes.
    static bool writeAppIcons(const QString& folder, const QString& name, QString* error);
    // All of them on one sheet, for people to judge.
    bool writeContactSheet(const QString& path, QString* error) const;

private:
    std::vector<QImage> m_envelopes;  // colour-major, as drawn
    std::vector<QImage> m_stored;     // the same after palette reduction
    QByteArray m_basketJpeg;
    QImage m_basket;
    QImage m_icon;
};

}  // namespace pictures

#endif  // TOOLS_PICTURESET_H_
