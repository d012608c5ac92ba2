// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_QT_GIFPICTURE_H_
#define PLATFORM_FORMS_QT_GIFPICTURE_H_

#include <QImage>
#include <QString>

namespace forms {

// The first image of a GIF file, decoded straight into premultiplied 32-bit
// ARGB, the format pictures are kept and drawn in: exactly what Qt's reader
// gives converted to that format, in about a third of the time and without
// the second copy. giflib reads the file's blocks; the image's LZW data are
// decoded by decodeLzw. Transparent pixels are 0.
//
// Only the plain case is taken: a GIF whose first image covers its whole
// screen, has a colour table, and is at most maxSide pixels on a side and
// maxBytes decoded. For anything else (another format, a damaged or partial
// file, a smaller first image) the result is a null image, and the caller
// reads the file with Qt's reader, which also says what is wrong with it.
QImage decodeGifPicture(const QString& path, int maxSide, qsizetype maxBytes);

}  // namespace forms

#endif  // PLATFORM_FORMS_QT_GIFPICTURE_H_
