// SPDX-License-Identifier: GPL-3.0-or-later
// The generator's writers: GIF and icon files that decode to what was drawn,
// and a palette that does not depend on the order of the pixels.

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>

#include "tests/support/casename.h"
#include "tools/colourquantiser.h"
#include "tools/gifwriter.h"
#include "tools/icowriter.h"

namespace {

// A picture with holes: every seventh pixel transparent.
QImage withHoles(QImage image) {
    image = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((x + y * image.width()) % 7 == 3) image.setPixel(x, y, qRgba(0, 0, 0, 0));
    return image;
}

// `count` different colours, one per pixel, in a row-major square.
QImage distinctColours(int count) {
    const int side = int(std::ceil(std::sqrt(double(count))));
    QImage image(side, side, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int i = 0; i < count; ++i)
        image.setPixel(i % side, i / side,
                       qRgb((i * 37) % 256, (i * 11) % 256, (i / 256 * 64 + i % 7 * 9) % 256));
    return image;
}

QImage gradient(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 255 / (width - 1), y * 255 / (height - 1), 96));
    return image;
}

QImage solid(int width, int height, QRgb colour) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

struct GifCase {
    const char* name;
    std::function<QImage()> picture;
    int maxChannelError;  // 0: every colour comes back exactly
};

class GifRoundTripTest : public testing::TestWithParam<GifCase> {};

TEST_P(GifRoundTripTest, DecodesToTheDrawnPixels) {
    const QImage drawn = GetParam().picture().convertToFormat(QImage::Format_ARGB32);
    QTemporaryDir folder;
    const QString path = folder.filePath("picture.gif");
    QString error;
    ASSERT_TRUE(pictures::GifWriter::write(drawn, path, &error)) << error.toStdString();

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.read(6) == "GIF89a");
    file.close();

    const QImage decoded = QImageReader(path).read().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(decoded.size(), drawn.size());
    int worst = 0;
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            const QRgb want = drawn.pixel(x, y), got = decoded.pixel(x, y);
            const bool wantOpaque = qAlpha(want) >= 128;
            ASSERT_EQ(qAlpha(got), wantOpaque ? 255 : 0) << "at " << x << "," << y;
            if (!wantOpaque) continue;
            worst = std::max({worst, std::abs(qRed(want) - qRed(got)), std::abs(qGreen(want) - qGreen(got)),
                              std::abs(qBlue(want) - qBlue(got))});
        }
    }
    EXPECT_LE(worst, GetParam().maxChannelError);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, GifRoundTripTest,
    testing::Values(GifCase{"one_pixel", [] { return solid(1, 1, qRgb(200, 10, 30)); }, 0},
                    GifCase{"all_transparent", [] { return solid(9, 4, qRgba(0, 0, 0, 0)); }, 0},
                    GifCase{"black_beside_transparent", [] { return withHoles(solid(8, 8, qRgb(0, 0, 0))); },
                            0},
                    // 255 colours fit the palette beside the transparent index.
                    GifCase{"palette_full", [] { return distinctColours(255); }, 0},
                    // 297 colours of which the holes take 42.
                    GifCase{"palette_full_with_holes", [] { return withHoles(distinctColours(297)); }, 0},
                    GifCase{"one_colour_too_many", [] { return distinctColours(256); }, 12},
                    GifCase{"smooth_gradient", [] { return withHoles(gradient(120, 184)); }, 16}),
    [](const testing::TestParamInfo<GifCase>& info) { return info.param.name; });

struct GifFailureCase {
    const char* name;
    QImage picture;
    const char* target;  // relative to a fresh folder
    bool targetExists;
};

class GifFailureTest : public testing::TestWithParam<GifFailureCase> {};

TEST_P(GifFailureTest, ReportsTheFailureAndKeepsWhatWasThere) {
    QTemporaryDir folder;
    const QString path = folder.filePath(GetParam().target);
    if (GetParam().targetExists) {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    QString error;
    EXPECT_FALSE(pictures::GifWriter::write(GetParam().picture, path, &error));
    EXPECT_TRUE(error.contains(path)) << error.toStdString();
    QFile after(path);
    if (GetParam().targetExists) {
        ASSERT_TRUE(after.open(QIODevice::ReadOnly));
        EXPECT_EQ(after.readAll(), "old");
    } else {
        EXPECT_FALSE(after.exists());
    }
}

INSTANTIATE_TEST_SUITE_P(Failures, GifFailureTest,
                         testing::Values(GifFailureCase{"missing_folder", solid(4, 4, qRgb(1, 2, 3)),
                                                        "no/such.gif", false},
                                         GifFailureCase{"null_picture", QImage(), "old.gif", true}),
                         [](const testing::TestParamInfo<GifFailureCase>& info) { return info.param.name; });

TEST(ColourQuantiser, GivesTheSamePaletteWhateverThePixelOrder) {
    const QImage forward = gradient(64, 64);
    QImage backward = forward.mirrored(true, true);
    const auto first = pictures::ColourQuantiser::paletteFor(forward, 255);
    const auto second = pictures::ColourQuantiser::paletteFor(backward, 255);
    EXPECT_EQ(first.size(), 255u);
    EXPECT_TRUE(first == second);
    // Every palette entry is a colour of the picture's range, not of its holes.
    for (QRgb entry : first) EXPECT_EQ(qBlue(entry), 96);
}

struct IconCase {
    const char* name;
    int width;
    int height;
};

class IcoRoundTripTest : public testing::TestWithParam<IconCase> {};

// Mask rows are padded to four bytes; widths that are not multiples of 8 or
// 32 catch a wrong stride.
TEST_P(IcoRoundTripTest, DecodesWithItsMask) {
    QImage drawn(GetParam().width, GetParam().height, QImage::Format_ARGB32);
    for (int y = 0; y < drawn.height(); ++y)
        for (int x = 0; x < drawn.width(); ++x)
            drawn.setPixel(x, y,
                           (x * 3 + y) % 5 == 0 ? qRgba(0, 0, 0, 0) : qRgb(x * 7 % 256, y * 13 % 256, 200));

    QByteArray bytes = pictures::IcoWriter::encode(drawn);
    // The directory entry and the bitmap header agree on size and depth.
    ASSERT_GT(bytes.size(), 22 + 40);
    EXPECT_EQ(uchar(bytes[6]), GetParam().width);
    EXPECT_EQ(uchar(bytes[7]), GetParam().height);
    EXPECT_EQ(bytes.mid(12, 2), bytes.mid(22 + 14, 2));
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "ico");
    const QImage decoded = reader.read().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(decoded.size(), drawn.size()) << reader.errorString().toStdString();
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            const QRgb want = drawn.pixel(x, y);
            if (qAlpha(want) == 0)
                EXPECT_EQ(qAlpha(decoded.pixel(x, y)), 0) << x << "," << y;
            else
                EXPECT_EQ(decoded.pixel(x, y), want) << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, IcoRoundTripTest,
                         testing::Values(IconCase{"window_icon", 20, 17}, IconCase{"one_pixel", 1, 1},
                                         IconCase{"wider_than_a_mask_word", 33, 5}),
                         [](const testing::TestParamInfo<IconCase>& info) { return info.param.name; });

}  // namespace
