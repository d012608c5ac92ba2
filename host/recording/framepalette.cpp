// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/recording/framepalette.h"

#include <libimagequant.h>

#include <algorithm>
#include <memory>
#include <unordered_map>
#include <utility>

namespace vexohost {
namespace {

constexpr int kMaxColours = 256;

struct AttrDeleter {
    void operator()(liq_attr* a) const { liq_attr_destroy(a); }
};
struct ImageDeleter {
    void operator()(liq_image* i) const { liq_image_destroy(i); }
};
struct ResultDeleter {
    void operator()(liq_result* r) const { liq_result_destroy(r); }
};

size_t hashOf(QRgb colour, size_t buckets) {
    return (colour * 2654435761u >> 8) & (buckets - 1);
}

}  // namespace

bool FramePalette::build(const QRgb* pixels, int width, int height, const QRgb* shown) {
    const size_t count = size_t(width) * size_t(height);
    m_indexes.resize(count);
    m_reduced = false;
    if (indexExactly(pixels, count)) return true;
    m_reduced = true;
    if (!shown) return reduce(pixels, width, height);
    refine(pixels, shown, count);
    return true;
}

void FramePalette::refine(const QRgb* pixels, const QRgb* shown, size_t count) {
    // Each colour's error: the squared distance of what is shown from it,
    // summed over its pixels.
    std::unordered_map<QRgb, double> error;
    for (size_t i = 0; i < count; ++i) {
        if (qAlpha(pixels[i]) == 0) continue;
        const int dr = qRed(pixels[i]) - qRed(shown[i]), dg = qGreen(pixels[i]) - qGreen(shown[i]),
                  db = qBlue(pixels[i]) - qBlue(shown[i]);
        error[pixels[i] | 0xff000000u] += double(dr * dr + dg * dg + db * db);
    }
    std::vector<std::pair<double, QRgb>> worst;
    worst.reserve(error.size());
    for (const auto& [colour, e] : error) worst.emplace_back(e, colour);
    const size_t kept = std::min(worst.size(), size_t(kMaxColours - 1));
    std::partial_sort(worst.begin(), worst.begin() + std::ptrdiff_t(kept), worst.end(),
                      [](const auto& a, const auto& b) {
                          return a.first > b.first || (a.first == b.first && a.second < b.second);
                      });

    m_colours.assign(1, qRgb(0, 0, 0));
    m_transparent = 0;
    std::unordered_map<QRgb, uint8_t> index;
    for (size_t k = 0; k < kept; ++k) {
        index.emplace(worst[k].second, uint8_t(m_colours.size()));
        m_colours.push_back(worst[k].second);
    }
    for (size_t i = 0; i < count; ++i) {
        const auto found = qAlpha(pixels[i]) ? index.find(pixels[i] | 0xff000000u) : index.end();
        m_indexes[i] = found == index.end() ? uint8_t(m_transparent) : found->second;
    }
    padTable();
}

bool FramePalette::indexExactly(const QRgb* pixels, size_t count) {
    m_colours.clear();
    m_transparent = kNoTransparent;
    m_slots.fill(-1);
    for (size_t i = 0; i < count; ++i) {
        const QRgb pixel = pixels[i];
        if (qAlpha(pixel) == 0) {
            if (m_transparent == kNoTransparent) {
                if (int(m_colours.size()) == kMaxColours) return false;
                m_transparent = int(m_colours.size());
                m_colours.push_back(qRgb(0, 0, 0));
            }
            m_indexes[i] = uint8_t(m_transparent);
            continue;
        }
        const QRgb colour = pixel | 0xff000000u;
        size_t at = hashOf(colour, m_slots.size());
        while (m_slots[at] >= 0 && m_keys[at] != colour) at = (at + 1) & (m_slots.size() - 1);
        if (m_slots[at] < 0) {
            if (int(m_colours.size()) == kMaxColours) return false;
            m_keys[at] = colour;
            m_slots[at] = int16_t(m_colours.size());
            m_colours.push_back(colour);
        }
        m_indexes[i] = uint8_t(m_slots[at]);
    }
    padTable();
    return true;
}

bool FramePalette::reduce(const QRgb* pixels, int width, int height) {
    // libimagequant reads RGBA bytes in memory order.
    const size_t count = size_t(width) * size_t(height);
    std::vector<liq_color> rgba(count);
    for (size_t i = 0; i < count; ++i) {
        const QRgb p = pixels[i];
        rgba[i] = {uint8_t(qRed(p)), uint8_t(qGreen(p)), uint8_t(qBlue(p)), uint8_t(qAlpha(p) ? 255 : 0)};
    }
    std::unique_ptr<liq_attr, AttrDeleter> attr(liq_attr_create());
    // Speed 6 rather than the default 4: four passes of the palette's k-means
    // refinement instead of twelve and two trials of its feedback loop
    // instead of twenty. On a frame's rectangle each pass costs more to start
    // and stop on every core than it does work; the demo's recording takes a
    // third less time and its file is 0.1 % larger, the frames as close to the
    // window as the recording tests ask. Faster settings are not (speed 7 and
    // up skip the feedback loop or posterize).
    if (!attr || liq_set_max_colors(attr.get(), kMaxColours) != LIQ_OK ||
        liq_set_speed(attr.get(), 6) != LIQ_OK)
        return false;
    std::unique_ptr<liq_image, ImageDeleter> image(
        liq_image_create_rgba(attr.get(), rgba.data(), width, height, 0));
    if (!image) return false;
    liq_result* raw = nullptr;
    if (liq_image_quantize(image.get(), attr.get(), &raw) != LIQ_OK) return false;
    std::unique_ptr<liq_result, ResultDeleter> result(raw);
    liq_set_dithering_level(result.get(), 0.0f);
    if (liq_write_remapped_image(result.get(), image.get(), m_indexes.data(), m_indexes.size()) != LIQ_OK)
        return false;
    const liq_palette* palette = liq_get_palette(result.get());
    m_colours.clear();
    m_transparent = kNoTransparent;
    for (unsigned k = 0; k < palette->count; ++k) {
        const liq_color& c = palette->entries[k];
        if (c.a == 0 && m_transparent == kNoTransparent) m_transparent = int(k);
        m_colours.push_back(qRgb(c.r, c.g, c.b));
    }
    padTable();
    return true;
}

void FramePalette::padTable() {
    size_t size = 2;
    while (size < m_colours.size()) size *= 2;
    m_colours.resize(size, qRgb(0, 0, 0));
}

}  // namespace vexohost
