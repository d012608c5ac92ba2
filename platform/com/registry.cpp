// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/com/registry.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/com/runtimeerror.h"

namespace com {
namespace {

// File format: a header line, then one line per key or value, fields
// separated by tabs, with '%', tab, CR, LF and other control characters
// written as %XX:
//   K <tab> key path
//   V <tab> key path <tab> value name <tab> value
constexpr std::string_view kHeader = "nimbo-registry 1";

// Far above what any host writes (a few kilobytes, keys a few levels deep),
// and low enough that no file can make reading it slow or large: every key
// line creates its parents, each with its full path.
constexpr uintmax_t kMaxFileBytes = uintmax_t(1) << 20;
constexpr size_t kMaxKeyPath = 512;
constexpr size_t kMaxKeyDepth = 32;

// Temporary files of processes killed while they wrote the store
// (FILE.tmp.PID whose process is gone) are removed by the next writer.
void removeStaleTemporaries(const std::filesystem::path& file) {
    const std::string prefix = file.filename().string() + ".tmp.";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(file.parent_path(), error)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with(prefix)) continue;
        char* end = nullptr;
        const long pid = std::strtol(name.c_str() + prefix.size(), &end, 10);
        if (*end == '\0' && pid > 0 && pid != getpid() && kill(pid_t(pid), 0) != 0 && errno == ESRCH)
            std::filesystem::remove(entry.path(), error);
    }
}

std::string fold(std::string_view text) {
    std::string folded(text);
    for (char& c : folded)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return folded;
}

std::string_view trimKey(std::string_view key) {
    while (!key.empty() && key.front() == '\\') key.remove_prefix(1);
    while (!key.empty() && key.back() == '\\') key.remove_suffix(1);
    return key;
}

// What is wrong with a trimmed key path, if anything.
std::optional<std::string> keyProblem(std::string_view key) {
    if (key.find("\\\\") != std::string_view::npos) return "has an empty part";
    if (key.size() > kMaxKeyPath) return "is longer than " + std::to_string(kMaxKeyPath) + " characters";
    if (size_t(std::count(key.begin(), key.end(), '\\')) >= kMaxKeyDepth)
        return "is deeper than " + std::to_string(kMaxKeyDepth) + " keys";
    return std::nullopt;
}

// A key path without leading or trailing separators; empty segments, and
// paths too long or too deep to be read back, are refused.
std::string normalizeKey(std::string_view key) {
    key = trimKey(key);
    if (const auto problem = keyProblem(key)) {
        const std::string shown(key.substr(0, 60));
        raise(kErrInvalidCall, "registry key \"" + shown + (key.size() > 60 ? "...\" " : "\" ") + *problem);
    }
    return std::string(key);
}

std::string parentOf(const std::string& path) {
    const size_t separator = path.rfind('\\');
    return separator == std::string::npos ? std::string() : path.substr(0, separator);
}

std::string escape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '%' || byte < 0x20 || byte == 0x7F) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", byte);
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<std::string> unescape(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        const int high = detail::hexValue(text[i + 1]);
        const int low = detail::hexValue(text[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        out += static_cast<char>(high << 4 | low);
        i += 2;
    }
    return out;
}

std::vector<std::string_view> splitTabs(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (size_t tab; (tab = line.find('\t', start)) != std::string_view::npos; start = tab + 1)
        fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    return fields;
}

[[noreturn]] void corrupt(const std::string& file, int line, const std::string& why) {
    raise(kErrInvalidFileFormat, "registry file " + file + " line " + std::to_string(line) + ": " + why);
}

}  // namespace

void Registry::setLocation(std::string path) {
    m_location = std::move(path);
    m_keys.reset();
}

std::string Registry::location() const {
    return m_location.empty() ? defaultLocation() : m_location;
}

std::string Registry::defaultLocation() {
    if (const char* path = std::getenv("NIMBO_REGISTRY"); path && *path) return path;
    if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data)
        return std::string(data) + "/nimbo-lux/registry.txt";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.local/share/nimbo-lux/registry.txt";
}

void Registry::addKey(Keys& keys, const std::string& path) {
    for (std::string at = path; !at.empty(); at = parentOf(at)) {
        const auto [entry, added] = keys.try_emplace(fold(at));
        if (!added) break;
        entry->second.path = at;
    }
}

const Registry::Keys& Registry::keys() const {
    if (m_keys) return *m_keys;
    const std::string file = location();
    Keys keys;
    std::error_code error;
    const auto status = std::filesystem::status(file, error);
    if (status.type() == std::filesystem::file_type::not_found) {
        m_keys = std::move(keys);
        return *m_keys;
    }
    // Checked before it is opened: opening a FIFO would wait for a writer.
    if (status.type() != std::filesystem::file_type::regular)
        raise(kErrFileAccess, "registry file " + file + ": not a regular file");
    std::ifstream in(file);
    if (!in) raise(kErrFileAccess, "registry file " + file + ": cannot be read: " + std::strerror(errno));
    if (std::filesystem::file_size(file, error) > kMaxFileBytes)
        corrupt(file, 1, "larger than 1 MB, which no registry of this host is");
    std::string line;
    int number = 0;
    bool headerSeen = false;
    while (std::getline(in, line)) {
        ++number;
        if (!headerSeen) {
            if (line != kHeader)
                corrupt(file, number, "not a registry file (expected \"" + std::string(kHeader) + "\")");
            headerSeen = true;
            continue;
        }
        if (line.empty() || line.front() == '#') continue;
        const auto fields = splitTabs(line);
        std::vector<std::string> texts;
        for (size_t i = 1; i < fields.size(); ++i) {
            auto text = unescape(fields[i]);
            if (!text) corrupt(file, number, "malformed %-escape");
            texts.push_back(std::move(*text));
        }
        auto keyPath = [&] {
            const std::string_view path = trimKey(texts[0]);
            if (path.empty()) corrupt(file, number, "empty key path");
            if (const auto problem = keyProblem(path)) corrupt(file, number, "key path " + *problem);
            return std::string(path);
        };
        if (fields[0] == "K" && texts.size() == 1) {
            addKey(keys, keyPath());
        } else if (fields[0] == "V" && texts.size() == 3) {
            const std::string path = keyPath();
            addKey(keys, path);
            keys[fold(path)].values[fold(texts[1])] = {texts[1], texts[2]};
        } else {
            corrupt(file, number, "expected K<tab>key or V<tab>key<tab>name<tab>value");
        }
    }
    if (in.bad()) raise(kErrFileAccess, "registry file " + file + ": read failed");
    m_keys = std::move(keys);
    return *m_keys;
}

void Registry::commit(Keys changed) {
    if (m_readOnly) {
        m_keys = std::move(changed);
        return;
    }
    const std::filesystem::path named = location();
    std::error_code error;
    // Through a symbolic link to the file it names, and with the mode the file had.
    std::filesystem::path file = std::filesystem::weakly_canonical(named, error);
    if (error || file.empty()) file = named;
    struct stat existing {};
    const bool exists = ::stat(file.c_str(), &existing) == 0;
    if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path(), error);
    removeStaleTemporaries(file.has_parent_path() ? file : std::filesystem::path(".") / file);
    const std::filesystem::path temporary = file.string() + ".tmp." + std::to_string(getpid());
    std::string text = std::string(kHeader) + '\n';
    for (const auto& [folded, key] : changed) {
        text += "K\t" + escape(key.path) + '\n';
        for (const auto& [foldedName, entry] : key.values)
            text +=
                "V\t" + escape(key.path) + '\t' + escape(entry.first) + '\t' + escape(entry.second) + '\n';
    }
    // The new text reaches the disk under the temporary name before it
    // replaces the file, so a reader sees the old or the new store, whole.
    bool written = false;
    FILE* out = std::fopen(temporary.c_str(), "w");
    if (out) {
        written = (!exists || ::fchmod(fileno(out), existing.st_mode & 07777) == 0) &&
                  std::fwrite(text.data(), 1, text.size(), out) == text.size() && std::fflush(out) == 0 &&
                  fsync(fileno(out)) == 0;
        written = std::fclose(out) == 0 && written;
    }
    if (!written) {
        const std::string why = std::strerror(errno);
        if (out) std::filesystem::remove(temporary, error);
        raise(kErrFileAccess,
              "registry file " + named.string() + ": cannot write " + temporary.string() + ": " + why);
    }
    std::filesystem::rename(temporary, file, error);
    if (error) {
        std::filesystem::remove(temporary, error);
        raise(kErrFileAccess, "registry file " + named.string() + ": cannot replace it");
    }
    m_keys = std::move(changed);
}

void Registry::setValue(std::string_view key, std::string_view name, std::string_view value) {
    const std::string path = normalizeKey(key);
    if (path.empty()) raise(kErrInvalidCall, "a value needs a registry key");
    // Setting what is there already leaves the file alone: a server that
    // registers itself at every start writes only the first time.
    if (const auto found = keys().find(fold(path)); found != keys().end()) {
        const auto entry = found->second.values.find(fold(name));
        if (entry != found->second.values.end() && entry->second.first == name &&
            entry->second.second == value)
            return;
    }
    Keys changed = keys();
    addKey(changed, path);
    changed[fold(path)].values[fold(name)] = {std::string(name), std::string(value)};
    commit(std::move(changed));
}

std::optional<std::string> Registry::value(std::string_view key, std::string_view name) const {
    const auto& all = keys();
    const auto found = all.find(fold(normalizeKey(key)));
    if (found == all.end()) return std::nullopt;
    const auto entry = found->second.values.find(fold(name));
    if (entry == found->second.values.end()) return std::nullopt;
    return entry->second.second;
}

bool Registry::deleteValue(std::string_view key, std::string_view name) {
    const std::string folded = fold(normalizeKey(key));
    const auto& all = keys();
    const auto found = all.find(folded);
    if (found == all.end() || !found->second.values.contains(fold(name))) return false;
    Keys changed = all;
    changed[folded].values.erase(fold(name));
    commit(std::move(changed));
    return true;
}

void Registry::createKey(std::string_view key) {
    const std::string path = normalizeKey(key);
    if (path.empty() || keyExists(path)) return;
    Keys changed = keys();
    addKey(changed, path);
    commit(std::move(changed));
}

bool Registry::deleteKey(std::string_view key) {
    const std::string folded = fold(normalizeKey(key));
    if (folded.empty()) raise(kErrInvalidCall, "the registry root cannot be deleted");
    if (!keys().contains(folded)) return false;
    Keys changed = keys();
    const std::string prefix = folded + '\\';
    std::erase_if(
        changed, [&](const auto& entry) { return entry.first == folded || entry.first.starts_with(prefix); });
    commit(std::move(changed));
    return true;
}

bool Registry::keyExists(std::string_view key) const {
    const std::string folded = fold(normalizeKey(key));
    return folded.empty() || keys().contains(folded);
}

std::vector<std::string> Registry::enumerate(std::string_view key) const {
    const std::string folded = fold(normalizeKey(key));
    const std::string prefix = folded.empty() ? std::string() : folded + '\\';
    std::vector<std::string> names;
    for (auto it = keys().lower_bound(prefix); it != keys().end() && it->first.starts_with(prefix); ++it) {
        const std::string_view rest = std::string_view(it->first).substr(prefix.size());
        if (rest.empty() || rest.find('\\') != std::string_view::npos) continue;
        names.push_back(it->second.path.substr(it->second.path.size() - rest.size()));
    }
    return names;
}

std::vector<std::string> Registry::valueNames(std::string_view key) const {
    std::vector<std::string> names;
    const auto found = keys().find(fold(normalizeKey(key)));
    if (found != keys().end())
        for (const auto& [folded, entry] : found->second.values) names.push_back(entry.first);
    return names;
}

Registry& registry() {
    static Registry processRegistry;
    return processRegistry;
}

void writeClassRegistration(const ClassRegistration& registration) {
    Registry& store = registry();
    const std::string classKey = "CLSID\\" + formatGuid(registration.clsid);
    store.setValue(classKey, "", registration.description);
    store.setValue(classKey + "\\InprocServer32", "", registration.serverPath);
    store.setValue(classKey + "\\InprocServer32", "ThreadingModel", "Apartment");
    store.setValue(classKey + "\\ProgID", "", registration.progId);
    if (registration.typeLib) store.setValue(classKey + "\\TypeLib", "", formatGuid(*registration.typeLib));
    store.setValue(registration.progId, "", registration.description);
    store.setValue(registration.progId + "\\CLSID", "", formatGuid(registration.clsid));
}

void removeClassRegistration(const CLSID& clsid, std::string_view progId) {
    registry().deleteKey("CLSID\\" + formatGuid(clsid));
    if (!normalizeKey(progId).empty()) registry().deleteKey(progId);
}

void writeTypeLibRegistration(const GUID& libid, std::string_view version, std::string_view helpString,
                              std::string_view path) {
    Registry& store = registry();
    const std::string versionKey = "TypeLib\\" + formatGuid(libid) + "\\" + std::string(version);
    store.setValue(versionKey, "", helpString);
    store.setValue(versionKey + "\\0\\linux64", "", path);
    store.setValue(versionKey + "\\FLAGS", "", "0");
    store.setValue(versionKey + "\\HELPDIR", "", std::filesystem::path(path).parent_path().string());
}

void removeTypeLibRegistration(const GUID& libid) {
    registry().deleteKey("TypeLib\\" + formatGuid(libid));
}

std::string typeLibRegistrationPath(const GUID& libid, std::string_view version) {
    return registry()
        .value("TypeLib\\" + formatGuid(libid) + "\\" + std::string(version) + "\\0\\linux64")
        .value_or(std::string());
}

}  // namespace com
