// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESTS_SUPPORT_ALLOCATIONCOUNTER_H_
#define TESTS_SUPPORT_ALLOCATIONCOUNTER_H_

namespace testsupport {

// How many times operator new has run in this process so far. Linking this
// replaces the global operator new and delete with counting ones, for tests
// and benchmarks that prove a path never touches the heap. A program that
// exports its symbols (ENABLE_EXPORTS) counts the allocations of the
// libraries it loads too.
long heapAllocations();

}  // namespace testsupport

#endif  // TESTS_SUPPORT_ALLOCATIONCOUNTER_H_
