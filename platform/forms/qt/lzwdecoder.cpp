// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/qt/lzwdecoder.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace forms {
namespace {

constexpr uint32_t kMaxCodes = 4096;  // codes are at most 12 bits wide
constexpr size_t kChunk = 16;         // strings up to this long are copied in one move

// The string a code stands for: a root's byte, or where it was first written.
struct Entry {
    const uint8_t* from;
    size_t length;
};

// The root codes' strings, one byte each, with room to read a chunk from any.
constexpr auto kRoots = [] {
    std::array<uint8_t, 256 + kChunk> roots{};
    for (size_t i = 0; i < 256; ++i) roots[i] = uint8_t(i);
    return roots;
}();

}  // namespace

bool decodeLzw(std::span<const uint8_t> stream, int minimumCodeSize, std::span<uint8_t> pixels) {
    if (minimumCodeSize < 2 || minimumCodeSize > 8) return false;
    const uint32_t clear = 1u << minimumCodeSize;
    const uint8_t* in = stream.data();
    const uint8_t* const inEnd = in + stream.size();
    uint8_t* const out = pixels.data();
    const size_t total = pixels.size();

    std::array<Entry, kMaxCodes> table;
    for (uint32_t code = 0; code < clear; ++code) table[code] = {kRoots.data() + code, 1};
    uint32_t codeSize = 0, next = 0;
    auto restart = [&] {
        codeSize = uint32_t(minimumCodeSize) + 1;
        next = clear + 2;
    };
    restart();
    uint64_t bits = 0;
    uint32_t bitCount = 0;
    // The string the previous code wrote; none after a clear code.
    size_t previous = 0, previousLength = 0;
    size_t at = 0;
    while (at < total) {
        while (bitCount < codeSize) {
            if (in == inEnd) return false;
            bits |= uint64_t(*in++) << bitCount;
            bitCount += 8;
        }
        const uint32_t code = uint32_t(bits) & ((1u << codeSize) - 1);
        bits >>= codeSize;
        bitCount -= codeSize;

        const size_t room = total - at;
        size_t length = 0;
        if (code < next) {
            if (code - clear <= 1) {              // the clear code or the end code
                if (code != clear) return false;  // the end, before the last pixel
                restart();
                previousLength = 0;
                continue;
            }
            length = table[code].length;
            if (length <= kChunk && room >= kChunk) {
                // Whole chunks, read before written: the bytes past the string
                // are written again by the codes that follow. A chunk read from
                // the output ends at most kChunk past here, inside it.
                std::array<uint8_t, kChunk> chunk;
                std::memcpy(chunk.data(), table[code].from, kChunk);
                std::memcpy(out + at, chunk.data(), kChunk);
            } else {
                std::memcpy(out + at, table[code].from, std::min(length, room));
            }
        } else if (code == next && previousLength != 0) {
            // The code being defined: the previous string and its own first byte.
            length = previousLength + 1;
            std::memcpy(out + at, out + previous, std::min(previousLength, room));
            if (previousLength < room) out[at + previousLength] = out[previous];
        } else {
            return false;  // not defined yet, or a table that starts with no root
        }
        if (previousLength != 0 && next < kMaxCodes) {
            // The previous string and this one's first byte, which follows it.
            table[next] = {out + previous, previousLength + 1};
            ++next;
            if (next == 1u << codeSize && codeSize < 12) ++codeSize;
        }
        previous = at;
        previousLength = length;
        at += std::min(length, room);
    }
    return true;
}

}  // namespace forms
