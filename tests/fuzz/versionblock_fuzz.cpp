// SPDX-License-Identifier: GPL-3.0-or-later
// The plug-in's version-block reader, which reads a file nobody vouches for
// before it is loaded: any bytes give the entries of a block, or a reason.

#include <filesystem>
#include <fstream>
#include <string>

#include "host/session/versioninfo.h"
#include "tests/fuzz/fuzzcheck.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = fuzzFolder() + "/plugin.so";
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), std::streamsize(size));
    std::string error;
    const auto info = vexohost::readVersionInfo(path, &error);
    FUZZ_CHECK(info.has_value() != !error.empty());
    if (info) {
        for (const auto& [key, value] : info->entries) {
            FUZZ_CHECK(key.find('\n') == std::string::npos && value.find('\n') == std::string::npos);
            FUZZ_CHECK(info->value(key).has_value());
        }
    }
    std::filesystem::remove(path);
    return 0;
}
