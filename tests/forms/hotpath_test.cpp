// SPDX-License-Identifier: GPL-3.0-or-later
// Changing a picture or a Visible flag on a loaded, hidden window is the path
// of every channel value: it must not touch the heap at all.
#include <gtest/gtest.h>

#include "platform/forms/controlarray.h"
#include "platform/forms/formobject.h"
#include "platform/forms/image.h"
#include "platform/forms/shape.h"
#include "tests/support/allocationcounter.h"

namespace {

using forms::ControlDesign;
using forms::ControlKind;

constexpr ControlDesign kControls[] = {
    {.kind = ControlKind::Shape,
     .name = "fire",
     .index = 0,
     .left = 600,
     .top = 2280,
     .width = 180,
     .height = 180},
    {.kind = ControlKind::Shape,
     .name = "fire",
     .index = 1,
     .left = 1680,
     .top = 2280,
     .width = 180,
     .height = 180},
    {.kind = ControlKind::Image,
     .name = "Nimbo",
     .index = 0,
     .left = 120,
     .top = 120,
     .width = 1440,
     .height = 2208},
    {.kind = ControlKind::Image,
     .name = "Nimbo",
     .index = 1,
     .left = 1200,
     .top = 120,
     .width = 1440,
     .height = 2208},
};
constexpr forms::FormLayout kLayout{
    .name = "HotForm", .caption = "Hot", .clientWidth = 3600, .clientHeight = 3000, .controls = kControls};

class HotForm : public forms::FormObject<HotForm> {
public:
    HotForm() : FormObject(kLayout) {}
    forms::ControlArray<forms::Image> Nimbo{this, "Nimbo"};
    forms::ControlArray<forms::Shape> fire{this, "fire"};
};

com::ComPtr<forms::Picture> picture(QRgb colour) {
    QImage image(120, 184, QImage::Format_ARGB32);
    image.fill(colour);
    return forms::Picture::fromImage(image);
}

TEST(HotPath, UpdatesOfAHiddenLoadedWindowAllocateNothing) {
    const com::ComPtr<HotForm> form = forms::createForm<HotForm>();
    const com::ComPtr<forms::Picture> dark = picture(qRgb(10, 10, 10));
    const com::ComPtr<forms::Picture> bright = picture(qRgb(250, 250, 250));
    form->load();
    // Shown once and hidden again, as a host may leave it.
    form->show();
    form->hide();

    const long before = testsupport::heapAllocations();
    for (int round = 0; round < 1000; ++round) {
        const int i = round % 2;
        form->fire(i).setVisible(round % 3 == 0);
        form->Nimbo(i).setPicture(round % 5 ? bright : dark);
        form->Nimbo(i).setPicture(nullptr);
        form->Nimbo(i).setPicture(dark);
    }
    EXPECT_EQ(testsupport::heapAllocations() - before, 0);
    EXPECT_EQ(form->Nimbo(1).picture().get(), dark.get());
}

}  // namespace
