// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_COM_SERVER_H_
#define PLATFORM_COM_SERVER_H_

#include <string>

#include "platform/com/guid.h"
#include "platform/com/hresult.h"

// Threads: the apartment thread only; the table of loaded servers has no lock.

namespace com {

// One loaded in-process server (a shared library with the exports of
// platform/com/exports.h). Owned by the runtime: it stays loaded for the life
// of the process unless unloadServer succeeds.
class Server {
public:
    using GetClassObjectFunction = HRESULT (*)(const CLSID&, const IID&, void**);
    using PlainFunction = HRESULT (*)();

    Server(std::string path, void* handle, GetClassObjectFunction getClassObject, PlainFunction canUnloadNow,
           PlainFunction registerServer, PlainFunction unregisterServer);
    Server(const Server&) = delete;
    Server& operator=(const Server&) = delete;

    // The canonical path the server was loaded from.
    const std::string& path() const { return m_path; }
    void* handle() const { return m_handle; }

    // The server's exports, called at a boundary: an escaping exception becomes E_UNEXPECTED.
    HRESULT getClassObject(const CLSID& clsid, const IID& riid, void** object) const;
    HRESULT canUnloadNow() const;
    HRESULT registerServer() const;
    HRESULT unregisterServer() const;

private:
    std::string m_path;
    void* m_handle;
    GetClassObjectFunction m_getClassObject;
    PlainFunction m_canUnloadNow;
    PlainFunction m_registerServer;
    PlainFunction m_unregisterServer;
};

// Loads the server at path (once per file: a second call returns the same
// Server). The reference stays valid until unloadServer unloads it. Raises
// run-time error 53 when the file does not exist, 48 when it is no loadable
// shared library, 453 when one of the four exports is missing; the
// description names the file and the cause.
Server& loadServer(const std::string& path);

// Unloads the server loaded from path if its DllCanUnloadNow answers S_OK;
// true when it was unloaded, false when it was not loaded or declined.
bool unloadServer(const std::string& path);

// The canonical path of the module (shared library or executable) that holds
// addressInModule, e.g. the address of a server's own function during its
// DllRegisterServer. Raises error 48 when no loaded module holds it.
std::string modulePathOf(const void* addressInModule);

}  // namespace com

#endif  // PLATFORM_COM_SERVER_H_
