// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/gifwriter.h"

#include <gif_lib.h>

#include <QByteArray>
#include <QSaveFile>
#include <array>
#include <map>
#include <memory>
#include <vector>

#include "tools/colourquantiser.h"

namespace pictures {

namespace {

constexpr int kPaletteSize = 256;
constexpr int kTransparentIndex = 0;

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        EGifCloseFile(gif, &error);
    }
};

struct ColorMapDeleter {
    void operator()(ColorMapObject* map) const { GifFreeMapObject(map); }
};

// giflib's output callback: appends to the QByteArray in UserData.
int appendBytes(GifFileType* gif, const GifByteType* data, int length) {
    static_cast<QByteArray*>(gif->UserData)->append(reinterpret_cast<const char*>(data), length);
    return length;
}

bool fail(const QString& path, const QString& reason, QString* error) {
    if (error) *error = path + ": " + reason;
    return false;
}

}  // namespace

QImage GifWriter::toIndexed(const QImage& image) {
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32);
    const std::vector<QRgb> palette = ColourQuantiser::paletteFor(pixels, kPaletteSize - 1);

    QList<QRgb> table(kPaletteSize, qRgb(0, 0, 0));
    table[kTransparentIndex] = qRgba(0, 0, 0, 0);
    for (size_t i = 0; i < palette.size(); ++i) table[qsizetype(i) + 1] = palette[i];

    QImage indexed(pixels.size(), QImage::Format_Indexed8);
    indexed.setColorTable(table);
    // Each distinct colour is looked up once.
    std::map<QRgb, uchar> indexOf;
    for (int y = 0; y < pixels.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        uchar* out = indexed.scanLine(y);
        for (int x = 0; x < pixels.width(); ++x) {
            if (qAlpha(row[x]) < 128) {
                out[x] = kTransparentIndex;
                continue;
            }
            const QRgb colour = qRgb(qRed(row[x]), qGreen(row[x]), qBlue(row[x]));
            auto found = indexOf.find(colour);
            if (found == indexOf.end())
                found = indexOf.emplace(colour, uchar(ColourQuantiser::nearest(palette, colour) + 1)).first;
            out[x] = found->second;
        }
    }
    return indexed;
}

bool GifWriter::write(const QImage& image, const QString& path, QString* error) {
    if (image.isNull()) return fail(path, "empty picture", error);
    const QImage indexed = toIndexed(image);

    std::array<GifColorType, kPaletteSize> colours{};
    for (int i = 0; i < kPaletteSize; ++i) {
        const QRgb colour = indexed.color(i);
        colours[size_t(i)] = {GifByteType(qRed(colour)), GifByteType(qGreen(colour)),
                              GifByteType(qBlue(colour))};
    }
    const std::unique_ptr<ColorMapObject, ColorMapDeleter> colourMap(
        GifMakeMapObject(kPaletteSize, colours.data()));
    if (!colourMap) return fail(path, "out of memory", error);

    // Encoded in memory and saved in one step, so that a failed run leaves
    // the old file in place.
    QByteArray bytes;
    int status = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(EGifOpen(&bytes, appendBytes, &status));
    if (!gif) return fail(path, GifErrorString(status), error);
    // The transparent index needs a graphics control block, which only
    // GIF89a has.
    EGifSetGifVersion(gif.get(), true);
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSAL_UNSPECIFIED;
    control.UserInputFlag = false;
    control.DelayTime = 0;
    control.TransparentColor = kTransparentIndex;
    std::array<GifByteType, 4> extension{};
    EGifGCBToExtension(&control, extension.data());

    const int width = indexed.width();
    const int height = indexed.height();
    bool ok =
        EGifPutScreenDesc(gif.get(), width, height, 8, kTransparentIndex, colourMap.get()) != GIF_ERROR &&
        EGifPutExtension(gif.get(), GRAPHICS_EXT_FUNC_CODE, int(extension.size()), extension.data()) !=
            GIF_ERROR &&
        EGifPutImageDesc(gif.get(), 0, 0, width, height, false, nullptr) != GIF_ERROR;
    for (int y = 0; ok && y < height; ++y) {
        std::vector<GifByteType> line(indexed.constScanLine(y), indexed.constScanLine(y) + width);
        ok = EGifPutLine(gif.get(), line.data(), width) != GIF_ERROR;
    }
    if (!ok) return fail(path, GifErrorString(gif->Error), error);
    if (EGifCloseFile(gif.release(), &status) == GIF_ERROR) return fail(path, GifErrorString(status), error);

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return fail(path, file.errorString(), error);
    return true;
}

}  // namespace pictures
