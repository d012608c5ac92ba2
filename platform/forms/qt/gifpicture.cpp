// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/qt/gifpicture.h"

#include <gif_lib.h>

#include <QFile>
#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/forms/qt/lzwdecoder.h"
#include "platform/forms/qt/pictureblocks.h"

namespace forms {
namespace {

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};
using GifHandle = std::unique_ptr<GifFileType, GifCloser>;

// The file as giflib reads it: from memory, read whole at once. giflib
// reads a file a byte or a block at a time through stdio, each read taking
// the stream's lock, which cost more than decoding these pictures.
struct Bytes {
    QByteArray data;
    qsizetype at = 0;
};

int readBytes(GifFileType* gif, GifByteType* into, int count) {
    auto* bytes = static_cast<Bytes*>(gif->UserData);
    const qsizetype n = std::clamp<qsizetype>(bytes->data.size() - bytes->at, 0, count);
    std::memcpy(into, bytes->data.constData() + bytes->at, size_t(n));
    bytes->at += n;
    return int(n);
}

// The palette as premultiplied pixels; indexes the table lacks and the
// transparent index are transparent black.
std::array<QRgb, 256> pixelTable(const ColorMapObject& map, int transparent) {
    std::array<QRgb, 256> table{};
    for (int i = 0; i < map.ColorCount && i < 256; ++i)
        table[size_t(i)] = qRgb(map.Colors[i].Red, map.Colors[i].Green, map.Colors[i].Blue);
    if (transparent >= 0 && transparent < 256) table[size_t(transparent)] = 0;
    return table;
}

// The row of the image that the n-th row of the file fills: in order, or
// interlaced in four passes (every 8th from 0, every 8th from 4, every 4th
// from 2, every 2nd from 1).
int rowOf(int n, int height, bool interlaced) {
    if (!interlaced) return n;
    constexpr int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
        const int rows = (height - start[pass] + step[pass] - 1) / step[pass];
        if (n < rows) return start[pass] + n * step[pass];
        n -= rows;
    }
    return -1;
}

}  // namespace

QImage decodeGifPicture(const QString& path, int maxSide, qsizetype maxBytes) {
    QFile file(path);
    // A picture larger than its pixels could ever be compressed into is not one.
    if (!file.open(QIODevice::ReadOnly) || file.size() > maxBytes + 4096) return {};
    Bytes bytes{file.readAll()};
    int error = 0;
    const GifHandle gif(DGifOpen(&bytes, readBytes, &error));
    if (!gif) return {};
    const int width = gif->SWidth, height = gif->SHeight;
    if (width <= 0 || height <= 0 || width > maxSide || height > maxSide ||
        qsizetype(width) * height * 4 > maxBytes)
        return {};
    int transparent = -1;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &type) != GIF_OK) return {};
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* block = nullptr;
            if (DGifGetExtension(gif.get(), &code, &block) != GIF_OK) return {};
            GraphicsControlBlock control{};
            if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4 &&
                DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
                transparent = control.TransparentColor;
            while (block)
                if (DGifGetExtensionNext(gif.get(), &block) != GIF_OK) return {};
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE) return {};  // the file ends without an image
        if (DGifGetImageDesc(gif.get()) != GIF_OK) return {};
        const GifImageDesc& desc = gif->Image;
        const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
        if (!map || desc.Left != 0 || desc.Top != 0 || desc.Width != width || desc.Height != height)
            return {};
        // The compressed stream whole; giflib walks each code's string a
        // byte at a time, which was most of the time spent on a picture.
        std::vector<uint8_t> stream;
        stream.reserve(size_t(bytes.data.size()));
        int codeSize = 0;
        GifByteType* block = nullptr;
        if (DGifGetCode(gif.get(), &codeSize, &block) != GIF_OK) return {};
        while (block) {
            stream.insert(stream.end(), block + 1, block + 1 + block[0]);
            if (DGifGetCodeNext(gif.get(), &block) != GIF_OK) return {};
        }
        std::vector<uint8_t> indexes(size_t(width) * size_t(height));
        if (!decodeLzw(stream, codeSize, indexes)) return {};

        const std::array<QRgb, 256> table = pixelTable(*map, transparent);
        QImage image = newKeptImage(width, height);
        if (image.isNull()) image = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
        if (image.isNull()) return {};
        for (int n = 0; n < height; ++n) {
            const uint8_t* in = indexes.data() + size_t(n) * size_t(width);
            auto* out = reinterpret_cast<QRgb*>(image.scanLine(rowOf(n, height, desc.Interlace)));
            for (int x = 0; x < width; ++x) out[x] = table[in[x]];
        }
        return image;
    }
}

}  // namespace forms
