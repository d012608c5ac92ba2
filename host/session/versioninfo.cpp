// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/session/versioninfo.h"

#include <elf.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "vexo/versionblock.h"

namespace vexohost {
namespace {

// Plug-in files are small; anything larger than this is not one of ours.
constexpr std::streamoff kMaxFileSize = 256 * 1024 * 1024;

std::optional<VersionInfo> fail(std::string* error, std::string why) {
    if (error) *error = std::move(why);
    return std::nullopt;
}

bool inBounds(const std::string& data, uint64_t offset, uint64_t size) {
    return offset <= data.size() && size <= data.size() - offset;
}

}  // namespace

std::optional<std::string> VersionInfo::value(std::string_view key) const {
    for (const auto& [k, v] : entries)
        if (k == key) return v;
    return std::nullopt;
}

std::optional<VersionInfo> readVersionInfo(const std::string& path, std::string* error) {
    // Opening a FIFO would wait for a writer that may never come.
    std::error_code statError;
    if (std::filesystem::exists(path, statError) && !std::filesystem::is_regular_file(path, statError))
        return fail(error, path + ": not a regular file");
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file) return fail(error, path + ": cannot open file");
    const std::streamoff size = file.tellg();
    if (size < 0 || size > kMaxFileSize) return fail(error, path + ": not a plug-in file (size)");
    file.seekg(0);
    std::string data(static_cast<size_t>(size), '\0');
    if (!file.read(data.data(), size)) return fail(error, path + ": read error");

    Elf64_Ehdr header;
    if (!inBounds(data, 0, sizeof header) || std::memcmp(data.data(), ELFMAG, SELFMAG) != 0 ||
        data[EI_CLASS] != ELFCLASS64)
        return fail(error, path + ": not a 64-bit ELF file");
    std::memcpy(&header, data.data(), sizeof header);
    if (header.e_shentsize != sizeof(Elf64_Shdr) || header.e_shstrndx >= header.e_shnum ||
        !inBounds(data, header.e_shoff, uint64_t(header.e_shnum) * sizeof(Elf64_Shdr)))
        return fail(error, path + ": malformed section table");

    auto section = [&](unsigned index) {
        Elf64_Shdr s;
        std::memcpy(&s, data.data() + header.e_shoff + index * sizeof(Elf64_Shdr), sizeof s);
        return s;
    };
    const Elf64_Shdr names = section(header.e_shstrndx);
    if (!inBounds(data, names.sh_offset, names.sh_size))
        return fail(error, path + ": malformed section names");

    for (unsigned i = 0; i < header.e_shnum; ++i) {
        const Elf64_Shdr s = section(i);
        if (s.sh_name >= names.sh_size) continue;
        const char* name = data.data() + names.sh_offset + s.sh_name;
        const size_t maxLength = names.sh_size - s.sh_name;
        if (strnlen(name, maxLength) == maxLength || std::strcmp(name, kVersionSectionName) != 0) continue;
        if (s.sh_type == SHT_NOBITS || !inBounds(data, s.sh_offset, s.sh_size))
            return fail(error, path + ": malformed version block");

        std::string_view block(data.data() + s.sh_offset, s.sh_size);
        block = block.substr(0, block.find('\0'));
        VersionInfo info;
        bool first = true;
        while (!block.empty()) {
            const size_t end = block.find('\n');
            const std::string_view line = block.substr(0, end);
            block = end == std::string_view::npos ? std::string_view{} : block.substr(end + 1);
            if (first) {
                if (line != kVersionBlockHeader) return fail(error, path + ": unknown version block format");
                first = false;
                continue;
            }
            const size_t equals = line.find('=');
            if (equals == std::string_view::npos)
                return fail(error, path + ": malformed version block entry");
            info.entries.emplace_back(line.substr(0, equals), line.substr(equals + 1));
        }
        if (first) return fail(error, path + ": empty version block");
        return info;
    }
    return fail(error, path + ": no version block");
}

}  // namespace vexohost
