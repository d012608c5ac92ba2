#ifndef TOOLS_ICOWRITER_H_
#define TOOLS_ICOWRITER_H_

#include <QByteArray>
#include <QImage>
#include <QString>

namespace pictures {

// Writes an icon file with one image: 24 bits per pixel and a one-bit mask,
// set where the picture's alpha is below 128.
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
