// SPDX-License-Identifier: GPL-3.0-or-later
// The colour dialog: its lists and previews, the colour choice, its buttons,
// how it meets the display window, its keyboard focus and its look.

#include "dialog/nimboconf.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>

#include "display/nimboform.h"
#include "platform/forms/picturebox.h"
#include "platform/forms/twips.h"
#include "tests/display/nimbotest.h"
#include "tests/support/casename.h"

namespace {

using nimbo::NimboCode;
using nimbo::NimboConf;
using nimbo::NimboForm;
using nimbotest::CodeSnapshot;
using nimbotest::raisedBy;

const std::array<QString, 9> kColorTexts = {"blue",   "yellow", "green", "lightblue", "pink",
                                            "orange", "rose",   "red",   "white"};

// The colour chosen in every list, and the entries of every list.
struct Selections {
    std::array<int, 9> colors{};
    std::array<int, 9> entries{};
    int channelEntries = 0;
    QString channelText;

    static Selections of(NimboConf& conf) {
        Selections s;
        for (int i = 0; i < 9; ++i) {
            s.colors[size_t(i)] = conf.BalCol(i).listIndex();
            s.entries[size_t(i)] = conf.BalCol(i).listCount();
        }
        s.channelEntries = conf.Channels->listCount();
        s.channelText = conf.Channels->text();
        return s;
    }
    bool operator==(const Selections&) const = default;
};

// Picks an entry as the user does: with the arrow keys on the closed list.
void chooseByKeyboard(forms::ComboBox& list, int entry) {
    while (list.listIndex() < entry) QTest::keyClick(list.widget(), Qt::Key_Down);
    while (list.listIndex() > entry) QTest::keyClick(list.widget(), Qt::Key_Up);
}

class DialogTest : public nimbotest::NimboTest {
protected:
    void SetUp() override {
        nimbotest::NimboTest::SetUp();
        forms::setTwipsPerPixel(forms::kDesignTwipsPerPixel);
    }
};

// --- Creation ------------------------------------------------------------------

class DialogContentsTest : public DialogTest, public ::testing::WithParamInterface<bool> {};

TEST_P(DialogContentsTest, ListsFilledEachColourListOnItsOwnColour) {
    const bool displayFirst = GetParam();
    if (displayFirst) NimboForm::instance();
    for (int i = 0; i < 9; ++i) NimboCode.NimboColor(i) = 5;

    NimboConf& conf = NimboConf::instance();
    forms::ComboBox& channels = *conf.Channels;
    EXPECT_EQ(channels.style(), forms::ComboBox::kDropDownCombo);
    ASSERT_EQ(channels.listCount(), 512);
    for (int k = 0; k < 512; ++k) ASSERT_EQ(channels.list(k), QString::number(k + 1)) << k;
    EXPECT_EQ(channels.listIndex(), -1);
    EXPECT_EQ(channels.text(), "");

    for (int i = 0; i < 9; ++i) {
        forms::ComboBox& list = conf.BalCol(i);
        EXPECT_EQ(list.style(), forms::ComboBox::kDropDownList);
        ASSERT_EQ(list.listCount(), 9);
        for (int k = 0; k < 9; ++k) EXPECT_EQ(list.list(k), kColorTexts[size_t(k)]) << i << " " << k;
        EXPECT_EQ(list.listIndex(), i);
        EXPECT_EQ(NimboCode.NimboColor(i), i);
        // Every preview shows the full glow of its colour, the table's own object.
        ASSERT_TRUE(NimboCode.NimboPicture(i, 6));
        EXPECT_EQ(conf.Nimbo(i).picture().get(), NimboCode.NimboPicture(i, 6).get()) << "preview " << i;
        EXPECT_EQ(conf.Nimbo(i).picture()->image(), decodeFile(i, 6)) << "preview " << i;
    }
    EXPECT_EQ(NimboCode.ColorsSet, com::VARIANT_FALSE) << "choices are not confirmed by creating the dialog";
    EXPECT_FALSE(conf.isVisible()) << "creating the dialog does not show it";
    EXPECT_EQ(NimboForm::existingInstance() != nullptr, displayFirst);
}

INSTANTIATE_TEST_SUITE_P(CreationOrder, DialogContentsTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "DisplayFirst" : "DialogFirst"; });

TEST_F(DialogTest, ReloadedFullGlowColumnLeavesTheDisplaysEnvelopeOnTheOldPicture) {
    NimboForm& form = NimboForm::instance();
    form.UpdateNimbo(1, 255);
    const com::ComPtr<forms::Picture> old = NimboCode.NimboPicture(0, 6);
    ASSERT_EQ(form.Nimbo(0).picture(), old);

    NimboConf::instance();
    EXPECT_NE(NimboCode.NimboPicture(0, 6), old) << "the dialog reads the column afresh";
    EXPECT_EQ(form.Nimbo(0).picture(), old);
    form.UpdateNimbo(1, 255);
    EXPECT_EQ(form.Nimbo(0).picture(), NimboCode.NimboPicture(0, 6));
}

struct MissingCase {
    const char* name;
    bool displayFirst;
};

void PrintTo(const MissingCase& c, std::ostream* out) {
    *out << c.name;
}

class DialogMissingPictureTest : public DialogTest, public ::testing::WithParamInterface<MissingCase> {};

TEST_P(DialogMissingPictureTest, StopsAtTheEighthPictureAndTheNextUseStartsAfresh) {
    if (GetParam().displayFirst) NimboForm::instance();
    const CodeSnapshot before = CodeSnapshot::take();
    removePicture(7, 6);

    const auto error = raisedBy([] { NimboConf::instance(); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), com::kErrFileNotFound);
    EXPECT_NE(error->description().find("rot100.gif"), std::string::npos) << error->description();
    EXPECT_EQ(NimboConf::existingInstance(), nullptr);
    const CodeSnapshot after = CodeSnapshot::take();
    for (int k = 0; k < 9; ++k) {
        const size_t entry = size_t(k * 7 + 6);
        if (k < 7) {
            EXPECT_TRUE(after.pictures[entry]) << "colour " << k;
            EXPECT_NE(after.pictures[entry], before.pictures[entry]) << "colour " << k;
        } else {
            EXPECT_EQ(after.pictures[entry], before.pictures[entry]) << "colour " << k;
        }
    }
    for (int i = 0; i < 9; ++i) EXPECT_EQ(NimboCode.NimboColor(i), i) << "the selections stay made";

    restorePicture(7, 6);
    NimboConf& conf = NimboConf::instance();
    const Selections fresh = Selections::of(conf);
    EXPECT_EQ(fresh.channelEntries, 512);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(fresh.entries[size_t(i)], 9) << "filled once";
        EXPECT_EQ(conf.Nimbo(i).picture().get(), NimboCode.NimboPicture(i, 6).get());
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, DialogMissingPictureTest,
                         ::testing::Values(MissingCase{"DialogFirst", false},
                                           MissingCase{"DisplayFirst", true}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Colour choice -------------------------------------------------------------

struct ChoiceCase {
    int nimbo;
    int entry;
    int code;
    const char* file;
};

void PrintTo(const ChoiceCase& c, std::ostream* out) {
    *out << "nimbo " << c.nimbo << " gets " << c.file;
}

class DialogChoiceTest : public DialogTest,
                         public ::testing::WithParamInterface<std::tuple<ChoiceCase, bool>> {};

TEST_P(DialogChoiceTest, StoresTheCodeAndPreviewsItsFullGlowAtOnce) {
    const auto& [choice, byKeyboard] = GetParam();
    NimboConf& conf = NimboConf::instance();
    conf.show();
    const CodeSnapshot before = CodeSnapshot::take();

    if (byKeyboard)
        chooseByKeyboard(conf.BalCol(choice.nimbo), choice.entry);
    else
        conf.BalCol(choice.nimbo).setListIndex(choice.entry);

    EXPECT_EQ(conf.BalCol(choice.nimbo).text(), kColorTexts[size_t(choice.entry)]);
    CodeSnapshot expected = before;
    expected.colors[size_t(choice.nimbo)] = int16_t(choice.code);
    EXPECT_TRUE(CodeSnapshot::take() == expected) << "only the nimbo's colour changes";
    const forms::Picture* preview = conf.Nimbo(choice.nimbo).picture().get();
    EXPECT_EQ(preview, NimboCode.NimboPicture(choice.code, 6).get());
    ASSERT_TRUE(preview);
    EXPECT_EQ(preview->image(),
              QImage(folder() + choice.file).convertToFormat(QImage::Format_ARGB32_Premultiplied));
    for (int i = 0; i < 9; ++i) {
        if (i != choice.nimbo) {
            EXPECT_EQ(conf.Nimbo(i).picture().get(), NimboCode.NimboPicture(i, 6).get());
        }
    }
    EXPECT_EQ(NimboForm::existingInstance(), nullptr) << "the display is not touched";
}

INSTANTIATE_TEST_SUITE_P(Colours, DialogChoiceTest,
                         ::testing::Combine(::testing::Values(ChoiceCase{3, 4, 4, "lila100.gif"},
                                                              ChoiceCase{5, 6, 6, "rosa100.gif"},
                                                              ChoiceCase{0, 8, 8, "weiss100.gif"},
                                                              ChoiceCase{8, 0, 0, "blau100.gif"},
                                                              ChoiceCase{6, 2, 2, "gruen100.gif"}),
                                            ::testing::Bool()),
                         testsupport::CaseName());

// --- Leaving the dialog ----------------------------------------------------------

enum class Leave { Cancel, Ok, Close };

struct LeaveCase {
    const char* name;
    Leave how;
    bool colorsSet;
};

void PrintTo(const LeaveCase& c, std::ostream* out) {
    *out << c.name;
}

class DialogLeaveTest : public DialogTest, public ::testing::WithParamInterface<LeaveCase> {};

TEST_P(DialogLeaveTest, HidesKeepingChoicesAndTheNextShowFindsThemAgain) {
    NimboConf& conf = NimboConf::instance();
    conf.show();
    conf.BalCol(1).setListIndex(7);
    conf.BalCol(4).setListIndex(7);
    CodeSnapshot expected = CodeSnapshot::take();
    // A base address picked and one typed: neither is applied.
    conf.Channels->setListIndex(99);
    conf.Channels->setText("42");
    const Selections chosen = Selections::of(conf);

    switch (GetParam().how) {
        case Leave::Cancel:
            conf.Cancel->click();
            break;
        case Leave::Ok:
            conf.setConfig->click();
            break;
        case Leave::Close:
            conf.widget()->close();
            break;
    }
    EXPECT_FALSE(conf.isVisible());
    EXPECT_TRUE(conf.isLoaded());
    EXPECT_EQ(NimboConf::existingInstance(), &conf);
    expected.colorsSet = GetParam().colorsSet ? com::VARIANT_TRUE : com::VARIANT_FALSE;
    EXPECT_TRUE(CodeSnapshot::take() == expected);
    EXPECT_EQ(NimboCode.StartChannel, 0) << "the base address is not applied";

    // Configure again: the same dialog as it was left, not initialised again.
    NimboConf& again = NimboConf::instance();
    again.show();
    EXPECT_EQ(&again, &conf);
    EXPECT_TRUE(conf.isVisible());
    EXPECT_TRUE(Selections::of(conf) == chosen);
    EXPECT_TRUE(CodeSnapshot::take() == expected) << "the full-glow column is not read again";
    EXPECT_EQ(conf.Nimbo(1).picture().get(), NimboCode.NimboPicture(7, 6).get());
}

INSTANTIATE_TEST_SUITE_P(Ways, DialogLeaveTest,
                         ::testing::Values(LeaveCase{"Cancel", Leave::Cancel, false},
                                           LeaveCase{"Ok", Leave::Ok, true},
                                           LeaveCase{"CloseBox", Leave::Close, false}),
                         [](const auto& info) { return std::string(info.param.name); });

struct FirstLoadCase {
    const char* name;
    Leave how;
    int nimbo0;
};

void PrintTo(const FirstLoadCase& c, std::ostream* out) {
    *out << c.name;
}

class DialogBeforeDisplayTest : public DialogTest, public ::testing::WithParamInterface<FirstLoadCase> {};

TEST_P(DialogBeforeDisplayTest, FirstLoadOfTheDisplayKeepsOnlyConfirmedChoices) {
    NimboConf& conf = NimboConf::instance();
    conf.show();
    conf.BalCol(0).setListIndex(7);
    (GetParam().how == Leave::Ok ? conf.setConfig : conf.Cancel)->click();

    NimboForm& form = NimboForm::instance();
    form.load();
    const int k = GetParam().nimbo0;
    EXPECT_EQ(NimboCode.NimboColor(0), k);
    EXPECT_EQ(form.Nimbo(0).picture().get(), NimboCode.NimboPicture(k, 0).get());
    EXPECT_EQ(conf.BalCol(0).text(), "red") << "the list still shows the choice";
    for (int i = 1; i < 9; ++i) EXPECT_EQ(form.Nimbo(i).picture().get(), NimboCode.NimboPicture(i, 0).get());
}

INSTANTIATE_TEST_SUITE_P(Ways, DialogBeforeDisplayTest,
                         ::testing::Values(FirstLoadCase{"Ok", Leave::Ok, 7},
                                           FirstLoadCase{"Cancel", Leave::Cancel, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

// --- Save and Help ---------------------------------------------------------------

class DialogNotAvailableTest : public DialogTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(DialogNotAvailableTest, ShowsTheMessageOnceAndChangesNothing) {
    forms::setApplicationTitle(QStringLiteral("Test host"));
    NimboConf& conf = NimboConf::instance();
    conf.show();
    conf.BalCol(2).setListIndex(6);
    const Selections selections = Selections::of(conf);
    const CodeSnapshot code = CodeSnapshot::take();

    const bool save = std::string(GetParam()) == "Save";
    for (int press = 1; press <= 2; ++press) {
        (save ? conf.Save : conf.Help)->click();
        ASSERT_EQ(messages.size(), size_t(press));
        EXPECT_EQ(messages.back().prompt, "Not yet available !");
        EXPECT_EQ(messages.back().buttons, 0);
        EXPECT_EQ(messages.back().title, "Test host") << "no title of its own";
    }
    EXPECT_TRUE(conf.isVisible());
    EXPECT_TRUE(Selections::of(conf) == selections);
    EXPECT_TRUE(CodeSnapshot::take() == code);
    forms::setApplicationTitle({});
}

INSTANTIATE_TEST_SUITE_P(Buttons, DialogNotAvailableTest, ::testing::Values("Save", "Help"),
                         [](const auto& info) { return std::string(info.param); });

// --- Keyboard --------------------------------------------------------------------

class DialogKeyboardTest : public DialogTest {
protected:
    NimboConf& showActive() {
        NimboConf& conf = NimboConf::instance();
        conf.show();
        conf.widget()->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(conf.widget()));
        return conf;
    }
};

TEST_F(DialogKeyboardTest, FocusStartsOnCancelAndTabFollowsTheDesignedOrder) {
    NimboConf& conf = showActive();
    std::vector<QWidget*> expected = {conf.Cancel->widget(),    conf.Save->widget(),
                                      conf.setConfig->widget(), conf.Help->widget(),
                                      conf.BalCol(0).widget(),  nullptr};
    for (int i = 1; i < 9; ++i) expected.push_back(conf.BalCol(i).widget());
    expected.push_back(conf.Channels->widget());
    expected.push_back(conf.Cancel->widget());  // the label takes no focus

    for (size_t step = 0; step < expected.size(); ++step) {
        QWidget* focused = conf.widget()->focusWidget();
        ASSERT_TRUE(focused) << "step " << step;
        if (expected[step])
            EXPECT_EQ(focused, expected[step]) << "step " << step;
        else
            EXPECT_EQ(focused->geometry(), QRect(10, 10, 861, 221))
                << "step " << step << ": the preview panel";
        QTest::keyClick(focused, Qt::Key_Tab);
    }
}

TEST_F(DialogKeyboardTest, EnterRightAfterOpeningPressesCancel) {
    NimboConf& conf = showActive();
    conf.BalCol(6).setListIndex(0);
    const CodeSnapshot code = CodeSnapshot::take();
    QTest::keyClick(conf.widget()->focusWidget(), Qt::Key_Return);
    EXPECT_FALSE(conf.isVisible());
    EXPECT_TRUE(CodeSnapshot::take() == code) << "Cancel, not OK";
}

TEST_F(DialogKeyboardTest, EscapeDoesNothing) {
    NimboConf& conf = showActive();
    const CodeSnapshot code = CodeSnapshot::take();
    QTest::keyClick(conf.widget()->focusWidget(), Qt::Key_Escape);
    QTest::keyClick(conf.widget(), Qt::Key_Escape);
    EXPECT_TRUE(conf.isVisible());
    EXPECT_TRUE(CodeSnapshot::take() == code);
    EXPECT_TRUE(messages.empty());
}

// --- Look --------------------------------------------------------------------------

TEST_F(DialogTest, PreviewsOverlapWithTheHigherIndexInFront) {
    NimboConf& conf = NimboConf::instance();
    const QImage image = conf.render();
    ASSERT_EQ(image.size(), QSize(925, 398));
    // Previews sit inside the panel's border, 10 px from its inner corner.
    const QPoint origin(10 + forms::PictureBox::kBorder + 10, 10 + forms::PictureBox::kBorder + 10);
    for (int i = 0; i < 8; ++i) {
        const QImage& back = conf.Nimbo(i).picture()->image();
        const QImage& front = conf.Nimbo(i + 1).picture()->image();
        int wrong = 0;
        int frontWins = 0;
        for (int x = 90; x < 120; ++x) {
            for (int y = 0; y < 184; ++y) {
                const QRgb b = back.pixel(x, y);
                const QRgb f = front.pixel(x - 90, y);
                const QRgb expected = qAlpha(f) ? f : qAlpha(b) ? b : 0xff000000;
                wrong += image.pixel(origin + QPoint(90 * i + x, y)) != expected;
                frontWins += qAlpha(f) && qAlpha(b) && f != b;
            }
        }
        EXPECT_EQ(wrong, 0) << "previews " << i << " and " << i + 1;
        EXPECT_GT(frontWins, 100);
    }
}

TEST_F(DialogTest, RightEdgesLineUpAndTheBottomRowSharesItsTop) {
    NimboConf& conf = NimboConf::instance();
    conf.show();
    const QImage image = conf.render();
    EXPECT_EQ(conf.widget()->windowTitle(), "Konfiguration");
    EXPECT_FALSE(conf.widget()->windowIcon().isNull());
    QWidget* panel = conf.widget()->childAt(QPoint(15, 15));
    ASSERT_TRUE(panel);
    EXPECT_EQ(panel->geometry(), QRect(10, 10, 861, 221));
    EXPECT_EQ(conf.setConfig->widget()->geometry().right() + 1, 871);
    for (QWidget* widget : {conf.Help->widget(), conf.Save->widget(), conf.Channels->widget(),
                            conf.Cancel->widget(), conf.setConfig->widget()})
        EXPECT_EQ(widget->geometry().top(), 320) << widget->metaObject()->className();
    EXPECT_EQ(conf.Help->widget()->geometry().left(), conf.BalCol(0).widget()->geometry().left());

    // On the pixels: the panel ends at column 870, the dialog's background follows.
    const QRgb background = image.pixel(900, 100);
    for (int y = 10; y < 231; ++y) {
        EXPECT_EQ(image.pixel(871, y), background) << y;
        EXPECT_NE(image.pixel(870, y), background) << y;
    }
}

}  // namespace
