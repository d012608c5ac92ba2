// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESTS_FORMS_GIFFILE_H_
#define TESTS_FORMS_GIFFILE_H_

#include <QByteArray>
#include <QRgb>
#include <vector>

namespace formstest {

// One frame of a GIF made for a test: palette indexes row by row.
struct GifFrame {
    std::vector<uint8_t> pixels;
    int transparentIndex = -1;
    bool interlaced = false;  // rows stored in the four passes of an interlaced GIF
};

// Encodes a GIF89a with a global palette (at most 256 colours) and the
// given frames, all width x height. The LZW stream sends a clear code often
// enough that every code stays 9 bits wide, which any decoder reads.
QByteArray gifFile(int width, int height, const std::vector<QRgb>& palette,
                   const std::vector<GifFrame>& frames);

}  // namespace formstest

#endif  // TESTS_FORMS_GIFFILE_H_
