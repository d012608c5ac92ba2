// SPDX-License-Identifier: GPL-3.0-or-later
// The committed pictures, decoded as the windows decode them: the 63 envelope
// files, the envelopes, basket and icon stored with the windows, and a check
// that the generator still draws exactly these bytes.

#include <gtest/gtest.h>

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <array>
#include <cmath>
#include <vector>

#include "platform/com/runtimeerror.h"
#include "platform/forms/picture.h"
#include "tests/support/casename.h"

namespace {

constexpr std::array<const char*, 9> kWords = {"blau",   "gelb", "gruen", "hellblau", "lila",
                                               "orange", "rosa", "rot",   "weiss"};
constexpr std::array<const char*, 7> kCodes = {"000", "001", "020", "040", "060", "080", "100"};
constexpr int kWidth = 120;
constexpr int kHeight = 184;

QString sourcePath(const QString& relative) {
    return QStringLiteral(NIMBO_SOURCE_DIR "/") + relative;
}

QString envelopePath(int colour, int level) {
    return sourcePath(QStringLiteral("images/%1%2.gif").arg(kWords[size_t(colour)], kCodes[size_t(level)]));
}

// Through the system's own picture loader, as the display window reads them.
QImage decode(const QString& path) {
    try {
        return forms::loadPicture(path)->image().convertToFormat(QImage::Format_ARGB32);
    } catch (const com::RuntimeError& error) {
        ADD_FAILURE() << path.toStdString() << ": " << error.what();
        return {};
    }
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool opaque(QRgb pixel) {
    return qAlpha(pixel) >= 128;
}

std::vector<bool> opaqueMask(const QImage& image) {
    std::vector<bool> mask;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) mask.push_back(opaque(image.pixel(x, y)));
    return mask;
}

// Rec. 601 luma of a pixel, 0..255.
double luma(QRgb pixel) {
    return 0.299 * qRed(pixel) + 0.587 * qGreen(pixel) + 0.114 * qBlue(pixel);
}

double meanOpaqueLuma(const QImage& image) {
    double sum = 0.0;
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (!opaque(image.pixel(x, y))) continue;
            sum += luma(image.pixel(x, y));
            ++count;
        }
    }
    return count ? sum / count : 0.0;
}

QColor meanOpaqueColour(const QImage& image) {
    double red = 0, green = 0, blue = 0;
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (!opaque(pixel)) continue;
            red += qRed(pixel);
            green += qGreen(pixel);
            blue += qBlue(pixel);
            ++count;
        }
    }
    if (!count) return QColor();
    return QColor(int(std::lround(red / count)), int(std::lround(green / count)),
                  int(std::lround(blue / count)));
}

struct Lab {
    double l, a, b;
};

// CIE L*a*b* of an sRGB colour, D65 white.
Lab toLab(const QColor& colour) {
    const auto linear = [](double c) {
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    const double r = linear(colour.redF()), g = linear(colour.greenF()), b = linear(colour.blueF());
    const double x = (0.4124 * r + 0.3576 * g + 0.1805 * b) / 0.95047;
    const double y = 0.2126 * r + 0.7152 * g + 0.0722 * b;
    const double z = (0.0193 * r + 0.1192 * g + 0.9505 * b) / 1.08883;
    const auto f = [](double t) {
        return t > 216.0 / 24389.0 ? std::cbrt(t) : (24389.0 / 27.0 * t + 16.0) / 116.0;
    };
    return {116.0 * f(y) - 16.0, 500.0 * (f(x) - f(y)), 200.0 * (f(y) - f(z))};
}

double deltaE76(const QColor& first, const QColor& second) {
    const Lab a = toLab(first), b = toLab(second);
    return std::sqrt((a.l - b.l) * (a.l - b.l) + (a.a - b.a) * (a.a - b.a) + (a.b - b.b) * (a.b - b.b));
}

// Distance between two hues in degrees, 0..180.
int hueDistance(int first, int second) {
    const int d = std::abs(first - second) % 360;
    return d > 180 ? 360 - d : d;
}

const std::vector<bool>& referenceMask() {
    static const std::vector<bool> mask = opaqueMask(decode(envelopePath(0, 0)));
    return mask;
}

// --- the 63 envelope files ---------------------------------------------------

class EnvelopeFileTest : public testing::TestWithParam<std::tuple<int, int>> {};

TEST_P(EnvelopeFileTest, IsA120By184Gif89aWithTheCommonSilhouette) {
    const auto [colour, level] = GetParam();
    const QString path = envelopePath(colour, level);
    EXPECT_TRUE(fileBytes(path).startsWith("GIF89a"));

    const QImage image = decode(path);
    ASSERT_EQ(image.size(), QSize(kWidth, kHeight));
    for (const QPoint corner :
         {QPoint(0, 0), QPoint(kWidth - 1, 0), QPoint(0, kHeight - 1), QPoint(kWidth - 1, kHeight - 1)})
        EXPECT_EQ(qAlpha(image.pixel(corner)), 0) << "corner " << corner.x() << "," << corner.y();
    EXPECT_TRUE(opaqueMask(image) == referenceMask()) << "silhouette differs from blau000.gif";
}

INSTANTIATE_TEST_SUITE_P(AllColoursAndLevels, EnvelopeFileTest,
                         testing::Combine(testing::Range(0, 9), testing::Range(0, 7)),
                         [](const testing::TestParamInfo<std::tuple<int, int>>& info) {
                             return std::string(kWords[size_t(std::get<0>(info.param))]) +
                                    kCodes[size_t(std::get<1>(info.param))];
                         });

TEST(EnvelopeSilhouette, FillsTheWidthAndHangsItsMouthOverTheBasket) {
    const QImage image = decode(envelopePath(0, 6));
    ASSERT_EQ(image.size(), QSize(kWidth, kHeight));
    bool fullWidthRow = false;
    for (int y = 0; y < kHeight; ++y) {
        // One piece per row: no holes, no stray pixels.
        int first = -1, last = -1, count = 0;
        for (int x = 0; x < kWidth; ++x) {
            if (!opaque(image.pixel(x, y))) continue;
            if (first < 0) first = x;
            last = x;
            ++count;
        }
        if (count == 0) {
            EXPECT_LT(y, 3) << "row " << y << " is empty";  // only above the crown
            continue;
        }
        EXPECT_EQ(count, last - first + 1) << "row " << y << " has a gap";
        fullWidthRow = fullWidthRow || count == kWidth;
    }
    EXPECT_TRUE(fullWidthRow);

    // The basket (x 30..69 of the envelope's picture) covers the bottom four
    // rows; the mouth must end there, narrow and over the basket's middle.
    for (int y = kHeight - 4; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (opaque(image.pixel(x, y))) {
                EXPECT_TRUE(x >= 36 && x <= 64) << "mouth pixel at " << x << "," << y;
            }
        }
    }
}

class GlowLevelTest : public testing::TestWithParam<int> {};

TEST_P(GlowLevelTest, BrightnessRisesStrictlyFromUnlitToFullGlow) {
    const int colour = GetParam();
    std::array<double, 7> means{};
    for (int level = 0; level < 7; ++level)
        means[size_t(level)] = meanOpaqueLuma(decode(envelopePath(colour, level)));
    for (int level = 1; level < 7; ++level)
        EXPECT_GT(means[size_t(level)], means[size_t(level - 1)])
            << kCodes[size_t(level)] << " vs " << kCodes[size_t(level - 1)];
    // Unlit is only just visible on the black window; full glow is several
    // times as bright.
    EXPECT_LT(means[0], 40.0);
    EXPECT_GT(means[6], 3.0 * means[0]);
    // Neighbouring levels differ visibly, the two lowest included.
    for (int level = 1; level < 7; ++level) EXPECT_GT(means[size_t(level)] - means[size_t(level - 1)], 3.0);
}

INSTANTIATE_TEST_SUITE_P(EveryColour, GlowLevelTest, testing::Range(0, 9),
                         [](const testing::TestParamInfo<int>& info) { return kWords[size_t(info.param)]; });

// Nine colours a person tells apart at a glance: the mean colours of any two
// full-glow envelopes lie at least 25 apart in CIE ΔE76 (2.3 is the smallest
// visible difference; 25 is a plainly different colour).
TEST(FullGlowColours, ArePairwiseFarApart) {
    constexpr double kMinimumDeltaE = 25.0;
    std::array<QColor, 9> means;
    for (int colour = 0; colour < 9; ++colour)
        means[size_t(colour)] = meanOpaqueColour(decode(envelopePath(colour, 6)));
    for (int a = 0; a < 9; ++a) {
        for (int b = a + 1; b < 9; ++b) {
            EXPECT_GE(deltaE76(means[size_t(a)], means[size_t(b)]), kMinimumDeltaE)
                << kWords[size_t(a)] << " vs " << kWords[size_t(b)];
        }
    }
}

// --- the pictures stored with the windows -------------------------------------

// What each colour word must look like: the hue of the mean colour in degrees
// at full glow and unlit, or -1 for a colour without hue (white).
struct ColourLook {
    int brightHue;
    int dimHue;
};
constexpr std::array<ColourLook, 9> kLooks = {{
    {225, 230},  // blue; very dark navy
    {50, 25},    // yellow; dark red-brown
    {125, 130},  // green; near-black green
    {200, 185},  // light blue; dark teal
    {275, 335},  // violet; near-black maroon
    {25, 20},    // orange; dark red-brown
    {330, 310},  // pink; dark plum
    {0, 0},      // red; very dark red
    {-1, 55},    // cream white; dark olive
}};
constexpr int kHueTolerance = 25;

class DesignEnvelopeTest : public testing::TestWithParam<std::tuple<bool, int>> {};

TEST_P(DesignEnvelopeTest, HasTheSilhouetteAndTheLookOfItsColour) {
    const auto [bright, colour] = GetParam();
    const QString path =
        QStringLiteral(":/ui/%1/%2.gif").arg(bright ? "bright" : "dim", kWords[size_t(colour)]);
    EXPECT_TRUE(fileBytes(path).startsWith("GIF89a"));
    const QImage image = decode(path);
    ASSERT_EQ(image.size(), QSize(kWidth, kHeight));
    EXPECT_TRUE(opaqueMask(image) == referenceMask());

    const QColor mean = meanOpaqueColour(image);
    const ColourLook look = kLooks[size_t(colour)];
    const int hue = bright ? look.brightHue : look.dimHue;
    if (hue < 0) {
        EXPECT_LT(mean.hsvSaturationF(), 0.2) << "white is not white";
    } else {
        EXPECT_LE(hueDistance(mean.hsvHue(), hue), kHueTolerance)
            << "mean colour " << mean.name().toStdString();
    }
    if (bright)
        EXPECT_GT(meanOpaqueLuma(image), 60.0);
    else
        EXPECT_LT(meanOpaqueLuma(image), 40.0);
}

INSTANTIATE_TEST_SUITE_P(DimAndBright, DesignEnvelopeTest,
                         testing::Combine(testing::Bool(), testing::Range(0, 9)),
                         [](const testing::TestParamInfo<std::tuple<bool, int>>& info) {
                             return std::string(std::get<0>(info.param) ? "bright_" : "dim_") +
                                    kWords[size_t(std::get<1>(info.param))];
                         });

TEST(BasketPicture, KeepsTheFlameUnderTheFlameCover) {
    QImageReader reader(QStringLiteral(":/ui/korb.jpg"));
    EXPECT_EQ(reader.format(), "jpeg");
    const QImage basket = reader.read().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(basket.size(), QSize(40, 38));

    // The cover hides x 10..24 (x 12..26 for the first nimbo), y 0..14.
    const QRect covered(12, 0, 13, 15);
    int flamePixels = 0;
    double red = 0, green = 0, blue = 0;
    int bodyPixels = 0;
    for (int y = 0; y < basket.height(); ++y) {
        for (int x = 0; x < basket.width(); ++x) {
            const QRgb pixel = basket.pixel(x, y);
            if (luma(pixel) >= 160.0) {
                ++flamePixels;
                EXPECT_TRUE(covered.contains(x, y)) << "bright pixel at " << x << "," << y;
            } else if (y < 15 && !covered.contains(x, y)) {
                EXPECT_LT(luma(pixel), 100.0) << "flame light beside the cover at " << x << "," << y;
            }
            if (y >= 15 && luma(pixel) > 20.0) {
                red += qRed(pixel);
                green += qGreen(pixel);
                blue += qBlue(pixel);
                ++bodyPixels;
            }
        }
    }
    EXPECT_GE(flamePixels, 10);
    // A yellow-white flame: its brightest pixel is warm and nearly white.
    const QRgb top = basket.pixel(18, 9);
    EXPECT_GT(luma(top), 200.0);
    EXPECT_GE(qRed(top), qBlue(top));
    // The basket below is red-brown wicker.
    ASSERT_GT(bodyPixels, 200);
    EXPECT_GT(red, green);
    EXPECT_GT(green, blue);
}

TEST(WindowIcon, IsAnIconWithTransparencyAndThreeDiscs) {
    const QByteArray bytes = fileBytes(QStringLiteral(":/ui/icon.ico"));
    ASSERT_GE(bytes.size(), 22);
    EXPECT_EQ(bytes.left(4), QByteArray("\0\0\1\0", 4));  // an icon, not a cursor
    EXPECT_EQ(uchar(bytes[12]), 32);                      // 24 bits of colour and the alpha byte

    QImageReader reader(QStringLiteral(":/ui/icon.ico"));
    const QImage icon = reader.read().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(icon.size(), QSize(20, 17)) << reader.errorString().toStdString();
    EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
    EXPECT_EQ(qAlpha(icon.pixel(19, 0)), 0);

    struct Disc {
        QPoint at;
        int hue;
    };
    for (const Disc& disc : {Disc{{10, 2}, 120}, Disc{{2, 12}, 0}, Disc{{17, 12}, 225}}) {
        const QColor colour = QColor::fromRgba(icon.pixel(disc.at));
        EXPECT_EQ(colour.alpha(), 255) << disc.at.x() << "," << disc.at.y();
        EXPECT_LE(hueDistance(colour.hsvHue(), disc.hue), 20) << disc.at.x() << "," << disc.at.y();
    }
}

// --- regeneration -------------------------------------------------------------

QStringList committedFiles() {
    QStringList files;
    for (const char* word : kWords)
        for (const char* code : kCodes) files << QStringLiteral("images/%1%2.gif").arg(word, code);
    for (const char* kind : {"dim", "bright"})
        for (const char* word : kWords) files << QStringLiteral("ui/pictures/%1/%2.gif").arg(kind, word);
    files << "ui/pictures/korb.jpg"
          << "ui/pictures/icon.ico"
          << "docs/contact-sheet.png";
    return files;
}

TEST(Generator, RedrawsTheCommittedFilesByteForByte) {
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    QProcess tool;
    tool.start(QStringLiteral(NIMBO_PICTURES_TOOL),
               {"--images", out.filePath("images"), "--ui-pictures", out.filePath("ui/pictures"),
                "--contact-sheet", out.filePath("docs/contact-sheet.png")});
    ASSERT_TRUE(tool.waitForFinished(120000));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();

    for (const QString& file : committedFiles()) {
        const QByteArray committed = fileBytes(sourcePath(file));
        EXPECT_FALSE(committed.isEmpty()) << file.toStdString() << " is missing";
        EXPECT_TRUE(fileBytes(out.filePath(file)) == committed) << file.toStdString() << " differs";
    }
}

struct CommandCase {
    const char* name;
    QStringList arguments;
    int exitCode;
};

class GeneratorCommandTest : public testing::TestWithParam<CommandCase> {};

TEST_P(GeneratorCommandTest, ExitsWithItsStatus) {
    QProcess tool;
    tool.start(QStringLiteral(NIMBO_PICTURES_TOOL), GetParam().arguments);
    ASSERT_TRUE(tool.waitForFinished(120000));
    EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(tool.exitCode(), GetParam().exitCode) << tool.readAllStandardError().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Commands, GeneratorCommandTest,
    testing::Values(CommandCase{"help", {"--help"}, 0}, CommandCase{"nothing_to_write", {}, 2},
                    // A folder that cannot be made is a failure, never a silent success.
                    CommandCase{"unwritable_folder", {"--images", "/proc/no-such-folder/images"}, 1},
                    CommandCase{
                        "unwritable_sheet", {"--contact-sheet", "/proc/no-such-folder/sheet.png"}, 1}),
    [](const testing::TestParamInfo<CommandCase>& info) { return info.param.name; });

}  // namespace
