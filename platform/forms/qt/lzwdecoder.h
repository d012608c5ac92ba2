// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_QT_LZWDECODER_H_
#define PLATFORM_FORMS_QT_LZWDECODER_H_

#include <cstdint>
#include <span>

namespace forms {

// Decodes the LZW stream of one GIF image (its data sub-blocks joined, the
// length bytes left out) into indexes, one byte a pixel, in the order the
// file stores the rows.
//
// Returns true when every index of pixels was written. A stream that ends
// early, names a code not yet defined or does not start a table with a root
// code is refused (false), and pixels hold no meaning then; codes after the
// last pixel are not read, as GIF decoders do.
//
// Every code but a root stands for an earlier string one byte longer, and
// that string already stands in pixels: the table keeps where, and a code is
// decoded by copying it from there rather than by walking its prefix chain
// back a byte at a time.
bool decodeLzw(std::span<const uint8_t> stream, int minimumCodeSize, std::span<uint8_t> pixels);

}  // namespace forms

#endif  // PLATFORM_FORMS_QT_LZWDECODER_H_
