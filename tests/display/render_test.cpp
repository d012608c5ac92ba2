// SPDX-License-Identifier: GPL-3.0-or-later
// The display window's look, on rendered pixels at the design density of
// 12 twips per pixel.

#include <gtest/gtest.h>

#include <QWidget>

#include "display/nimboform.h"
#include "platform/forms/twips.h"
#include "tests/display/nimbotest.h"
#include "tests/support/casename.h"
#include "ui/designpictures.h"

namespace {

using nimbo::NimboCode;
using nimbo::NimboForm;

constexpr int kWidth = 867;
constexpr int kHeight = 283;
constexpr QRgb kBlack = 0xff000000;
constexpr QRgb kGround = 0xff004000;

QRect basketRect(int i) {
    return QRect(40 + 90 * i, 190, 40, 38);
}
QRect fireRect(int i) {
    return QRect(i == 0 ? 52 : 50 + 90 * i, 190, 15, 15);
}
QRect envelopeRect(int i) {
    return QRect(10 + 90 * i, 10, 120, 184);
}

QImage basketPicture() {
    return forms::loadPicture(QString::fromUtf8(nimbo::kBasketPicture.data(), nimbo::kBasketPicture.size()))
        ->image();
}

class DisplayRenderTest : public nimbotest::NimboTest {
protected:
    void SetUp() override {
        nimbotest::NimboTest::SetUp();
        forms::setTwipsPerPixel(forms::kDesignTwipsPerPixel);
    }

    QImage render() {
        QImage image = NimboForm::instance().render();
        EXPECT_EQ(image.size(), QSize(kWidth, kHeight));
        return image;
    }
};

// Every other nimbo lit: the even ones, or the odd ones.
class DisplayFlameTest : public DisplayRenderTest, public ::testing::WithParamInterface<int> {};

TEST_P(DisplayFlameTest, FlameCoverDarkensTheBurnerAndUncoversItWhenHidden) {
    const int litParity = GetParam();
    NimboForm& form = NimboForm::instance();
    for (int i = litParity; i < 9; i += 2) form.UpdateNimbo(i + 1, 30);
    const QImage image = render();
    const QImage basket = basketPicture();
    ASSERT_EQ(basket.size(), QSize(40, 38));
    for (int i = 0; i < 9; ++i) {
        const bool covered = i % 2 != litParity;
        const QRect fire = fireRect(i);
        int brightest = 0;
        for (int y = fire.top(); y <= fire.bottom(); ++y)
            for (int x = fire.left(); x <= fire.right(); ++x)
                brightest = std::max({brightest, qRed(image.pixel(x, y)), qGreen(image.pixel(x, y))});
        if (covered)
            EXPECT_EQ(brightest, 0) << "nimbo " << i;
        else
            EXPECT_GT(brightest, 200) << "nimbo " << i << ": the painted flame shows";

        // Outside the cover the basket picture shows as it is, in front of the envelope.
        const QRect place = basketRect(i);
        int differing = 0;
        for (int y = 0; y < place.height(); ++y) {
            for (int x = 0; x < place.width(); ++x) {
                const QPoint at = place.topLeft() + QPoint(x, y);
                const QRgb expected = covered && fire.contains(at) ? kBlack : basket.pixel(x, y);
                differing += image.pixel(at) != expected;
            }
        }
        EXPECT_EQ(differing, 0) << "nimbo " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(LitNimbos, DisplayFlameTest, ::testing::Values(0, 1),
                         [](const auto& info) { return info.param ? "Odd" : "Even"; });

// Where two envelopes overlap, an opaque pixel of the higher index wins.
TEST_F(DisplayRenderTest, AdjacentEnvelopesOverlapWithTheHigherIndexInFront) {
    NimboForm& form = NimboForm::instance();
    for (int ch = 1; ch <= 9; ++ch) form.UpdateNimbo(ch, ch % 2 ? 255 : 0);
    const QImage image = render();
    for (int i = 0; i < 8; ++i) {
        const QImage& back = form.Nimbo(i).picture()->image();
        const QImage& front = form.Nimbo(i + 1).picture()->image();
        int frontWins = 0;
        int wrong = 0;
        for (int x = 100 + 90 * i; x <= 129 + 90 * i; ++x) {
            for (int y = 10; y < 190; ++y) {
                const QRgb b = back.pixel(x - envelopeRect(i).left(), y - 10);
                const QRgb f = front.pixel(x - envelopeRect(i + 1).left(), y - 10);
                ASSERT_TRUE(qAlpha(b) == 0 || qAlpha(b) == 255);
                ASSERT_TRUE(qAlpha(f) == 0 || qAlpha(f) == 255);
                const QRgb expected = qAlpha(f) ? f : qAlpha(b) ? b : kBlack;
                wrong += image.pixel(x, y) != expected;
                frontWins += qAlpha(f) && qAlpha(b) && f != b;
            }
        }
        EXPECT_EQ(wrong, 0) << "overlap of " << i << " and " << i + 1;
        EXPECT_GT(frontWins, 100) << "the overlap must tell the two orders apart";
    }
}

TEST_F(DisplayRenderTest, GroundStripWithItsOutlineAndTwoBlackRowsBelow) {
    const QImage image = render();
    EXPECT_EQ(NimboForm::instance().widget()->windowTitle(), "Nimbo Lux");
    EXPECT_FALSE(NimboForm::instance().widget()->windowIcon().isNull());
    int wrong = 0;
    for (int y = 228; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            QRgb expected = kGround;
            if (y < 230 || y > 280) expected = kBlack;              // background around it
            if (y == 230 || y == 280 || x == 0) expected = kBlack;  // its outline
            wrong += image.pixel(x, y) != expected;
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(DisplayRenderTest, UpdatesChangeOnlyEnvelopesAndFlamesAndZeroRestoresTheFirstLook) {
    NimboForm& form = NimboForm::instance();
    const QImage first = render();
    for (int ch = 1; ch <= 9; ++ch) form.UpdateNimbo(ch, 20 * ch + 7);
    const QImage lit = render();
    // Baskets and ground, outside the flame covers, look as before.
    const QRect ground(0, 228, kWidth, kHeight - 228);
    int changed = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const QPoint at(x, y);
            bool basket = false;
            for (int i = 0; i < 9; ++i) basket |= basketRect(i).contains(at) && !fireRect(i).contains(at);
            if (basket || ground.contains(at)) changed += first.pixel(at) != lit.pixel(at);
        }
    }
    EXPECT_EQ(changed, 0);
    EXPECT_NE(first, lit);

    for (int ch = 1; ch <= 9; ++ch) form.UpdateNimbo(ch, 0);
    EXPECT_EQ(render(), first) << "value 0 covers exactly what the load showed";
}

}  // namespace
