// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESTS_FORMS_TESTFORM_H_
#define TESTS_FORMS_TESTFORM_H_

// A window of every control kind, built from a layout of its own, and the
// fixture that creates it: shared by the toolkit's form and control tests.

#include <gtest/gtest.h>

#include <QImage>
#include <QString>
#include <functional>
#include <initializer_list>
#include <utility>
#include <vector>

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

namespace formtest {

using forms::Color;
using forms::ControlDesign;
using forms::ControlKind;

inline constexpr int px(int pixels) {
    return pixels * forms::kDesignTwipsPerPixel;
}

inline constexpr Color kBlue = Color::fromRgb(0, 0, 255);
inline constexpr Color kGreen = Color::fromRgb(0, 255, 0);
inline constexpr Color kYellow = Color::fromRgb(255, 255, 0);
inline constexpr Color kGrey = Color::fromRgb(200, 200, 200);

// Front to back. Pictures are given in code; Pics(1) has a design picture.
inline constexpr ControlDesign kControls[] = {
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

inline constexpr forms::FormLayout kLayout{.name = "TestForm",
                                           .caption = "Test window",
                                           .clientWidth = px(150),
                                           .clientHeight = px(90),
                                           .backColor = kBlue,
                                           .controls = kControls};

// A plain interface of the window's own, to see QueryInterface answer both.
struct ITestTool : com::IUnknown {
    static constexpr com::IID iid = com::makeGuid("0f5b8a61-7a7c-4a51-8d0e-31c9b4a2f001");
    virtual com::HRESULT NIMBO_COM_CALL Ping(int32_t* answer) = 0;

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

    com::HRESULT NIMBO_COM_CALL Ping(int32_t* answer) override {
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
inline com::ComPtr<forms::Picture> solid(QSize size, QRgb colour, std::initializer_list<QPoint> holes = {}) {
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

inline int errorNumber(const std::function<void()>& body) {
    try {
        body();
    } catch (const com::RuntimeError& error) {
        return error.number();
    }
    return 0;
}

}  // namespace formtest

#endif  // TESTS_FORMS_TESTFORM_H_
