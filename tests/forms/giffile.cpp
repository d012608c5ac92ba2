// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/forms/giffile.h"

#include <utility>

namespace formstest {
namespace {

void put16(QByteArray& out, int value) {
    out.append(char(value & 0xFF));
    out.append(char((value >> 8) & 0xFF));
}

// LZW with 8-bit literals: clear = 256, end = 257, codes 9 bits wide.
QByteArray lzw(const std::vector<uint8_t>& pixels) {
    QByteArray bytes;
    uint32_t buffer = 0;
    int bits = 0;
    const auto putCode = [&](int code) {
        buffer |= uint32_t(code) << bits;
        bits += 9;
        while (bits >= 8) {
            bytes.append(char(buffer & 0xFF));
            buffer >>= 8;
            bits -= 8;
        }
    };
    for (size_t i = 0; i < pixels.size(); ++i) {
        if (i % 200 == 0) putCode(256);
        putCode(pixels[i]);
    }
    putCode(257);
    if (bits > 0) bytes.append(char(buffer & 0xFF));
    QByteArray blocks;
    blocks.append(char(8));  // minimum code size
    for (qsizetype at = 0; at < bytes.size(); at += 255) {
        const QByteArray block = bytes.mid(at, 255);
        blocks.append(char(block.size()));
        blocks.append(block);
    }
    blocks.append(char(0));
    return blocks;
}

}  // namespace

QByteArray gifFile(int width, int height, const std::vector<QRgb>& palette,
                   const std::vector<GifFrame>& frames) {
    QByteArray out("GIF89a");
    put16(out, width);
    put16(out, height);
    out.append(char(0xF7));  // global palette of 256 entries
    out.append(char(0));
    out.append(char(0));
    for (int i = 0; i < 256; ++i) {
        const QRgb rgb = i < int(palette.size()) ? palette[size_t(i)] : 0;
        out.append(char(qRed(rgb)));
        out.append(char(qGreen(rgb)));
        out.append(char(qBlue(rgb)));
    }
    for (const GifFrame& frame : frames) {
        out.append("\x21\xF9\x04", 3);  // graphic control extension
        out.append(char(frame.transparentIndex >= 0 ? 0x05 : 0x04));
        put16(out, 10);
        out.append(char(frame.transparentIndex >= 0 ? frame.transparentIndex : 0));
        out.append(char(0));
        out.append(char(0x2C));  // image descriptor
        put16(out, 0);
        put16(out, 0);
        put16(out, width);
        put16(out, height);
        out.append(char(frame.interlaced ? 0x40 : 0));
        std::vector<uint8_t> stored;
        if (frame.interlaced) {
            for (const auto& [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
                for (int y = start; y < height; y += step)
                    stored.insert(stored.end(), frame.pixels.begin() + y * width,
                                  frame.pixels.begin() + (y + 1) * width);
        }
        out.append(lzw(frame.interlaced ? stored : frame.pixels));
    }
    out.append(char(0x3B));
    return out;
}

}  // namespace formstest
