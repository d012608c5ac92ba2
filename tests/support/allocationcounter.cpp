// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/allocationcounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

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

namespace testsupport {

long heapAllocations() {
    return g_allocations.load(std::memory_order_relaxed);
}

}  // namespace testsupport
