// SPDX-License-Identifier: GPL-3.0-or-later
// The controls on a form: painting on rendered pixels, densities, coalesced
// repaints, lists, focus order and keys.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPaintEvent>
#include <QPushButton>
#include <QRegion>
#include <QTest>
#include <QWidget>

#include "tests/forms/printers.h"
#include "tests/forms/testform.h"
#include "tests/support/casename.h"

namespace formtest {
namespace {

// Painting, on rendered pixels at 12 twips per pixel.
TEST_F(FormTest, PaintsBackgroundThenControlsBackToFront) {
    form->Pics(0).setPicture(solid({10, 10}, qRgb(255, 0, 0), {{1, 1}, {7, 7}}));
    form->Pics(1).setPicture(nullptr);
    form->Pics(3).setPicture(solid({10, 10}, qRgb(255, 255, 255)));
    const QImage image = form->render();

    struct Probe {
        QPoint at;
        QRgb colour;
        const char* why;
    };
    const Probe probes[] = {
        {{2, 2}, qRgb(255, 0, 0), "front image over everything"},
        {{1, 1}, qRgb(0, 0, 255), "transparent pixel with nothing behind shows the background"},
        {{7, 7}, qRgb(0, 255, 0), "transparent pixel shows the shape behind"},
        {{12, 5}, qRgb(0, 255, 0), "shape listed before the image lies in front of it"},
        {{14, 5}, qRgb(0, 0, 0), "one-pixel black outline, right edge"},
        {{12, 9}, qRgb(0, 0, 0), "one-pixel black outline, bottom edge"},
        {{12, 12}, qRgb(255, 255, 255), "back image where nothing covers it"},
        {{15, 5}, qRgb(0, 0, 255), "right of the shape"},
        {{22, 2}, qRgb(0, 0, 255), "a hidden shape is not painted"},
    };
    for (const Probe& probe : probes)
        EXPECT_EQ(image.pixel(probe.at), probe.colour)
            << probe.why << " at " << probe.at.x() << "," << probe.at.y();
}

TEST_F(FormTest, ShowingAHiddenShapePaintsItAgainInTheSamePlace) {
    const QImage shown = form->render();
    form->Cover->setVisible(false);
    EXPECT_EQ(form->render().pixel(12, 5), qRgb(0, 0, 255));
    form->Cover->setVisible(true);
    EXPECT_EQ(form->render(), shown);
}

TEST_F(FormTest, ImageTakesThePictureSizeAndKeepsItsPlace) {
    form->Pics(0).setPicture(solid({30, 20}, qRgb(255, 0, 0)));
    EXPECT_EQ(form->Pics(0).geometry(), QRect(0, 0, 30, 20));
    form->Pics(0).setPicture(nullptr);
    EXPECT_FALSE(form->Pics(0).picture());
    EXPECT_EQ(form->Pics(0).geometry().topLeft(), QPoint(0, 0));
}

TEST_F(FormTest, PictureBoxChildrenSitInsideItsBorder) {
    form->Inner->setPicture(solid({4, 4}, qRgb(255, 0, 0)));
    const QImage image = form->render();
    const int inner = forms::PictureBox::kBorder;
    EXPECT_EQ(image.pixel(0 + inner + 1, 40 + inner + 1), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(0 + inner, 40 + inner), qRgb(200, 200, 200)) << "box background left of the child";
    EXPECT_NE(image.pixel(0, 40), qRgb(200, 200, 200)) << "border";
}

TEST_F(FormTest, SharedPictureIsTheSameObjectInEveryHolder) {
    const com::ComPtr<forms::Picture> picture = solid({10, 10}, qRgb(1, 1, 1));
    form->Pics(0).setPicture(picture);
    form->Pics(3).setPicture(picture);
    EXPECT_EQ(form->Pics(0).picture().get(), picture.get());
    EXPECT_EQ(form->Pics(3).picture().get(), form->Pics(0).picture().get());
}

struct DensityCase {
    int twipsPerPixel;
    QSize client;
    QPoint shape;
};

void PrintTo(const DensityCase& c, std::ostream* out) {
    *out << c.twipsPerPixel << " twips per pixel";
}
class DensityTest : public FormTest, public ::testing::WithParamInterface<DensityCase> {};

TEST_P(DensityTest, TwipsScaleWhilePicturesKeepTheirPixels) {
    forms::setTwipsPerPixel(GetParam().twipsPerPixel);
    form->Pics(3).setPicture(solid({10, 10}, qRgb(255, 255, 255)));
    EXPECT_EQ(form->widget()->size(), GetParam().client);
    EXPECT_EQ(form->Hidden->geometry().topLeft(), GetParam().shape);
    EXPECT_EQ(form->Pics(3).geometry().size(), QSize(10, 10));
    EXPECT_EQ(form->render().size(), GetParam().client);

    // A form loaded at one density keeps it until it is loaded again.
    forms::setTwipsPerPixel(forms::kDesignTwipsPerPixel);
    EXPECT_EQ(form->widget()->size(), GetParam().client);
    form->unload();
    form->load();
    EXPECT_EQ(form->widget()->size(), QSize(150, 90));
}

INSTANTIATE_TEST_SUITE_P(Densities, DensityTest,
                         ::testing::Values(DensityCase{12, {150, 90}, {20, 0}},
                                           DensityCase{15, {120, 72}, {16, 0}},
                                           DensityCase{6, {300, 180}, {40, 0}}),
                         testsupport::CaseName());

// Repaints of a shown window are coalesced into one.
class PaintCounter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
            region += static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }
    int paints = 0;
    QRegion region;
};

TEST_F(FormTest, ChangesOnAShownWindowRepaintOnceAndOnlyTheirArea) {
    form->show();
    QCoreApplication::processEvents();
    PaintCounter counter;
    form->widget()->installEventFilter(&counter);
    form->Pics(0).setPicture(solid({10, 10}, qRgb(255, 0, 0)));
    form->Hidden->setVisible(true);
    form->Cover->setVisible(false);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints, 1);
    EXPECT_TRUE(counter.region.boundingRect().contains(QRect(0, 0, 30, 10)));
    EXPECT_FALSE(counter.region.boundingRect().contains(QRect(0, 0, 150, 90)));
}

// ComboBox.
TEST_F(FormTest, ListIndexRaisesClickAsTheUsersChoiceDoes) {
    forms::ComboBox& box = form->Pick(0);
    for (const char* text : {"blue", "yellow", "green"}) box.addItem(text);
    EXPECT_EQ(box.listCount(), 3);
    EXPECT_EQ(box.listIndex(), -1) << "adding selects nothing";
    EXPECT_EQ(box.text(), "");

    box.setListIndex(1);
    EXPECT_EQ(box.listIndex(), 1);
    EXPECT_EQ(box.text(), "yellow");
    box.setListIndex(1);
    ASSERT_EQ(form->picks.size(), 2u) << "every assignment runs Click";
    EXPECT_EQ(form->picks[0], std::make_pair(0, QString("yellow")));

    QTest::keyClick(box.widget(), Qt::Key_Down);
    ASSERT_EQ(form->picks.size(), 3u) << "a user's choice runs Click";
    EXPECT_EQ(form->picks[2], std::make_pair(0, QString("green")));
    EXPECT_EQ(box.list(2), "green");
    EXPECT_EQ(box.list(7), "");
}

TEST_F(FormTest, ListIndexOutOfRangeRaises380AndKeepsTheSelection) {
    forms::ComboBox& box = form->Pick(0);
    box.addItem("a");
    box.addItem("b");
    box.setListIndex(0);
    for (int bad : {-2, 2, 100}) EXPECT_EQ(errorNumber([&] { box.setListIndex(bad); }), 380) << bad;
    EXPECT_EQ(box.listIndex(), 0);
    EXPECT_EQ(form->picks.size(), 1u);
}

TEST_F(FormTest, SortedListInsertsAtTheAlphabeticalPlace) {
    forms::ComboBox& box = *form->Sorted;
    for (const char* text : {"yellow", "blue", "Green", "white", "green"}) box.addItem(text);
    const QStringList expected{"blue", "Green", "green", "white", "yellow"};
    QStringList actual;
    for (int i = 0; i < box.listCount(); ++i) actual << box.list(i);
    EXPECT_EQ(actual, expected);
}

TEST_F(FormTest, DropDownComboHasEditableTextAndAListIndexOnlyForAnEntry) {
    forms::ComboBox& box = form->Pick(1);
    for (int n = 1; n <= 512; ++n) box.addItem(QString::number(n));
    EXPECT_EQ(box.listCount(), 512);
    EXPECT_EQ(box.listIndex(), -1);
    EXPECT_EQ(box.text(), "");
    box.setText("77x");
    EXPECT_EQ(box.text(), "77x");
    EXPECT_EQ(box.listIndex(), -1);
    box.setListIndex(76);
    EXPECT_EQ(box.text(), "77");
    EXPECT_EQ(form->picks.back(), std::make_pair(1, QString("77")));
    EXPECT_EQ(errorNumber([&] { form->Pick(0).setText("nothing"); }), 383)
        << "a drop-down list has no free text";
}

// Keyboard and focus.
TEST_F(FormTest, FirstShowFocusesTheFirstControlInTabOrderThatCanTakeIt) {
    form->show();
    EXPECT_EQ(form->widget()->focusWidget(), form->First->widget()) << "TabIndex 0 is a label";
    QWidget* next = form->First->widget()->nextInFocusChain();
    EXPECT_EQ(next, form->Second->widget());
}

struct KeyCase {
    Qt::Key key;
    int clicks;
};
class ButtonKeyTest : public FormTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(ButtonKeyTest, OnlyTheFocusedButtonReactsToEnterAndSpace) {
    form->show();
    QWidget* focused = form->widget()->focusWidget();
    ASSERT_EQ(focused, form->First->widget());
    QTest::keyClick(focused, GetParam().key);
    EXPECT_EQ(form->firstClicks, GetParam().clicks);
    EXPECT_EQ(form->secondClicks, 0) << "no default or cancel button";
    EXPECT_TRUE(form->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Keys, ButtonKeyTest,
                         ::testing::Values(KeyCase{Qt::Key_Return, 1}, KeyCase{Qt::Key_Enter, 1},
                                           KeyCase{Qt::Key_Space, 1}, KeyCase{Qt::Key_Escape, 0},
                                           KeyCase{Qt::Key_A, 0}),
                         testsupport::CaseName());

}  // namespace
}  // namespace formtest
