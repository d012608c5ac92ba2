// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/picture.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/com/runtimeerror.h"
#include "platform/forms/qt/gifpicture.h"
#include "platform/forms/qt/pictureblocks.h"
#include "tests/forms/giffile.h"
#include "tests/support/casename.h"

namespace {

using formstest::gifFile;

class LoadPictureTest : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    QTemporaryDir m_dir;
};

// A 4 x 3 picture: red, green, blue and a transparent colour.
QByteArray smallGif() {
    formstest::GifFrame frame{{0, 1, 2, 3, 3, 0, 1, 2, 2, 3, 0, 1}, 3};
    return gifFile(4, 3, {qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(0, 0, 255), qRgb(9, 9, 9)}, {frame});
}

TEST_F(LoadPictureTest, DecodesFirstFrameWithTransparencyPremultiplied) {
    const formstest::GifFrame first{std::vector<uint8_t>(12, 0), 3};
    formstest::GifFrame second{std::vector<uint8_t>(12, 1), -1};
    const QString path = write("two.gif", gifFile(4, 3, {qRgb(255, 0, 0), qRgb(0, 255, 0)}, {first, second}));
    const QString transparent = write("small.gif", smallGif());

    const com::ComPtr<forms::Picture> animated = forms::loadPicture(path);
    EXPECT_EQ(animated->image().pixel(2, 2), qRgb(255, 0, 0)) << "the first frame, not the last";

    const com::ComPtr<forms::Picture> picture = forms::loadPicture(transparent);
    EXPECT_EQ(picture->size(), QSize(4, 3));
    EXPECT_EQ(picture->image().format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(picture->image().pixel(1, 0), qRgb(0, 255, 0));
    EXPECT_EQ(qAlpha(picture->image().pixel(3, 0)), 0);
    int32_t width = 0, height = 0;
    EXPECT_EQ(picture->get_Width(&width), com::S_OK);
    EXPECT_EQ(picture->get_Height(&height), com::S_OK);
    EXPECT_EQ(QSize(width, height), QSize(4, 3));
}

// Pictures come out exactly as Qt's own reader decodes the file, converted
// to the format pictures are kept in: the display's 63 and made-up ones,
// coded as real encoders code them. Each is decoded by the plain-GIF path
// itself, not by the fallback to Qt's reader, which would agree trivially.
struct Decoded {
    const char* name;
    int width, height;
    std::vector<formstest::GifFrame> frames;
};

class LoadPictureAsQt : public testing::TestWithParam<Decoded> {};

std::vector<uint8_t> ramp(int n) {
    std::vector<uint8_t> pixels(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) pixels[size_t(i)] = uint8_t((i * 7) % 5);
    return pixels;
}

// Indexes below colours, runs of one index up to maxRun long: noise for
// runs of 1, and strings longer than a chunk and than the table for long ones.
std::vector<uint8_t> runs(int n, int colours, int maxRun) {
    std::vector<uint8_t> pixels;
    uint32_t seed = 12345;
    while (int(pixels.size()) < n) {
        seed = seed * 1103515245 + 12345;
        const int run = 1 + int((seed >> 8) % uint32_t(maxRun));
        pixels.insert(pixels.end(), size_t(std::min(run, n - int(pixels.size()))),
                      uint8_t((seed >> 20) % uint32_t(colours)));
    }
    return pixels;
}

QImage fastPath(const QString& path) {
    return forms::decodeGifPicture(path, forms::kMaxPictureSide,
                                   qsizetype(forms::kMaxPictureMegabytes) << 20);
}

TEST_P(LoadPictureAsQt, SamePixels) {
    QTemporaryDir dir;
    const QString path = dir.filePath("p.gif");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const std::vector<QRgb> palette = {qRgb(200, 10, 10), qRgb(10, 200, 10), qRgb(10, 10, 200), qRgb(1, 2, 3),
                                       qRgb(250, 250, 250)};
    file.write(gifFile(GetParam().width, GetParam().height, palette, GetParam().frames));
    file.close();
    const QImage qt = QImage(path).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    ASSERT_FALSE(qt.isNull());
    EXPECT_EQ(fastPath(path), qt);
    EXPECT_EQ(forms::loadPicture(path)->image(), qt);
}

using formstest::GifCodes;

INSTANTIATE_TEST_SUITE_P(
    Table, LoadPictureAsQt,
    testing::Values(
        Decoded{"opaque", 5, 3, {{ramp(15)}}}, Decoded{"transparent", 6, 4, {{ramp(24), 3}}},
        Decoded{"interlaced", 7, 11, {{ramp(77), 3, true}}},
        Decoded{"interlacedOneRow", 9, 1, {{ramp(9), -1, true}}},
        Decoded{"firstOfTwoFrames", 4, 4, {{ramp(16), 0}, {std::vector<uint8_t>(16, 4)}}},
        // Codes widen to 12 bits and the full table is cleared, again and again.
        Decoded{"noiseClearedWhenFull", 300, 200, {{runs(60000, 256, 1), -1, false, GifCodes::growing}}},
        // A full table kept to the end: no more entries, codes stay 12 bits.
        Decoded{"noiseTableKept", 300, 200, {{runs(60000, 256, 1), -1, false, GifCodes::deferred}}},
        // A code met before it is defined, strings longer than a chunk.
        Decoded{"longRuns", 250, 90, {{runs(22500, 5, 400), 2, false, GifCodes::growing}}},
        Decoded{"periodic", 64, 64, {{ramp(4096), -1, false, GifCodes::deferred}}},
        Decoded{"twoBitCodes", 40, 30, {{runs(1200, 4, 6), -1, true, GifCodes::growing, 2}}},
        Decoded{"onePixel", 1, 1, {{{3}, -1, false, GifCodes::growing}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LoadPictureDisplayPictures, EachAsQtDecodesIt) {
    const QDir images(QStringLiteral(NIMBO_IMAGES));
    const QStringList names = images.entryList({QStringLiteral("*.gif")});
    ASSERT_EQ(names.size(), 63);
    for (const QString& name : names) {
        const QImage qt = QImage(images.filePath(name)).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        EXPECT_EQ(fastPath(images.filePath(name)), qt) << name.toStdString();
        EXPECT_EQ(forms::loadPicture(images.filePath(name))->image(), qt) << name.toStdString();
    }
}

TEST_F(LoadPictureTest, LoadsFromResources) {
    const com::ComPtr<forms::Picture> picture = forms::loadPicture(":/forms_test/dot.xpm");
    ASSERT_TRUE(picture);
    EXPECT_EQ(picture->size(), QSize(3, 2));
    EXPECT_EQ(qAlpha(picture->image().pixel(1, 0)), 0);
    EXPECT_EQ(picture->image().pixel(0, 0), qRgb(255, 0, 0));
}

TEST_F(LoadPictureTest, EmptyPathGivesNoPicture) {
    EXPECT_FALSE(forms::loadPicture(QString()));
}

struct Failure {
    const char* label;
    int number;
};

class LoadPictureFailureTest : public LoadPictureTest, public ::testing::WithParamInterface<Failure> {
protected:
    // Prepares the case and returns the path to load.
    QString prepare(const std::string& label) {
        if (label == "missing file") return m_dir.filePath("gruen040.gif");
        if (label == "missing folder") return m_dir.filePath("images/gruen040.gif");
        if (label == "missing resource") return ":/forms_test/none.gif";
        if (label == "folder") {
            QDir(m_dir.path()).mkdir("images");
            return m_dir.filePath("images");
        }
        if (label == "text file") return write("notes.gif", "this is not a picture\n");
        if (label == "fifo") {
            // Nobody writes to it: reading it would wait for ever.
            const QString fifo = m_dir.filePath("fifo.gif");
            EXPECT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
            return fifo;
        }
        if (label == "device") return QStringLiteral("/dev/zero");
        if (label == "symlink loop") {
            const QString loop = m_dir.filePath("loop.gif");
            EXPECT_TRUE(QFile::link(loop, loop));
            return loop;
        }
        if (label == "empty file") return write("empty.gif", {});
        if (label == "truncated gif") return write("cut.gif", smallGif().left(40));
        if (label == "absurd size") {
            // A valid header announcing 65535 x 65535 pixels, then nothing.
            QByteArray bytes = smallGif();
            bytes[6] = bytes[7] = bytes[8] = bytes[9] = char(0xFF);
            return write("huge.gif", bytes);
        }
        ADD_FAILURE() << "unknown case " << label;
        return {};
    }
};

TEST_P(LoadPictureFailureTest, RaisesTheFileErrorNamingThePath) {
    const QString path = prepare(GetParam().label);
    try {
        forms::loadPicture(path);
        FAIL() << "no error for " << GetParam().label;
    } catch (const com::RuntimeError& error) {
        EXPECT_EQ(error.number(), GetParam().number);
        EXPECT_NE(error.description().find(path.toStdString()), std::string::npos) << error.description();
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, LoadPictureFailureTest,
                         ::testing::Values(Failure{"missing file", 53}, Failure{"missing folder", 76},
                                           Failure{"missing resource", 53}, Failure{"folder", 75},
                                           Failure{"text file", 481}, Failure{"empty file", 481},
                                           Failure{"truncated gif", 481}, Failure{"absurd size", 481},
                                           Failure{"fifo", 75}, Failure{"device", 75},
                                           Failure{"symlink loop", 75}),
                         [](const auto& info) {
                             std::string name = info.param.label;
                             for (char& c : name)
                                 if (c == ' ') c = '_';
                             return name;
                         });

TEST_F(LoadPictureTest, EachLoadMakesItsOwnObjectThatHoldersShare) {
    const QString path = write("small.gif", smallGif());
    const com::ComPtr<forms::Picture> first = forms::loadPicture(path);
    const com::ComPtr<forms::Picture> second = forms::loadPicture(path);
    EXPECT_NE(first.get(), second.get());
    com::ComPtr<forms::Picture> holder = first;
    EXPECT_EQ(holder.get(), first.get());
    EXPECT_EQ(first->AddRef(), 3u);
    first->Release();
}

// Pictures share blocks of memory: however they come and go, each keeps its
// own pixels, and a block is filled again only once nothing in it is left.
TEST(KeptImages, EachKeepsItsPixelsWhileOthersComeAndGo) {
    struct Size {
        int width, height;
        bool kept;
    };
    for (const Size& size : {Size{120, 184, true}, Size{1, 1, true}, Size{362, 362, true},  // 512 KB at most
                             Size{363, 362, false}, Size{0, 10, false}, Size{10, -1, false}})
        EXPECT_EQ(!forms::newKeptImage(size.width, size.height).isNull(), size.kept)
            << size.width << " x " << size.height;

    std::vector<QImage> images;
    auto add = [&](int count, int width, int height) {
        for (int i = 0; i < count; ++i) {
            QImage image = forms::newKeptImage(width, height);
            ASSERT_FALSE(image.isNull());
            image.fill(QColor::fromRgb(QRgb(0xff000000u | uint(images.size()))));
            images.push_back(image);
        }
    };
    auto intact = [&] {
        for (size_t k = 0; k < images.size(); ++k) {
            if (images[k].isNull()) continue;
            for (int y = 0; y < images[k].height(); ++y)
                for (int x = 0; x < images[k].width(); ++x)
                    if (images[k].pixel(x, y) != (0xff000000u | uint(k))) return false;
        }
        return true;
    };
    add(63, 120, 184);  // three blocks
    const QImage copy = images[5];
    for (size_t k = 0; k < images.size(); k += 2) images[k] = QImage();
    add(40, 120, 184);
    add(30, 17, 3);
    EXPECT_TRUE(intact());
    EXPECT_EQ(copy.pixel(0, 0), 0xff000005u);  // a copy shares the pixels and keeps them
    images.clear();
    add(63, 120, 184);  // from the spare blocks
    EXPECT_TRUE(intact());
}

}  // namespace
