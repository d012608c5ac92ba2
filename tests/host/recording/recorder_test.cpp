// SPDX-License-Identifier: GPL-3.0-or-later
// Both recorders, their files decoded by readers that are not ours: frames
// of any size and colour count come back as they were given, for as long as
// they were given, and a recording that fails leaves nothing under its name.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <vector>

#include "host/recording/recorderfactory.h"
#include "tests/support/casename.h"
#include "tests/support/decodedframes.h"

namespace vexohost {
namespace {

// A frame of `colours` different colours (then repeated), shifted by `seed`.
QImage frame(int width, int height, int colours, int seed) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int i = (y * width + x + seed) % colours;
            image.setPixel(x, y, qRgb(i % 256, (i * 37) % 256, i / 256 * 13));
        }
    return image;
}

// The largest squared RGB distance between two pictures of one size.
int farthest(const QImage& decoded, const QImage& given) {
    const QImage a = decoded.convertToFormat(QImage::Format_RGB32);
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = given.pixel(x, y);
            const int dr = qRed(p) - qRed(q), dg = qGreen(p) - qGreen(q), db = qBlue(p) - qBlue(q);
            worst = std::max(worst, dr * dr + dg * dg + db * db);
        }
    return worst;
}

struct Given {
    QImage image;
    int ms;
};

struct Recording {
    const char* name;
    int width, height, colours;
    // A frame each, ms apart; a seed again is the same picture. Each
    // recording changes at least once (a picture that never changes is
    // written by libwebp as a still image, without a length).
    std::vector<int> seeds;
    int ms = 200;
};

std::vector<int> alternating(int count) {
    std::vector<int> seeds(size_t(count), 0);
    for (size_t k = 1; k < seeds.size(); k += 2) seeds[k] = 1;
    return seeds;
}

class Recorders : public testing::TestWithParam<std::tuple<const char*, Recording>> {};

// Every moment of the recording shows the frame given for it, and the file
// lasts as long as the frames given (a GIF within half its 10-ms step,
// however many frames): exactly when its colours fit a table (always in
// WebP); a reduced GIF picture, once a still window has had a few frames to
// put it right, exactly too.
TEST_P(Recorders, EveryMomentShowsItsFrame) {
    const auto& [format, r] = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.") + format);
    std::unique_ptr<Recorder> recorder = RecorderFactory::forPath(path);
    ASSERT_TRUE(recorder->open(path, r.width, r.height)) << recorder->error().toStdString();
    std::vector<Given> given;
    for (int seed : r.seeds) {
        given.push_back({frame(r.width, r.height, r.colours, seed), r.ms});
        ASSERT_TRUE(recorder->addFrame(given.back().image, r.ms)) << recorder->error().toStdString();
    }
    ASSERT_TRUE(recorder->close()) << recorder->error().toStdString();

    const std::vector<testsupport::DecodedFrame> frames = testsupport::decodeFrames(path);
    ASSERT_FALSE(frames.empty());
    EXPECT_NEAR(testsupport::decodedLengthMs(path), r.ms * int(r.seeds.size()), 5);
    // What shows in the middle of each given frame's time (a GIF's frames
    // change only on its 10-ms steps).
    for (size_t k = 0; k < given.size(); ++k) {
        const int at = r.ms * int(k) + r.ms / 2;
        const testsupport::DecodedFrame* shown = &frames.front();
        for (const testsupport::DecodedFrame& f : frames)
            if (f.fromMs <= at) shown = &f;
        ASSERT_EQ(shown->image.size(), QSize(r.width, r.height));
        // A reduced picture is put right by 255 colours a frame.
        size_t still = 1;
        while (still <= k && r.seeds[k - still] == r.seeds[k]) ++still;
        if (r.colours <= 256 || std::string(format) == "webp" || int(still) > r.colours / 255 + 1) {
            EXPECT_EQ(farthest(shown->image, given[k].image), 0) << "frame " << k;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Recorders,
    testing::Combine(
        testing::Values("gif", "webp"),
        testing::Values(Recording{"onePixel", 1, 1, 2, {0, 1, 1, 0}},
                        Recording{"oddSize", 3, 7, 5, {0, 1, 2, 3}},
                        Recording{"all256Colours", 17, 31, 256, {0, 5, 5, 9}},
                        // One colour too many for a table: reduced, then put right while still.
                        Recording{"257Colours", 29, 13, 257, {0, 0, 0, 0, 0, 3}},
                        Recording{"manyColours", 64, 40, 2560, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
                        Recording{"stillWindow", 40, 20, 9, {4, 4, 4, 4, 5, 5, 5, 5, 5}},
                        // 33 ms a frame, 3.3 of the GIF's steps: 100 frames last 3.3 s, not 3 s.
                        Recording{"framesBetweenSteps", 8, 8, 4, alternating(100), 33})),
    [](const auto& info) {
        return std::string(std::get<0>(info.param)) + "_" + std::get<1>(info.param).name;
    });

// The disk fills in the middle of a recording: the failure says why, and
// neither a half-written file nor a temporary one is left; an earlier
// recording of that name stays.
TEST(Recorders, AWriteFailureInTheMiddleLeavesTheEarlierFile) {
    for (const char* format : {"gif", "webp"}) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("out.") + format);
        {
            QFile earlier(path);
            ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
            earlier.write("earlier");
        }
        std::unique_ptr<Recorder> recorder = RecorderFactory::forPath(path);
        ASSERT_TRUE(recorder->open(path, 120, 90));
        // From now on no file of this process may grow past 4 KB.
        rlimit before{};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
        const rlimit small{4096, before.rlim_max};
        const sighandler_t handler = ::signal(SIGXFSZ, SIG_IGN);
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
        bool ok = true;
        for (int k = 0; k < 40 && ok; ++k) ok = recorder->addFrame(frame(120, 90, 4000, k * 7), 100);
        ok = ok && recorder->close();
        ::setrlimit(RLIMIT_FSIZE, &before);
        ::signal(SIGXFSZ, handler);
        EXPECT_FALSE(ok) << format;
        EXPECT_TRUE(recorder->error().contains(QStringLiteral("File too large")))
            << format << ": " << recorder->error().toStdString();
        recorder->abort();
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), QByteArray("earlier")) << format;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1) << format;
    }
}

}  // namespace
}  // namespace vexohost
