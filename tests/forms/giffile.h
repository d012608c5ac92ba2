// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESTS_FORMS_GIFFILE_H_
#define TESTS_FORMS_GIFFILE_H_

#include <QByteArray>
#include <QRgb>
#include <vector>

namespace formstest {

// How a frame's LZW stream is coded.
enum class GifCodes {
    literals,  // every pixel a root code, 9 bits wide, a clear code every 200
    growing,   // a real dictionary: codes grow to 12 bits, a clear code when the table is full
    deferred,  // the same, but a full table is kept to the end, never cleared
};

// One frame of a GIF made for a test: palette indexes row by row.
struct GifFrame {
    std::vector<uint8_t> pixels;
    int transparentIndex = -1;
    bool interlaced = false;  // rows stored in the four passes of an interlaced GIF
    GifCodes codes = GifCodes::literals;
    int minimumCodeSize = 8;  // for a dictionary; literals are always 8
};

// Encodes a GIF89a with a global palette (at most 256 colours) and the
// given frames, all width x height, each coded as it says.
QByteArray gifFile(int width, int height, const std::vector<QRgb>& palette,
                   const std::vector<GifFrame>& frames);

}  // namespace formstest

#endif  // TESTS_FORMS_GIFFILE_H_
