// SPDX-License-Identifier: GPL-3.0-or-later
// Both recorders fed odd frames: sizes from 1 x 1, any colours, any delays,
// stills and changes. Decoded by readers that are not ours (Qt's GIF reader,
// libwebp's animation decoder), a WebP shows every frame exactly for its
// time; a GIF lasts as long as its frames within its 10-ms steps, and a
// picture it may store exactly and shows for a second ends exact.

#include <QFile>
#include <QGuiApplication>
#include <QSet>
#include <algorithm>
#include <vector>

#include "host/recording/recorderfactory.h"
#include "tests/fuzz/fuzzcheck.h"
#include "tests/support/decodedframes.h"

namespace {

struct Given {
    QImage image;
    int ms;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in{data, size};
    const int width = int(in.byte() % 24 + 1), height = int(in.byte() % 24 + 1);
    std::vector<Given> given;
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(Qt::black);
    while (in.at < in.size && given.size() < 24) {
        const unsigned kind = in.byte();
        const int ms = int(in.byte()) * 8 + 1;
        if (kind & 1) {  // a change: a block of pixels from the input, or noise of many colours
            const int x0 = int(in.byte()) % width, y0 = int(in.byte()) % height;
            const unsigned seed = in.byte() | in.byte() << 8;
            for (int y = y0; y < height; ++y)
                for (int x = x0; x < width; ++x) {
                    const unsigned v =
                        (kind & 2) ? (x * 7919u + y * 104729u + seed) * 2654435761u : seed + kind;
                    picture.setPixel(x, y, qRgb(int(v >> 8 & 0xff), int(v >> 16 & 0xff), int(v >> 24)));
                }
        }
        given.push_back({picture.copy(), ms});
    }
    if (given.empty()) return 0;
    int total = 0;
    for (const Given& g : given) total += g.ms;

    static const QString dir = QString::fromStdString(fuzzFolder());
    for (const char* format : {"gif", "webp"}) {
        const QString path = QStringLiteral("%1/recording.%2").arg(dir, QLatin1String(format));
        std::unique_ptr<vexohost::Recorder> recorder = vexohost::RecorderFactory::forPath(path);
        FUZZ_CHECK(recorder->open(path, width, height));
        for (const Given& g : given) FUZZ_CHECK(recorder->addFrame(g.image, g.ms));
        FUZZ_CHECK(recorder->close());
        const std::vector<testsupport::DecodedFrame> frames = testsupport::decodeFrames(path);
        const int length = testsupport::decodedLengthMs(path);
        QFile::remove(path);
        FUZZ_CHECK(!frames.empty());
        for (const auto& f : frames) FUZZ_CHECK(f.image.size() == QSize(width, height));
        if (QByteArray(format) == "webp") {
            FUZZ_CHECK(length == total);
            int from = 0;
            for (const Given& g : given) {
                const int at = from + g.ms / 2;
                from += g.ms;
                const testsupport::DecodedFrame* shown = &frames.front();
                for (const auto& f : frames)
                    if (f.fromMs <= at) shown = &f;
                FUZZ_CHECK(shown->image.convertToFormat(QImage::Format_RGB32) == g.image);
            }
        } else {
            // Every frame ends within half a step of its time, but the last
            // picture always shows, for two steps at least.
            FUZZ_CHECK(std::abs(length - total) <= 25);
            QSet<QRgb> colours;
            const QImage& last = given.back().image;
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x) colours.insert(last.pixel(x, y));
            if (given.back().ms >= 1000 && colours.size() <= 255)
                FUZZ_CHECK(frames.back().image.convertToFormat(QImage::Format_RGB32) == last);
        }
    }
    return 0;
}
