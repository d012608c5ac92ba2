// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/colourquantiser.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>

namespace pictures {

namespace {

struct Entry {
    std::array<int, 3> channels;
    int64_t count;
};

// A run of entries that will become one palette colour.
struct Box {
    size_t begin;
    size_t end;
};

int channelRange(const std::vector<Entry>& entries, const Box& box, int channel) {
    int low = 255, high = 0;
    for (size_t i = box.begin; i < box.end; ++i) {
        low = std::min(low, entries[i].channels[channel]);
        high = std::max(high, entries[i].channels[channel]);
    }
    return high - low;
}

}  // namespace

std::vector<QRgb> ColourQuantiser::paletteFor(const QImage& image, int maxColours) {
    std::map<QRgb, int64_t> histogram;
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < pixels.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        for (int x = 0; x < pixels.width(); ++x) {
            if (qAlpha(row[x]) >= 128) ++histogram[qRgb(qRed(row[x]), qGreen(row[x]), qBlue(row[x]))];
        }
    }
    std::vector<QRgb> palette;
    if (int(histogram.size()) <= maxColours) {
        for (const auto& [colour, count] : histogram) palette.push_back(colour);
        return palette;
    }

    std::vector<Entry> entries;
    entries.reserve(histogram.size());
    for (const auto& [colour, count] : histogram)
        entries.push_back({{qRed(colour), qGreen(colour), qBlue(colour)}, count});

    // Split the box that holds the most spread weighted by its pixels, at the
    // weighted median of its widest channel, until there are enough boxes.
    std::vector<Box> boxes = {{0, entries.size()}};
    while (int(boxes.size()) < maxColours) {
        int64_t bestScore = -1;
        size_t bestBox = 0;
        int bestChannel = 0;
        for (size_t b = 0; b < boxes.size(); ++b) {
            if (boxes[b].end - boxes[b].begin < 2) continue;
            int64_t pixels = 0;
            for (size_t i = boxes[b].begin; i < boxes[b].end; ++i) pixels += entries[i].count;
            for (int channel = 0; channel < 3; ++channel) {
                const int64_t range = channelRange(entries, boxes[b], channel);
                const int64_t score = range * range * pixels;
                if (score > bestScore) {
                    bestScore = score;
                    bestBox = b;
                    bestChannel = channel;
                }
            }
        }
        if (bestScore <= 0) break;

        const Box box = boxes[bestBox];
        std::sort(entries.begin() + box.begin, entries.begin() + box.end,
                  [bestChannel](const Entry& a, const Entry& b) {
                      if (a.channels[bestChannel] != b.channels[bestChannel])
                          return a.channels[bestChannel] < b.channels[bestChannel];
                      return a.channels < b.channels;
                  });
        int64_t total = 0;
        for (size_t i = box.begin; i < box.end; ++i) total += entries[i].count;
        int64_t running = 0;
        size_t split = box.begin + 1;
        for (size_t i = box.begin; i < box.end - 1; ++i) {
            running += entries[i].count;
            split = i + 1;
            if (2 * running >= total) break;
        }
        boxes[bestBox] = {box.begin, split};
        boxes.insert(boxes.begin() + bestBox + 1, Box{split, box.end});
    }

    for (const Box& box : boxes) {
        std::array<int64_t, 3> sums = {0, 0, 0};
        int64_t pixels = 0;
        for (size_t i = box.begin; i < box.end; ++i) {
            for (int channel = 0; channel < 3; ++channel)
                sums[channel] += entries[i].channels[channel] * entries[i].count;
            pixels += entries[i].count;
        }
        palette.push_back(qRgb(int((sums[0] + pixels / 2) / pixels), int((sums[1] + pixels / 2) / pixels),
                               int((sums[2] + pixels / 2) / pixels)));
    }
    return palette;
}

int ColourQuantiser::nearest(const std::vector<QRgb>& palette, QRgb colour) {
    // Green weighs most and blue least, roughly as the eye sees differences.
    int best = 0;
    int bestDistance = INT32_MAX;
    for (size_t i = 0; i < palette.size(); ++i) {
        const int dr = qRed(palette[i]) - qRed(colour);
        const int dg = qGreen(palette[i]) - qGreen(colour);
        const int db = qBlue(palette[i]) - qBlue(colour);
        const int distance = 2 * dr * dr + 4 * dg * dg + 3 * db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = int(i);
        }
    }
    return best;
}

}  // namespace pictures
