// SPDX-License-Identifier: GPL-3.0-or-later
// Every channel value runs UpdateNimbo: on a loaded window that the host
// keeps hidden it must not touch the heap at all.
#include <gtest/gtest.h>

#include "display/nimboform.h"
#include "tests/display/nimbotest.h"
#include "tests/support/allocationcounter.h"

namespace {

using DisplayHotPathTest = nimbotest::NimboTest;

TEST_F(DisplayHotPathTest, ThousandUpdatesOfAHiddenWindowAllocateNothing) {
    nimbo::NimboForm& form = nimbo::NimboForm::instance();
    form.show();
    form.hide();
    ASSERT_TRUE(form.isLoaded());

    const long before = testsupport::heapAllocations();
    for (int round = 0; round < 1000; ++round) {
        const int32_t ch = 1 + round % 9;
        const int32_t value = (round * 37) % 300 - 20;  // every band, negatives and 256+
        form.UpdateNimbo(ch, value);
    }
    EXPECT_EQ(testsupport::heapAllocations() - before, 0);
    EXPECT_FALSE(form.isVisible());
}

}  // namespace
