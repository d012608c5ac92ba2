// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_SESSION_VERSIONINFO_H_
#define HOST_SESSION_VERSIONINFO_H_

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vexohost {

// The version block of a plug-in file: "Key=Value" entries in file order.
struct VersionInfo {
    std::vector<std::pair<std::string, std::string>> entries;

    // The value of key, or nothing when the block has no such entry.
    std::optional<std::string> value(std::string_view key) const;
};

// Reads the version block from a 64-bit ELF shared library without loading
// it. On failure returns nothing and, when error is given, says why (no such
// file, not an ELF file, no version block, malformed block). Every offset in
// the file is checked before it is used.
std::optional<VersionInfo> readVersionInfo(const std::string& path, std::string* error = nullptr);

}  // namespace vexohost

#endif  // HOST_SESSION_VERSIONINFO_H_
