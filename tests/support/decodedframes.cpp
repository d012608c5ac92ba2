// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/decodedframes.h"

#include <webp/demux.h>

#include <QFile>
#include <QImageReader>

namespace testsupport {

std::vector<DecodedFrame> decodeFrames(const QString& file) {
    std::vector<DecodedFrame> frames;
    if (file.endsWith(".gif")) {
        QImageReader gif(file);
        int time = 0;
        for (QImage frame; !(frame = gif.read()).isNull(); time += gif.nextImageDelay())
            frames.push_back({frame, time});
        return frames;
    }
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) return frames;
    const QByteArray bytes = in.readAll();
    const WebPData data = {reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())};
    WebPAnimDecoderOptions options;
    WebPAnimDecoderOptionsInit(&options);
    options.color_mode = MODE_BGRA;
    WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, &options);
    if (!decoder) return frames;
    WebPAnimInfo info;
    WebPAnimDecoderGetInfo(decoder, &info);
    uint8_t* pixels = nullptr;
    int end = 0, start = 0;
    for (; WebPAnimDecoderHasMoreFrames(decoder) && WebPAnimDecoderGetNext(decoder, &pixels, &end);
         start = end)
        frames.push_back(
            {QImage(pixels, int(info.canvas_width), int(info.canvas_height), QImage::Format_ARGB32).copy(),
             start});
    WebPAnimDecoderDelete(decoder);
    return frames;
}

int decodedLengthMs(const QString& file) {
    if (file.endsWith(".gif")) {
        QImageReader gif(file);
        int time = 0;
        while (!gif.read().isNull()) time += gif.nextImageDelay();
        return time;
    }
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly)) return 0;
    const QByteArray bytes = in.readAll();
    const WebPData data = {reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())};
    WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, nullptr);
    if (!decoder) return 0;
    uint8_t* pixels = nullptr;
    int end = 0;
    while (WebPAnimDecoderHasMoreFrames(decoder) && WebPAnimDecoderGetNext(decoder, &pixels, &end)) {
    }
    WebPAnimDecoderDelete(decoder);
    return end;
}

}  // namespace testsupport
