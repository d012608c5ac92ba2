// SPDX-License-Identifier: GPL-3.0-or-later
// The registry file reader: a file is read, or refused as corrupt (321) with
// its name and line; a store that was read and is written again reads back
// and writes the same text.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/com/registry.h"
#include "platform/com/runtimeerror.h"
#include "tests/fuzz/fuzzcheck.h"

namespace {

// In memory where there is a tmpfs: every change is written and synced.
const std::string& folder() {
    return fuzzFolder();
}

void writeFile(const std::string& path, std::string_view text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(text.data(), std::streamsize(text.size()));
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Reads the store and writes it again by adding and removing one key;
// returns the text written, or nothing when the file was refused.
std::optional<std::string> rewrite(const std::string& path) {
    com::Registry store(path);
    try {
        (void)store.enumerate("");
    } catch (const com::RuntimeError& error) {
        FUZZ_CHECK(error.number() == com::kErrInvalidFileFormat);
        FUZZ_CHECK(error.description().find(path) != std::string::npos);
        FUZZ_CHECK(error.description().find(" line ") != std::string::npos);
        return std::nullopt;
    }
    store.setValue("fuzz\\probe", "", "1");
    FUZZ_CHECK(store.value("fuzz\\probe") == "1");
    store.deleteKey("fuzz");
    return readFile(path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string first = folder() + "/first.txt", second = folder() + "/second.txt";
    writeFile(first, std::string_view(reinterpret_cast<const char*>(data), size));
    const std::optional<std::string> written = rewrite(first);
    if (!written) {
        // A refused file is left as it was.
        FUZZ_CHECK(readFile(first) == std::string_view(reinterpret_cast<const char*>(data), size));
        return 0;
    }
    writeFile(second, *written);
    FUZZ_CHECK(rewrite(second) == written);
    return 0;
}
