// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/icowriter.h"

#include <QDataStream>
#include <QFile>
#include <QSaveFile>

namespace pictures {

QByteArray IcoWriter::encode(const QImage& image) {
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32);
    const int width = pixels.width();
    const int height = pixels.height();
    const int colourStride = width * 4;
    const int maskStride = (width + 31) / 32 * 4;
    const quint32 bitmapSize = quint32(40 + (colourStride + maskStride) * height);

    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    // Directory with one entry.
    out << quint16(0) << quint16(1) << quint16(1);
    out << quint8(width) << quint8(height) << quint8(0) << quint8(0) << quint16(1) << quint16(32)
        << bitmapSize << quint32(22);
    // The bitmap header counts the colour rows and the mask rows together.
    out << quint32(40) << qint32(width) << qint32(2 * height) << quint16(1) << quint16(32) << quint32(0)
        << quint32((colourStride + maskStride) * height) << qint32(0) << qint32(0) << quint32(0)
        << quint32(0);
    // Rows run from the bottom up; transparent pixels are black with alpha 0
    // in the colour rows and set in the mask.
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const QRgb pixel = pixels.pixel(x, y);
            const bool opaque = qAlpha(pixel) >= 128;
            out << quint8(opaque ? qBlue(pixel) : 0) << quint8(opaque ? qGreen(pixel) : 0)
                << quint8(opaque ? qRed(pixel) : 0) << quint8(opaque ? 255 : 0);
        }
    }
    for (int y = height - 1; y >= 0; --y) {
        QByteArray row(maskStride, '\0');
        for (int x = 0; x < width; ++x) {
            if (qAlpha(pixels.pixel(x, y)) < 128) row[x / 8] = char(uchar(row[x / 8]) | (0x80 >> (x % 8)));
        }
        out.writeRawData(row.constData(), row.size());
    }
    return bytes;
}

bool IcoWriter::write(const QImage& image, const QString& path, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(encode(image)) < 0 || !file.commit()) {
        if (error) *error = path + ": " + file.errorString();
        return false;
    }
    return true;
}

}  // namespace pictures
