#include <gtest/gtest.h>

#include "platform/com/dispatchbuilder.h"

#include <QApplication>
#include <QComboBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include "platform/com/runtimeerror.h"
#include "platform/forms/combobox.h"
#include "platform/forms/commandbutton.h"
#include "platform/forms/controlarray.h"
#include "platform/forms/controlref.h"
#include "platform/forms/formobject.h"
#include "platform/forms/image.h"
#include "platform/forms/label.h"
#include "platform/forms/picturebox.h"
#include "platform/forms/shape.h"
#include "platform/forms/twips.h"
#include "tests/forms/printers.h"

namespace {

using forms::Color;
using forms::ControlKind;
using forms::ControlDesign;

constexpr int px(int pixels) {
    return pixels * forms::kDesignTwipsPerPixel;
}

constexpr Color kBlue = Color::fromRgb(0, 0, 255);
constexpr Color kGreen = Color::fromRgb(0, 255, 0);
constexpr Color kYellow = Color::fromRgb(255, 255, 0);
constexpr Color kGrey = Color::fromRgb(200, 200, 200);

// Front to back. Pictures are given in code; Pics(1) has a design picture.
constexpr ControlDesign kControls[] = {
    {.kind = ControlKind::CommandButton,
     .name = "Second",
     .left = px(60),
     .top = px(40),
     .width = px(30),
     .height = px(15),
     .tabIndex = 2,
     .caption = "Two"},
    {.kind = ControlKind::Label,
     .name = "Caption",
     .left = px(60),
     .top = px(20),
     .width = px(30),
     .height = px(15),
     .tabIndex = 0,
     .caption = "Hi"},
    {.kind = ControlKind::CommandButton,
     .name = "First",
     .left = px(60),
     .top = px(60),
     .width = px(30),
     .height = px(15),
     .tabIndex = 1,
     .caption = "One"},
    {.kind = ControlKind::ComboBox,
     .name = "Pick",
     .index = 0,
     .left = px(100),
     .top = px(0),
     .width = px(40),
     .height = px(20),
     .tabIndex = 3,
     .style = 2},
    {.kind = ControlKind::ComboBox,
     .name = "Pick",
     .index = 1,
     .left = px(100),
     .top = px(30),
     .width = px(40),
     .height = px(20),
     .tabIndex = 4,
     .style = 0},
    {.kind = ControlKind::ComboBox,
     .name = "Sorted",
     .left = px(100),
     .top = px(60),
     .width = px(40),
     .height = px(20),
     .style = 2,
     .sorted = true},
    {.kind = ControlKind::Image,
     .name = "Pics",
     .index = 0,
     .left = px(0),
     .top = px(0),
     .width = px(10),
     .height = px(10)},
    {.kind = ControlKind::Shape,
     .name = "Cover",
     .left = px(5),
     .top = px(0),
     .width = px(10),
     .height = px(10),
     .fillColor = kGreen},
    {.kind = ControlKind::Shape,
     .name = "Hidden",
     .left = px(20),
     .top = px(0),
     .width = px(10),
     .height = px(10),
     .fillColor = kYellow,
     .visible = false},
    {.kind = ControlKind::Image,
     .name = "Pics",
     .index = 1,
     .left = px(5),
     .top = px(5),
     .width = px(3),
     .height = px(2),
     .picture = ":/forms_test/dot.xpm"},
    {.kind = ControlKind::Image,
     .name = "Pics",
     .index = 3,
     .left = px(5),
     .top = px(5),
     .width = px(10),
     .height = px(10)},
    {.kind = ControlKind::Image,
     .name = "Inner",
     .left = px(1),
     .top = px(1),
     .width = px(4),
     .height = px(4),
     .container = "Box"},
    {.kind = ControlKind::PictureBox,
     .name = "Box",
     .left = px(0),
     .top = px(40),
     .width = px(20),
     .height = px(20),
     .backColor = kGrey},
};

constexpr forms::FormLayout kLayout{.name = "TestForm",
                                    .caption = "Test window",
                                    .clientWidth = px(150),
                                    .clientHeight = px(90),
                                    .backColor = kBlue,
                                    .controls = kControls};

// A plain interface of the window's own, to see QueryInterface answer both.
struct ITestTool : com::IUnknown {
    static constexpr com::IID iid = com::makeGuid("0f5b8a61-7a7c-4a51-8d0e-31c9b4a2f001");
    virtual com::HRESULT Ping(int32_t* answer) = 0;

protected:
    ~ITestTool() = default;
};

struct Counters {
    int initialized = 0;
    int loaded = 0;
    int destroyed = 0;
};

class TestForm : public forms::FormObject<TestForm, ITestTool> {
public:
    TestForm(Counters& counters, bool failInitialize = false)
        : FormObject(kLayout), m_counters(counters), m_failInitialize(failInitialize) {
        onClick(Pick, [this](int i) { picks.push_back({i, Pick(i).text()}); });
        onClick(First, [this] { ++firstClicks; });
        onClick(Second, [this] { ++secondClicks; });
    }
    ~TestForm() override { ++m_counters.destroyed; }

    com::HRESULT Ping(int32_t* answer) override {
        *answer = 42;
        return com::S_OK;
    }

    forms::ControlArray<forms::Image> Pics{this, "Pics"};
    forms::ControlArray<forms::ComboBox> Pick{this, "Pick"};
    forms::ControlRef<forms::ComboBox> Sorted{this, "Sorted"};
    forms::ControlRef<forms::Shape> Cover{this, "Cover"};
    forms::ControlRef<forms::Shape> Hidden{this, "Hidden"};
    forms::ControlRef<forms::CommandButton> First{this, "First"};
    forms::ControlRef<forms::CommandButton> Second{this, "Second"};
    forms::ControlRef<forms::Label> Caption{this, "Caption"};
    forms::ControlRef<forms::Image> Inner{this, "Inner"};

    std::vector<std::pair<int, QString>> picks;
    int firstClicks = 0;
    int secondClicks = 0;
    bool cancelClose = false;
    std::function<void()> onLoad;

private:
    void Form_Initialize() override {
        ++m_counters.initialized;
        if (m_failInitialize) com::raise(com::kErrFileNotFound, "gruen040.gif");
    }
    void Form_Load() override {
        ++m_counters.loaded;
        if (onLoad) onLoad();
    }
    bool Form_QueryUnload() override { return cancelClose; }

    Counters& m_counters;
    bool m_failInitialize;
};

// Solid colour, optionally with transparent pixels.
com::ComPtr<forms::Picture> solid(QSize size, QRgb colour, std::initializer_list<QPoint> holes = {}) {
    QImage image(size, QImage::Format_ARGB32);
    image.fill(colour);
    for (const QPoint& hole : holes) image.setPixel(hole, 0);
    return forms::Picture::fromImage(image);
}

class FormTest : public ::testing::Test {
protected:
    void TearDown() override { forms::setTwipsPerPixel(forms::kDesignTwipsPerPixel); }
    Counters counters;
    com::ComPtr<TestForm> form = forms::createForm<TestForm>(counters);
};

int errorNumber(const std::function<void()>& body) {
    try {
        body();
    } catch (const com::RuntimeError& error) {
        return error.number();
    }
    return 0;
}

TEST_F(FormTest, InitializeOnceAtCreationLoadAtEveryLoad) {
    EXPECT_EQ(counters.initialized, 1);
    EXPECT_EQ(counters.loaded, 0);
    EXPECT_FALSE(form->isLoaded());
    form->initialize();
    EXPECT_EQ(counters.initialized, 1);

    form->show();
    EXPECT_TRUE(form->isLoaded());
    EXPECT_TRUE(form->isVisible());
    form->hide();
    form->show();
    EXPECT_EQ(counters.loaded, 1) << "hide and show keep the form loaded";

    form->unload();
    EXPECT_FALSE(form->isLoaded());
    EXPECT_FALSE(form->isVisible());
    form->load();
    EXPECT_EQ(counters.loaded, 2);
    EXPECT_FALSE(form->isVisible()) << "load alone does not show";
    EXPECT_EQ(counters.initialized, 1);
}

TEST_F(FormTest, TouchingAControlLoadsTheFormFirst) {
    form->Cover->setVisible(false);
    EXPECT_TRUE(form->isLoaded());
    EXPECT_EQ(counters.loaded, 1);
    EXPECT_FALSE(form->isVisible());
    form->Pics(0);
    EXPECT_EQ(counters.loaded, 1);
}

TEST_F(FormTest, ControlsTouchedDuringLoadDoNotLoadAgain) {
    form->onLoad = [this] { form->Cover->setVisible(false); };
    form->show();
    EXPECT_EQ(counters.loaded, 1);
    EXPECT_FALSE(form->Cover->visible());
}

TEST_F(FormTest, ErrorInLoadLeavesTheFormUnloaded) {
    form->onLoad = [] { com::raise(com::kErrSubscriptOutOfRange); };
    EXPECT_EQ(errorNumber([&] { form->show(); }), com::kErrSubscriptOutOfRange);
    EXPECT_FALSE(form->isLoaded());
    EXPECT_FALSE(form->isVisible());
    form->onLoad = nullptr;
    form->show();
    EXPECT_TRUE(form->isVisible());
}

struct BoundsCase {
    int index;
    bool exists;
};
class ControlArrayBoundsTest : public FormTest, public ::testing::WithParamInterface<BoundsCase> {};

TEST_P(ControlArrayBoundsTest, MissingItemRaises340AfterLoading) {
    const int number = errorNumber([&] { form->Pics(GetParam().index); });
    EXPECT_EQ(number, GetParam().exists ? 0 : com::kErrControlArrayElement);
    EXPECT_TRUE(form->isLoaded()) << "the form loads before the index is checked";
    EXPECT_EQ(counters.loaded, 1);
}

INSTANTIATE_TEST_SUITE_P(Items, ControlArrayBoundsTest,
                         ::testing::Values(BoundsCase{-1, false}, BoundsCase{0, true}, BoundsCase{1, true},
                                           BoundsCase{2, false}, BoundsCase{3, true}, BoundsCase{4, false},
                                           BoundsCase{-32768, false}));

TEST_F(FormTest, ArrayBoundsComeFromTheLayoutWithoutLoading) {
    EXPECT_EQ(form->Pics.lbound(), 0);
    EXPECT_EQ(form->Pics.ubound(), 3);
    EXPECT_FALSE(form->isLoaded());
}

TEST_F(FormTest, ReloadRestoresTheDesignedLook) {
    const com::ComPtr<forms::Picture> designed = form->Pics(1).picture();
    ASSERT_TRUE(designed);
    EXPECT_EQ(form->Pics(1).geometry(), QRect(5, 5, 3, 2));
    const QImage before = form->render();

    form->Pics(1).setPicture(solid({10, 10}, qRgb(1, 2, 3)));
    form->Pics(0).setPicture(solid({10, 10}, qRgb(1, 2, 3)));
    form->Cover->setVisible(false);
    form->Hidden->setVisible(true);
    form->Pick(0).addItem("x");
    form->Caption->setCaption("changed");
    EXPECT_NE(form->render(), before);

    form->unload();
    EXPECT_EQ(form->Pics(1).picture().get(), designed.get()) << "the design picture is shared, not re-read";
    EXPECT_FALSE(form->Pics(0).picture());
    EXPECT_TRUE(form->Cover->visible());
    EXPECT_FALSE(form->Hidden->visible());
    EXPECT_EQ(form->Pick(0).listCount(), 0);
    EXPECT_EQ(form->Caption->caption(), "Hi");
    EXPECT_EQ(form->render(), before);
}

TEST_F(FormTest, WindowTakesCaptionAndClientSizeFromTheLayout) {
    form->load();
    EXPECT_EQ(form->widget()->windowTitle(), "Test window");
    EXPECT_EQ(form->widget()->size(), QSize(150, 90));
    EXPECT_EQ(form->render().size(), QSize(150, 90));
}

TEST_F(FormTest, UserCloseUnloadsUnlessQueryUnloadCancels) {
    form->show();
    form->cancelClose = true;
    EXPECT_FALSE(form->widget()->close());
    EXPECT_TRUE(form->isLoaded());
    EXPECT_TRUE(form->isVisible());

    form->cancelClose = false;
    EXPECT_TRUE(form->widget()->close());
    EXPECT_FALSE(form->isLoaded());
    EXPECT_FALSE(form->isVisible());
    form->show();
    EXPECT_EQ(counters.loaded, 2);
}

TEST_F(FormTest, UnloadFromAButtonsOwnClickIsSafe) {
    form->show();
    form->onLoad = nullptr;
    form->Second.onClick([this](int) { form->unload(); });
    form->Second->click();
    EXPECT_FALSE(form->isLoaded());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    form->show();
    EXPECT_TRUE(form->isLoaded());
}

TEST_F(FormTest, IsAComObjectWithItsInterfacesAndTheWindowInterface) {
    const com::ComPtr<forms::IFormWindow> window = form.as<forms::IFormWindow>();
    ASSERT_TRUE(window);
    const com::ComPtr<ITestTool> tool = window.as<ITestTool>();
    ASSERT_TRUE(tool);
    int32_t answer = 0;
    tool->Ping(&answer);
    EXPECT_EQ(answer, 42);
    EXPECT_EQ(tool.as<com::IUnknown>().get(), form.as<com::IUnknown>().get());

    QWidget* widget = nullptr;
    EXPECT_EQ(window->get_Window(&widget), com::S_OK);
    EXPECT_EQ(widget, form->widget());
    EXPECT_EQ(window->Show(), com::S_OK);
    com::VARIANT_BOOL visible = com::VARIANT_FALSE;
    EXPECT_EQ(window->get_Visible(&visible), com::S_OK);
    EXPECT_EQ(visible, com::VARIANT_TRUE);
    EXPECT_EQ(window->put_Visible(com::VARIANT_FALSE), com::S_OK);
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(window->Unload(), com::S_OK);
    EXPECT_FALSE(form->isLoaded());
    EXPECT_EQ(window->get_Visible(nullptr), com::E_POINTER);
}

TEST_F(FormTest, FailureAtTheComBoundaryBecomesAStatus) {
    form->onLoad = [] { com::raise(com::kErrSubscriptOutOfRange); };
    const com::ComPtr<forms::IFormWindow> window = form.as<forms::IFormWindow>();
    EXPECT_EQ(window->Show(), com::runtimeErrorStatus(com::kErrSubscriptOutOfRange));
    EXPECT_EQ(com::errorInfo().number, com::kErrSubscriptOutOfRange);
}

TEST(FormLifetime, LastReferenceDestroysObjectAndWindow) {
    Counters counters;
    QPointer<QWidget> widget;
    {
        com::ComPtr<TestForm> form = forms::createForm<TestForm>(counters);
        form->show();
        widget = form->widget();
        com::ComPtr<forms::IFormWindow> second = form.as<forms::IFormWindow>();
        form = nullptr;
        EXPECT_EQ(counters.destroyed, 0);
        EXPECT_FALSE(widget.isNull());
    }
    EXPECT_EQ(counters.destroyed, 1);
    EXPECT_TRUE(widget.isNull());
}

TEST(FormLifetime, FailedInitializeReleasesTheObject) {
    Counters counters;
    EXPECT_EQ(errorNumber([&] { forms::createForm<TestForm>(counters, true); }), com::kErrFileNotFound);
    EXPECT_EQ(counters.initialized, 1);
    EXPECT_EQ(counters.destroyed, 1);
}

struct BadLayoutForm : forms::FormObject<BadLayoutForm> {
    explicit BadLayoutForm(const char* name) : FormObject(kLayout), Wrong{this, name} {}
    forms::ControlArray<forms::Shape> Wrong;
};

TEST(FormLifetime, BindingToAMissingOrMismatchedControlFailsAtCreation) {
    for (const char* name : {"Nothing", "Pics", "Cover"}) {
        EXPECT_EQ(errorNumber([&] { forms::createForm<BadLayoutForm>(name); }), 5) << name;
    }
}

// A window class with a dual interface of its own, as the plug-in's windows have.
struct ITestDual : com::IDispatch {
    static constexpr com::IID iid = com::makeGuid("0f5b8a61-7a7c-4a51-8d0e-31c9b4a2f002");
    virtual com::HRESULT get_Answer(int32_t* answer) = 0;

protected:
    ~ITestDual() = default;
};

}  // namespace

template <>
const com::DispatchTable& com::dispatchTable<ITestDual>() {
    static const auto table =
        com::makeDispatchTable<ITestDual>(com::propertyGet("Answer", &ITestDual::get_Answer));
    return table;
}

namespace {

class DualForm : public forms::FormObject<DualForm, com::Dual<ITestDual>> {
public:
    DualForm() : FormObject(kLayout) {}
    com::HRESULT get_Answer(int32_t* answer) override {
        *answer = 42;
        return com::S_OK;
    }
};

TEST(FormLifetime, DualInterfaceIsTheDefaultDispatchAndTheWindowInterfaceIsThere) {
    const com::ComPtr<DualForm> form = forms::createForm<DualForm>();
    const com::ComPtr<com::IDispatch> dispatch = form.as<com::IDispatch>();
    ASSERT_TRUE(dispatch);
    EXPECT_EQ(static_cast<void*>(dispatch.get()), static_cast<void*>(form.as<ITestDual>().get()));
    com::VARIANT result;
    com::VariantInit(&result);
    EXPECT_EQ(com::invokeByName(dispatch.get(), "answer", com::DISPATCH_PROPERTYGET, {}, &result), com::S_OK);
    EXPECT_EQ(result.lVal, 42);
    com::VariantClear(&result);
    EXPECT_TRUE(dispatch.as<forms::IFormWindow>());
}

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
                                           DensityCase{6, {300, 180}, {40, 0}}));

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
                                           KeyCase{Qt::Key_A, 0}));

}  // namespace
