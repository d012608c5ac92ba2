// SPDX-License-Identifier: GPL-3.0-or-later
// The display window as an object: its creation reading the 63 pictures,
// its load step, the glow update and the tool-window members.

#include "display/nimboform.h"

#include <gtest/gtest.h>

#include <QWidget>
#include <climits>
#include <set>

#include "platform/com/dispatch.h"
#include "tests/display/nimbotest.h"
#include "tests/support/casename.h"

namespace {

using nimbo::NimboCode;
using nimbo::NimboForm;
using nimbotest::CodeSnapshot;
using nimbotest::raisedBy;

// What the window shows: each envelope's picture and each flame cover.
struct DisplaySnapshot {
    std::array<const forms::Picture*, 9> pictures{};
    std::array<bool, 9> fires{};

    static DisplaySnapshot of(NimboForm& form) {
        DisplaySnapshot snapshot;
        for (int i = 0; i < 9; ++i) {
            snapshot.pictures[size_t(i)] = form.Nimbo(i).picture().get();
            snapshot.fires[size_t(i)] = form.fire(i).visible();
        }
        return snapshot;
    }
    bool operator==(const DisplaySnapshot&) const = default;
};

using DisplayTest = nimbotest::NimboTest;

// --- Creation: the 63 files in order ----------------------------------------

class DisplayCreationFailureTest : public DisplayTest, public ::testing::WithParamInterface<int> {};

TEST_P(DisplayCreationFailureTest, MissingFileStopsTheReadingThereAndTheNextUseStartsAgain) {
    const int position = GetParam();
    const int color = position / 7;
    const int level = position % 7;
    removePicture(color, level);

    const auto error = raisedBy([] { NimboForm::instance(); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), com::kErrFileNotFound);
    EXPECT_NE(error->description().find(nimbotest::pictureFileName(color, level).toStdString()),
              std::string::npos)
        << error->description();
    for (int p = 0; p < 63; ++p)
        EXPECT_EQ(bool(NimboCode.NimboPicture(p / 7, p % 7)), p < position) << "entry " << p;
    EXPECT_EQ(NimboForm::existingInstance(), nullptr);

    const forms::Picture* firstBefore = NimboCode.NimboPicture(0, 0).get();
    restorePicture(color, level);
    NimboForm& form = NimboForm::instance();
    EXPECT_EQ(NimboForm::existingInstance(), &form);
    EXPECT_FALSE(form.isLoaded()) << "creating the window does not load it";
    for (int p = 0; p < 63; ++p) EXPECT_TRUE(NimboCode.NimboPicture(p / 7, p % 7)) << "entry " << p;
    if (firstBefore) {
        EXPECT_NE(NimboCode.NimboPicture(0, 0).get(), firstBefore) << "read again from the first file";
    }
}

// First file, "gruen040.gif", "rot100.gif", last file.
INSTANTIATE_TEST_SUITE_P(Positions, DisplayCreationFailureTest, ::testing::Values(0, 17, 55, 62),
                         testsupport::CaseName());

struct BadFolderCase {
    const char* name;
    bool corrupt;  // else the whole folder is missing
    int error;
};

void PrintTo(const BadFolderCase& c, std::ostream* out) {
    *out << c.name;
}

class DisplayBadFolderTest : public DisplayTest, public ::testing::WithParamInterface<BadFolderCase> {};

TEST_P(DisplayBadFolderTest, CreationFailsWithTheLoadersError) {
    if (GetParam().corrupt)
        corruptPicture(4, 2);
    else
        nimbo::setImagesFolder(folder() + QStringLiteral("nothing-here/"));

    const auto error = raisedBy([] { NimboForm::instance(); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), GetParam().error) << error->description();
    EXPECT_EQ(NimboForm::existingInstance(), nullptr);
    EXPECT_EQ(bool(NimboCode.NimboPicture(4, 1)), GetParam().corrupt);
    EXPECT_FALSE(NimboCode.NimboPicture(4, 2));
}

INSTANTIATE_TEST_SUITE_P(Cases, DisplayBadFolderTest,
                         ::testing::Values(BadFolderCase{"Corrupt", true, com::kErrInvalidPicture},
                                           BadFolderCase{"MissingFolder", false, com::kErrPathNotFound}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(DisplayTest, EveryEntryHoldsThePictureOfItsOwnFileAndAllAreDistinct) {
    NimboForm::instance();
    std::set<const forms::Picture*> objects;
    std::vector<QImage> images;
    for (int k = 0; k < 9; ++k) {
        for (int level = 0; level < 7; ++level) {
            const auto& picture = NimboCode.NimboPicture(k, level);
            ASSERT_TRUE(picture);
            EXPECT_EQ(picture->image(), decodeFile(k, level))
                << nimbotest::pictureFileName(k, level).toStdString();
            objects.insert(picture.get());
            images.push_back(picture->image());
        }
    }
    EXPECT_EQ(objects.size(), 63u);
    for (size_t a = 0; a < images.size(); ++a)
        for (size_t b = a + 1; b < images.size(); ++b)
            EXPECT_NE(images[a], images[b]) << "entries " << a << " and " << b;
}

// --- Load step ----------------------------------------------------------------

struct LoadCase {
    const char* name;
    bool colorsSet;
    std::array<int16_t, 9> before;
    std::array<int16_t, 9> after;
};

void PrintTo(const LoadCase& c, std::ostream* out) {
    *out << c.name;
}

class DisplayLoadStepTest : public DisplayTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(DisplayLoadStepTest, ColoursAndUnlitEnvelopes) {
    const LoadCase& c = GetParam();
    NimboForm& form = NimboForm::instance();
    for (int i = 0; i < 9; ++i) NimboCode.NimboColor(i) = c.before[size_t(i)];
    NimboCode.ColorsSet = c.colorsSet ? com::VARIANT_TRUE : com::VARIANT_FALSE;

    form.load();
    EXPECT_EQ(NimboCode.ColorsSet, com::VARIANT_TRUE);
    for (int i = 0; i < 9; ++i) {
        const int k = c.after[size_t(i)];
        EXPECT_EQ(NimboCode.NimboColor(i), k) << "nimbo " << i;
        EXPECT_EQ(form.Nimbo(i).picture().get(), NimboCode.NimboPicture(k, 0).get()) << "nimbo " << i;
        EXPECT_TRUE(form.fire(i).visible()) << "nimbo " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DisplayLoadStepTest,
    ::testing::Values(LoadCase{"Defaults", false, {}, {0, 1, 2, 3, 4, 5, 6, 7, 8}},
                      LoadCase{"DefaultsReplaceUnconfirmedChoices",
                               false,
                               {7, 7, 7, 0, 0, 0, 8, 8, 8},
                               {0, 1, 2, 3, 4, 5, 6, 7, 8}},
                      LoadCase{"ChoicesKept", true, {7, 0, 0, 0, 0, 0, 0, 0, 0}, {7, 0, 0, 0, 0, 0, 0, 0, 0}},
                      LoadCase{
                          "ReversedKept", true, {8, 7, 6, 5, 4, 3, 2, 1, 0}, {8, 7, 6, 5, 4, 3, 2, 1, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

// How the window goes away: unloaded by its owner, or closed by the user.
class DisplayReloadTest : public DisplayTest, public ::testing::WithParamInterface<bool> {};

TEST_P(DisplayReloadTest, ReloadShowsEveryNimboUnlitInItsCurrentColour) {
    const bool userClose = GetParam();
    NimboForm& form = NimboForm::instance();
    form.show();
    for (int ch = 1; ch <= 9; ++ch) form.UpdateNimbo(ch, 40 + 20 * ch);
    NimboCode.NimboColor(2) = 8;  // a colour changed while the window was loaded
    if (userClose) {
        EXPECT_TRUE(form.widget()->close());
    } else {
        form.unload();
    }
    ASSERT_FALSE(form.isLoaded());
    ASSERT_FALSE(form.isVisible());

    // The next update loads the window again before it changes its nimbo.
    form.UpdateNimbo(5, 200);
    ASSERT_TRUE(form.isLoaded());
    const std::array<int, 9> colors = {0, 1, 8, 3, 4, 5, 6, 7, 8};
    for (int i = 0; i < 9; ++i) {
        const int level = i == 4 ? 5 : 0;
        EXPECT_EQ(form.Nimbo(i).picture().get(), NimboCode.NimboPicture(colors[size_t(i)], level).get())
            << "nimbo " << i;
        EXPECT_EQ(form.fire(i).visible(), i != 4) << "nimbo " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Ways, DisplayReloadTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "UserClose" : "Unload"; });

// --- Glow update --------------------------------------------------------------

struct BandCase {
    int32_t value;
    int level;  // -1: nothing changes
    bool fire;
};

void PrintTo(const BandCase& c, std::ostream* out) {
    *out << "value " << c.value;
}

class DisplayGlowBandTest : public DisplayTest,
                            public ::testing::WithParamInterface<std::tuple<int, BandCase>> {};

TEST_P(DisplayGlowBandTest, ValueShowsItsLevelInTheNimbosColourAndLeavesTheOthersAlone) {
    const auto& [nimbo, band] = GetParam();
    NimboForm& form = NimboForm::instance();
    form.load();
    // Colours that differ from the nimbo indexes.
    for (int i = 0; i < 9; ++i) NimboCode.NimboColor(i) = int16_t((i * 4 + 3) % 9);
    // A prior look that no band produces, with the flame cover the other way.
    const com::ComPtr<forms::Picture> foreign =
        forms::Picture::fromImage(QImage(120, 184, QImage::Format_ARGB32));
    form.Nimbo(nimbo).setPicture(foreign);
    form.fire(nimbo).setVisible(band.level >= 0 ? !band.fire : false);
    const DisplaySnapshot before = DisplaySnapshot::of(form);

    const int32_t ch = nimbo + 1;
    EXPECT_FALSE(raisedBy([&] { form.UpdateNimbo(ch, band.value); }));

    DisplaySnapshot expected = before;
    if (band.level >= 0) {
        const int k = (nimbo * 4 + 3) % 9;
        expected.pictures[size_t(nimbo)] = NimboCode.NimboPicture(k, band.level).get();
        expected.fires[size_t(nimbo)] = band.fire;
    }
    const DisplaySnapshot after = DisplaySnapshot::of(form);
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(after.pictures[size_t(i)], expected.pictures[size_t(i)]) << "nimbo " << i;
        EXPECT_EQ(after.fires[size_t(i)], expected.fires[size_t(i)]) << "nimbo " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    BandEdges, DisplayGlowBandTest,
    ::testing::Combine(::testing::Values(0, 4, 8),
                       ::testing::Values(BandCase{0, 0, true}, BandCase{1, 1, false}, BandCase{9, 1, false},
                                         BandCase{10, 2, false}, BandCase{59, 2, false},
                                         BandCase{60, 3, false}, BandCase{109, 3, false},
                                         BandCase{110, 4, false}, BandCase{159, 4, false},
                                         BandCase{160, 5, false}, BandCase{209, 5, false},
                                         BandCase{210, 6, false}, BandCase{255, 6, false},
                                         BandCase{-1, 1, false}, BandCase{INT32_MIN, 1, false},
                                         BandCase{256, -1, false}, BandCase{INT32_MAX, -1, false})),
    testsupport::CaseName());

TEST_F(DisplayTest, ColourIsReadAtEveryUpdateOfThatNimboOnly) {
    NimboForm& form = NimboForm::instance();
    form.UpdateNimbo(4, 120);
    ASSERT_EQ(form.Nimbo(3).picture().get(), NimboCode.NimboPicture(3, 4).get());

    NimboCode.NimboColor(3) = 6;
    EXPECT_EQ(form.Nimbo(3).picture().get(), NimboCode.NimboPicture(3, 4).get()) << "no change by itself";
    form.UpdateNimbo(5, 120);  // another nimbo
    EXPECT_EQ(form.Nimbo(3).picture().get(), NimboCode.NimboPicture(3, 4).get());
    form.UpdateNimbo(4, 120);
    EXPECT_EQ(form.Nimbo(3).picture().get(), NimboCode.NimboPicture(6, 4).get());
    // Two nimbos of one colour show pictures of the same column.
    NimboCode.NimboColor(7) = 6;
    form.UpdateNimbo(8, 0);
    EXPECT_EQ(form.Nimbo(7).picture().get(), NimboCode.NimboPicture(6, 0).get());
}

// Channels outside the nine nimbos.
struct ChannelCase {
    int32_t ch;
    int error;
};

void PrintTo(const ChannelCase& c, std::ostream* out) {
    *out << "channel " << c.ch;
}

class DisplayBadChannelTest : public DisplayTest,
                              public ::testing::WithParamInterface<std::tuple<ChannelCase, int32_t>> {};

TEST_P(DisplayBadChannelTest, FailsBeforeWritingAnything) {
    const auto& [channel, value] = GetParam();
    NimboForm& form = NimboForm::instance();
    form.UpdateNimbo(3, 100);
    const DisplaySnapshot before = DisplaySnapshot::of(form);
    const CodeSnapshot code = CodeSnapshot::take();

    const auto error = raisedBy([&] { form.UpdateNimbo(channel.ch, value); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), channel.error);
    EXPECT_TRUE(DisplaySnapshot::of(form) == before);
    EXPECT_TRUE(CodeSnapshot::take() == code);
}

INSTANTIATE_TEST_SUITE_P(
    Channels, DisplayBadChannelTest,
    ::testing::Combine(
        ::testing::Values(
            ChannelCase{0, com::kErrControlArrayElement}, ChannelCase{10, com::kErrControlArrayElement},
            ChannelCase{11, com::kErrControlArrayElement}, ChannelCase{-5, com::kErrControlArrayElement},
            ChannelCase{32768, com::kErrControlArrayElement},
            ChannelCase{-32767, com::kErrControlArrayElement}, ChannelCase{32769, com::kErrOverflow},
            ChannelCase{-32768, com::kErrOverflow}, ChannelCase{40000, com::kErrOverflow},
            ChannelCase{INT32_MIN, com::kErrOverflow}, ChannelCase{INT32_MAX, com::kErrOverflow}),
        ::testing::Values(0, 1, 255)),
    testsupport::CaseName());

TEST_F(DisplayTest, StartChannelLoadsAWindowThatWasNotLoadedThenFails) {
    NimboForm& form = NimboForm::instance();
    ASSERT_FALSE(form.isLoaded());
    const auto error = raisedBy([&] { form.UpdateNimbo(0, 50); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), com::kErrControlArrayElement);
    EXPECT_TRUE(form.isLoaded());
    EXPECT_EQ(NimboCode.ColorsSet, com::VARIANT_TRUE) << "the load step ran";
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(form.Nimbo(i).picture().get(), NimboCode.NimboPicture(i, 0).get());
        EXPECT_TRUE(form.fire(i).visible());
    }
}

TEST_F(DisplayTest, OverflowingChannelFailsBeforeTheWindowIsTouched) {
    NimboForm& form = NimboForm::instance();
    const CodeSnapshot code = CodeSnapshot::take();
    for (const int32_t ch : {40000, INT32_MIN}) {
        const auto error = raisedBy([&] { form.UpdateNimbo(ch, 5); });
        ASSERT_TRUE(error);
        EXPECT_EQ(error->number(), com::kErrOverflow);
    }
    EXPECT_FALSE(form.isLoaded());
    EXPECT_TRUE(CodeSnapshot::take() == code);
}

TEST_F(DisplayTest, ValuesAboveTheBandsSucceedWithoutLoadingOrChanging) {
    NimboForm& form = NimboForm::instance();
    const CodeSnapshot code = CodeSnapshot::take();
    for (const int32_t ch : {0, 1, 9, 10, -5})
        for (const int32_t value : {256, 1000, INT32_MAX})
            EXPECT_FALSE(raisedBy([&] { form.UpdateNimbo(ch, value); })) << ch << " " << value;
    EXPECT_FALSE(form.isLoaded());
    EXPECT_TRUE(CodeSnapshot::take() == code);
}

// --- Tool-window members --------------------------------------------------------

class DisplayToolMembersTest : public DisplayTest, public ::testing::WithParamInterface<bool> {};

TEST_P(DisplayToolMembersTest, SucceedAndChangeNothingThroughTheVtableAndByName) {
    const bool loaded = GetParam();
    NimboForm& form = NimboForm::instance();
    if (loaded) form.UpdateNimbo(2, 180);
    const CodeSnapshot code = CodeSnapshot::take();
    const std::optional<DisplaySnapshot> display =
        loaded ? std::optional(DisplaySnapshot::of(form)) : std::nullopt;

    const com::ComPtr<vexo::IVexoTool> tool = com::ComPtr<NimboForm>(&form).as<vexo::IVexoTool>();
    ASSERT_TRUE(tool);
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(tool->ClearProjectData(), com::S_OK);
        EXPECT_EQ(tool->LoadProjectData(), com::S_OK);
        EXPECT_EQ(tool->SaveProjectData(), com::S_OK);
        com::VARIANT_BOOL ask = com::VARIANT_TRUE;
        EXPECT_EQ(tool->AskToSaveProjectData(&ask), com::S_OK);
        EXPECT_EQ(ask, com::VARIANT_FALSE);
        EXPECT_EQ(tool->AskToSaveProjectData(nullptr), com::E_POINTER);
        for (const int32_t mode : {0, 1, -1, INT32_MIN, INT32_MAX})
            EXPECT_EQ(tool->put_ViewMode(mode), com::S_OK);
    }

    com::IDispatch* dispatch = tool.get();
    EXPECT_FALSE(raisedBy([&] {
        for (const char* name : {"ClearProjectData", "LoadProjectData", "SaveProjectData"})
            com::callByName(dispatch, name, com::DISPATCH_METHOD);
        EXPECT_FALSE(com::callByName(dispatch, "AskToSaveProjectData", com::DISPATCH_METHOD).toBool());
        for (const int32_t mode : {0, 7, INT32_MIN})
            com::callByName(dispatch, "ViewMode", com::DISPATCH_PROPERTYPUT, {com::Variant::fromInt32(mode)});
    }));
    com::Variant result;
    EXPECT_EQ(com::invokeByName(dispatch, "AskToSaveProjectData", com::DISPATCH_METHOD, {}, result.put()),
              com::S_OK);
    EXPECT_FALSE(result.toBool());

    EXPECT_TRUE(CodeSnapshot::take() == code);
    EXPECT_EQ(form.isLoaded(), loaded);
    if (display) {
        EXPECT_TRUE(DisplaySnapshot::of(form) == *display);
    }
}

INSTANTIATE_TEST_SUITE_P(WindowLoadedOrNot, DisplayToolMembersTest, ::testing::Bool(),
                         testsupport::CaseName());

}  // namespace
