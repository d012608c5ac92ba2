// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TOOLS_ICOWRITER_H_
#define TOOLS_ICOWRITER_H_

#include <QByteArray>
#include <QImage>
#include <QString>

namespace pictures {

// Writes an icon file with one image: 24 bits of colour per pixel with an
// alpha byte that is 0 or 255, and the one-bit mask, set where the picture's
// alpha is below 128. Qt's icon reader ignores the mask of a 24-bit icon, so
// the alpha byte carries the same transparency for it.
class IcoWriter {
public:
    // The file's bytes; the picture must be at most 255 x 255.
    static QByteArray encode(const QImage& image);
    // Writes `image` to `path`; on failure returns false with the reason in
    // `error` (may be null; ownership stays with the caller).
    static bool write(const QImage& image, const QString& path, QString* error);
};

}  // namespace pictures

#endif  // TOOLS_ICOWRITER_H_
