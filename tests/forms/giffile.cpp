// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/forms/giffile.h"

#include <map>
#include <utility>

namespace formstest {
namespace {

void put16(QByteArray& out, int value) {
    out.append(char(value & 0xFF));
    out.append(char((value >> 8) & 0xFF));
}

// The codes of an LZW stream, least significant bit first.
class CodeWriter {
public:
    void put(int code, int width) {
        m_buffer |= uint32_t(code) << m_bits;
        m_bits += width;
        while (m_bits >= 8) {
            m_bytes.append(char(m_buffer & 0xFF));
            m_buffer >>= 8;
            m_bits -= 8;
        }
    }
    QByteArray finish() {
        if (m_bits > 0) m_bytes.append(char(m_buffer & 0xFF));
        return m_bytes;
    }

private:
    QByteArray m_bytes;
    uint32_t m_buffer = 0;
    int m_bits = 0;
};

// Every pixel a root: clear = 256, end = 257, codes 9 bits wide.
QByteArray literals(const std::vector<uint8_t>& pixels) {
    CodeWriter out;
    for (size_t i = 0; i < pixels.size(); ++i) {
        if (i % 200 == 0) out.put(256, 9);
        out.put(pixels[i], 9);
    }
    out.put(257, 9);
    return out.finish();
}

// The longest known string, then a code for it and that string plus the
// next pixel, as any GIF encoder does.
QByteArray dictionary(const std::vector<uint8_t>& pixels, int minimumCodeSize, bool clearWhenFull) {
    const int clear = 1 << minimumCodeSize;
    std::map<std::pair<int, uint8_t>, int> codes;  // (string's code, next pixel) -> code
    int next = clear + 2, width = minimumCodeSize + 1;
    CodeWriter out;
    out.put(clear, width);
    int string = -1;
    for (const uint8_t pixel : pixels) {
        if (string < 0) {
            string = pixel;
            continue;
        }
        if (const auto known = codes.find({string, pixel}); known != codes.end()) {
            string = known->second;
            continue;
        }
        out.put(string, width);
        if (next < 4096) {
            codes[{string, pixel}] = next++;
            if (next > (1 << width) && width < 12) ++width;
        } else if (clearWhenFull) {
            out.put(clear, width);
            codes.clear();
            next = clear + 2;
            width = minimumCodeSize + 1;
        }
        string = pixel;
    }
    if (string >= 0) out.put(string, width);
    // A decoder adds an entry for the last code too, and may widen for it.
    if (next == 1 << width && width < 12) ++width;
    out.put(clear + 1, width);
    return out.finish();
}

QByteArray lzw(const GifFrame& frame, const std::vector<uint8_t>& pixels) {
    const bool literal = frame.codes == GifCodes::literals;
    const QByteArray bytes =
        literal ? literals(pixels)
                : dictionary(pixels, frame.minimumCodeSize, frame.codes == GifCodes::growing);
    QByteArray blocks;
    blocks.append(char(literal ? 8 : frame.minimumCodeSize));
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
        out.append(lzw(frame, frame.interlaced ? stored : frame.pixels));
    }
    out.append(char(0x3B));
    return out;
}

}  // namespace formstest
