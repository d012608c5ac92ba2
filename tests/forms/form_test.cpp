// SPDX-License-Identifier: GPL-3.0-or-later
// Forms as objects: their events, loading and unloading, control arrays,
// their COM identity and their lifetime.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include "platform/com/dispatchbuilder.h"
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
#include "tests/forms/testform.h"
#include "tests/support/casename.h"

namespace formtest {
namespace {

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

void PrintTo(const BoundsCase& c, std::ostream* out) {
    *out << "item " << c.index << (c.exists ? " exists" : " missing");
}
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
                                           BoundsCase{-32768, false}),
                         testsupport::CaseName());

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

// Shown first over a window near the screen's bottom right corner, a form
// stands wholly on the screen; one placed by its owner stays where it was put.
TEST_F(FormTest, FirstShownWhollyOnTheScreen) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    QWidget owner;
    owner.resize(200, 100);
    owner.move(area.bottomRight() - QPoint(120, 60));
    owner.show();
    owner.activateWindow();
    QApplication::setActiveWindow(&owner);
    form->show();
    EXPECT_TRUE(area.contains(form->widget()->geometry()))
        << form->widget()->geometry().x() << "," << form->widget()->geometry().y();
    form->hide();
    form->widget()->move(area.topLeft() + QPoint(5, 7));
    form->show();
    EXPECT_EQ(form->widget()->pos(), area.topLeft() + QPoint(5, 7));
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
    virtual com::HRESULT NIMBO_COM_CALL get_Answer(int32_t* answer) = 0;

protected:
    ~ITestDual() = default;
};

}  // namespace
}  // namespace formtest

template <>
const com::DispatchTable& com::dispatchTable<formtest::ITestDual>() {
    using formtest::ITestDual;
    static const auto table =
        com::makeDispatchTable<ITestDual>(com::propertyGet("Answer", &ITestDual::get_Answer));
    return table;
}

namespace formtest {
namespace {

class DualForm : public forms::FormObject<DualForm, com::Dual<ITestDual>> {
public:
    DualForm() : FormObject(kLayout) {}
    com::HRESULT NIMBO_COM_CALL get_Answer(int32_t* answer) override {
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

}  // namespace
}  // namespace formtest
