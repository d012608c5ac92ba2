// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TOOLS_GIFWRITER_H_
#define TOOLS_GIFWRITER_H_

#include <QImage>
#include <QString>

namespace pictures {

// Writes a picture as a single-frame GIF89a: colour index 0 is the one
// transparent colour (every pixel whose alpha is below 128), indices 1 to 255
// hold a palette built from the picture's opaque colours, mapped without
// dithering.
class GifWriter {
public:
    // The picture as it will be stored: Format_Indexed8 with 256 colours, the
    // first of them transparent.
    static QImage toIndexed(const QImage& image);

    // Writes `image` to `path`, replacing any file there. On failure returns
    // false, leaves whatever was at `path` untouched and puts the reason into
    // `error` (may be null; ownership stays with the caller).
    static bool write(const QImage& image, const QString& path, QString* error);
};

}  // namespace pictures

#endif  // TOOLS_GIFWRITER_H_
