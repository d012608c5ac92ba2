// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_RECORDING_FRAMEPALETTE_H_
#define HOST_RECORDING_FRAMEPALETTE_H_

#include <QRgb>
#include <array>
#include <cstdint>
#include <vector>

namespace vexohost {

// The colour table and indexes of one GIF image. A pixel with alpha 0 means
// "keep what is shown" and gets the transparent index; every other pixel is
// opaque. Pictures of at most 256 colours (255 with kept pixels) are indexed
// exactly, so most frames of the display are lossless. A larger set is
// either reduced by libimagequant, or, when the caller says what is shown
// already, refined: the 255 colours that are furthest off, counted over all
// their pixels, are put exactly and every other pixel keeps what it shows.
// Refining a still scene frame by frame makes it exact in a few frames.
// The reduction does not dither: measured on the display's pictures,
// dithering keeps the mean colour but puts more single pixels beyond what
// the eye accepts (ΔE 10), and the refinement that follows a change removes
// the banding that remains.
class FramePalette {
public:
    static constexpr int kNoTransparent = -1;

    // pixels: width * height ARGB values, row by row; shown: what the viewer
    // shows there now, or null to reduce rather than refine. Neither is kept.
    bool build(const QRgb* pixels, int width, int height, const QRgb* shown = nullptr);

    // The colour table in use: 2, 4, ... 256 entries (unused ones black).
    const std::vector<QRgb>& colours() const { return m_colours; }
    const std::vector<uint8_t>& indexes() const { return m_indexes; }
    int transparentIndex() const { return m_transparent; }
    // True when the image was reduced rather than indexed exactly.
    bool reduced() const { return m_reduced; }

private:
    bool indexExactly(const QRgb* pixels, size_t count);
    bool reduce(const QRgb* pixels, int width, int height);
    void refine(const QRgb* pixels, const QRgb* shown, size_t count);
    void padTable();

    std::vector<QRgb> m_colours;
    std::vector<uint8_t> m_indexes;
    int m_transparent = kNoTransparent;
    bool m_reduced = false;
    // Open-addressing table from colour to index for the exact path.
    std::array<uint32_t, 1024> m_keys{};
    std::array<int16_t, 1024> m_slots{};
};

}  // namespace vexohost

#endif  // HOST_RECORDING_FRAMEPALETTE_H_
