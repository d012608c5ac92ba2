// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESTS_FUZZ_FUZZCHECK_H_
#define TESTS_FUZZ_FUZZCHECK_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// An invariant of a reader: when it does not hold, the input is a finding.
// Aborts, so libFuzzer keeps the input and a corpus replay fails.
#define FUZZ_CHECK(condition)                                                                       \
    do {                                                                                            \
        if (!(condition)) {                                                                         \
            std::fprintf(stderr, "invariant failed: %s (%s:%d)\n", #condition, __FILE__, __LINE__); \
            std::abort();                                                                           \
        }                                                                                           \
    } while (0)

// The input read as a sequence of values; zeros once it is used up.
struct FuzzInput {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    unsigned byte() { return at < size ? data[at++] : 0; }
    unsigned word() { return byte() | byte() << 8; }
};

#endif  // TESTS_FUZZ_FUZZCHECK_H_
