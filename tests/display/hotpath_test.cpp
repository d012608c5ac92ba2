// Every channel value runs UpdateNimbo: on a loaded window that the host
// keeps hidden it must not touch the heap at all.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "display/nimboform.h"
#include "tests/display/nimbotest.h"

namespace {
std::atomic<long> g_allocations{0};
}  // namespace

void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* memory = std::malloc(size ? size : 1)) return memory;
    throw std::bad_alloc();
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

namespace {

using DisplayHotPathTest = nimbotest::NimboTest;

TEST_F(DisplayHotPathTest, ThousandUpdatesOfAHiddenWindowAllocateNothing) {
    nimbo::NimboForm& form = nimbo::NimboForm::instance();
    form.show();
    form.hide();
    ASSERT_TRUE(form.isLoaded());

    const long before = g_allocations.load();
    for (int round = 0; round < 1000; ++round) {
        const int32_t ch = 1 + round % 9;
        const int32_t value = (round * 37) % 300 - 20;  // every band, negatives and 256+
        form.UpdateNimbo(ch, value);
    }
    EXPECT_EQ(g_allocations.load() - before, 0);
    EXPECT_FALSE(form.isVisible());
}

}  // namespace
