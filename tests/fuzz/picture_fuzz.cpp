// SPDX-License-Identifier: GPL-3.0-or-later
// LoadPicture on arbitrary bytes: a picture no larger than the loader allows,
// or run-time error 481 naming the file. A GIF the loader decodes itself
// has the pixels giflib's own decoder reads from it: the tests hold valid
// files to Qt's reader, but on damaged LZW data Qt's reader parts from
// giflib and from the textbook decoder, which agree. Run with -timeout=1 and
// -rss_limit_mb=256, a slow or large unit is a finding too.

#include <gif_lib.h>

#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <fstream>
#include <string>

#include "platform/com/runtimeerror.h"
#include "platform/forms/picture.h"
#include "platform/forms/qt/gifpicture.h"
#include "tests/fuzz/fuzzcheck.h"

namespace {

// Whether image holds the first image of the GIF at path as giflib decodes
// it: each index through the palette, the transparent index and indexes the
// palette lacks transparent black. True when giflib cannot read the file.
bool sameAsGiflib(const QImage& image, const QString& path) {
    int error = 0;
    GifFileType* gif = DGifOpenFileName(QFile::encodeName(path).constData(), &error);
    if (!gif) return true;
    bool same = true;
    if (DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0) {
        const SavedImage& first = gif->SavedImages[0];
        const ColorMapObject* map = first.ImageDesc.ColorMap ? first.ImageDesc.ColorMap : gif->SColorMap;
        GraphicsControlBlock control{};
        control.TransparentColor = NO_TRANSPARENT_COLOR;
        DGifSavedExtensionToGCB(gif, 0, &control);
        const int width = first.ImageDesc.Width;
        same = map && image.size() == QSize(width, first.ImageDesc.Height);
        for (int y = 0; same && y < image.height(); ++y)
            for (int x = 0; same && x < width; ++x) {
                const int index = first.RasterBits[size_t(y) * size_t(width) + size_t(x)];
                const GifColorType c = index < map->ColorCount ? map->Colors[index] : GifColorType{};
                const QRgb expected = index == control.TransparentColor || index >= map->ColorCount
                                          ? 0
                                          : qRgb(c.Red, c.Green, c.Blue);
                same = image.pixel(x, y) == expected;
            }
    }
    DGifCloseFile(gif, &error);
    return same;
}

QString picturePath() {
    static const QString path = QString::fromStdString(fuzzFolder() + "/picture.gif");
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString path = picturePath();
    std::ofstream(path.toStdString(), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), std::streamsize(size));
    try {
        const com::ComPtr<forms::Picture> picture = forms::loadPicture(path);
        FUZZ_CHECK(picture);
        const QSize s = picture->size();
        FUZZ_CHECK(s.width() > 0 && s.height() > 0);
        FUZZ_CHECK(s.width() <= forms::kMaxPictureSide && s.height() <= forms::kMaxPictureSide);
        FUZZ_CHECK(picture->image().sizeInBytes() <= qsizetype(forms::kMaxPictureMegabytes) << 20);
        const QImage own = forms::decodeGifPicture(path, forms::kMaxPictureSide,
                                                   qsizetype(forms::kMaxPictureMegabytes) << 20);
        FUZZ_CHECK(own.isNull() || sameAsGiflib(own, path));
    } catch (const com::RuntimeError& error) {
        FUZZ_CHECK(error.number() == com::kErrInvalidPicture);
        FUZZ_CHECK(error.description().find(path.toStdString()) != std::string::npos);
    }
    return 0;
}
