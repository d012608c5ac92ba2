// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/com/server.h"

#include <dlfcn.h>
#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>

#include "platform/com/runtimeerror.h"

namespace com {
namespace {

// Servers by canonical path. Destroying this map at exit does not unload them:
// objects of a server may still be released by other static objects then.
std::map<std::string, std::unique_ptr<Server>>& servers() {
    static std::map<std::string, std::unique_ptr<Server>> loaded;
    return loaded;
}

std::string canonicalPath(const std::string& path) {
    char resolved[PATH_MAX];
    if (!realpath(path.c_str(), resolved)) return path;
    return resolved;
}

// What dlopen maps must lie within the file: a segment past its end (a
// truncated or damaged library) would be mapped anyway, and touching it kills
// the process with SIGBUS. The reason, or empty when the file is sound.
std::string elfImageFault(const std::string& path, off_t size) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return std::strerror(errno);
    const auto readAt = [fd](void* into, size_t length, uint64_t offset) {
        return ::pread(fd, into, length, off_t(offset)) == ssize_t(length);
    };
    const auto within = [size](uint64_t offset, uint64_t length) {
        return offset <= uint64_t(size) && length <= uint64_t(size) - offset;
    };
    std::string fault;
    Elf64_Ehdr header{};
    if (!readAt(&header, sizeof header, 0) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
        header.e_ident[EI_CLASS] != ELFCLASS64) {
        fault = "not a 64-bit ELF library";
    } else if (header.e_phentsize != sizeof(Elf64_Phdr) ||
               !within(header.e_phoff, uint64_t(header.e_phnum) * sizeof(Elf64_Phdr))) {
        fault = "malformed: its program headers lie beyond the end of the file";
    } else if (header.e_shnum != 0 &&
               !within(header.e_shoff, uint64_t(header.e_shnum) * header.e_shentsize)) {
        fault = "malformed: its section headers lie beyond the end of the file (truncated?)";
    } else {
        for (unsigned i = 0; i < header.e_phnum && fault.empty(); ++i) {
            Elf64_Phdr segment{};
            if (!readAt(&segment, sizeof segment, header.e_phoff + i * sizeof segment))
                fault = "malformed: its program headers cannot be read";
            else if (segment.p_type == PT_LOAD && !within(segment.p_offset, segment.p_filesz))
                fault = "malformed: a segment lies beyond the end of the file (truncated?)";
        }
    }
    ::close(fd);
    return fault;
}

}  // namespace

Server::Server(std::string path, void* handle, GetClassObjectFunction getClassObject,
               PlainFunction canUnloadNow, PlainFunction registerServer, PlainFunction unregisterServer)
    : m_path(std::move(path)),
      m_handle(handle),
      m_getClassObject(getClassObject),
      m_canUnloadNow(canUnloadNow),
      m_registerServer(registerServer),
      m_unregisterServer(unregisterServer) {}

HRESULT Server::getClassObject(const CLSID& clsid, const IID& riid, void** object) const {
    if (!object) return E_POINTER;
    *object = nullptr;
    return guarded([&] { return m_getClassObject(clsid, riid, object); });
}

HRESULT Server::canUnloadNow() const {
    return guarded([&] { return m_canUnloadNow(); });
}

HRESULT Server::registerServer() const {
    return guarded([&] { return m_registerServer(); });
}

HRESULT Server::unregisterServer() const {
    return guarded([&] { return m_unregisterServer(); });
}

Server& loadServer(const std::string& path) {
    struct stat info;
    if (path.empty() || stat(path.c_str(), &info) != 0)
        raise(kErrFileNotFound, "in-process server " + path + ": " + std::strerror(errno));
    if (!S_ISREG(info.st_mode)) raise(kErrDllLoad, "in-process server " + path + ": not a regular file");
    const std::string canonical = canonicalPath(path);
    auto& loaded = servers();
    if (const auto found = loaded.find(canonical); found != loaded.end()) return *found->second;
    if (const std::string fault = elfImageFault(canonical, info.st_size); !fault.empty())
        raise(kErrDllLoad, "in-process server " + canonical + ": " + fault);

    void* handle = dlopen(canonical.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        raise(kErrDllLoad, "in-process server " + canonical + ": " + (why ? why : "cannot be loaded"));
    }
    const auto resolve = [&](const char* name) {
        void* symbol = dlsym(handle, name);
        if (!symbol) {
            dlclose(handle);
            raise(kErrDllEntryPoint, std::string(name) + " in " + canonical);
        }
        return symbol;
    };
    // One after the other, so that the first missing export is the one named.
    void* getClassObject = resolve("DllGetClassObject");
    void* canUnloadNow = resolve("DllCanUnloadNow");
    void* registerServer = resolve("DllRegisterServer");
    void* unregisterServer = resolve("DllUnregisterServer");
    auto server = std::make_unique<Server>(canonical, handle,
                                           reinterpret_cast<Server::GetClassObjectFunction>(getClassObject),
                                           reinterpret_cast<Server::PlainFunction>(canUnloadNow),
                                           reinterpret_cast<Server::PlainFunction>(registerServer),
                                           reinterpret_cast<Server::PlainFunction>(unregisterServer));
    return *loaded.emplace(canonical, std::move(server)).first->second;
}

bool unloadServer(const std::string& path) {
    auto& loaded = servers();
    const auto found = loaded.find(canonicalPath(path));
    if (found == loaded.end() || found->second->canUnloadNow() != S_OK) return false;
    void* handle = found->second->handle();
    loaded.erase(found);
    dlclose(handle);
    return true;
}

std::string modulePathOf(const void* addressInModule) {
    Dl_info info{};
    if (!addressInModule || !dladdr(addressInModule, &info) || !info.dli_fname || !*info.dli_fname)
        raise(kErrDllLoad, "no loaded module holds the address");
    return canonicalPath(info.dli_fname);
}

}  // namespace com
