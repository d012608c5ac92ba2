// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESTS_FUZZ_FUZZCHECK_H_
#define TESTS_FUZZ_FUZZCHECK_H_

#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

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

// A folder of this process's own for the files a target writes, in memory
// where there is a tmpfs. It goes, with what it holds, when the process
// exits; a crash leaves it, as it leaves the input that caused it.
inline const std::string& fuzzFolder() {
    struct Folder {
        std::string path;
        Folder() {
            const std::filesystem::path base = std::filesystem::is_directory("/dev/shm")
                                                   ? std::filesystem::path("/dev/shm")
                                                   : std::filesystem::temp_directory_path();
            path = (base / "nimbo_fuzz.XXXXXX").string();
            if (!mkdtemp(path.data())) {
                std::perror("fuzz: a folder of its own");
                std::abort();
            }
        }
        ~Folder() {
            std::error_code ignored;
            std::filesystem::remove_all(path, ignored);
        }
    };
    static const Folder folder;
    return folder.path;
}

#endif  // TESTS_FUZZ_FUZZCHECK_H_
