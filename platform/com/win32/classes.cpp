// SPDX-License-Identifier: GPL-3.0-or-later
// Creating objects on Windows: the system's class registry and its loading
// of in-process servers (CoCreateInstance, CLSIDFromProgID). Classes are
// found as every other client finds them, under HKEY_CLASSES_ROOT, after
// the classes a program registers for itself (CoRegisterClassObject), which
// come first as they do for every caller in the process.

#include <map>
#include <string>
#include <utility>

#include "platform/com/classtable.h"
#include "platform/com/win32/wide.h"

// Last: the system's macros would rewrite our own names (see system.h).
#include "platform/com/win32/system.h"

namespace com {
namespace {

const ::GUID& sys(const GUID& guid) {
    return reinterpret_cast<const ::GUID&>(guid);
}

// The classes this program registered: the system's cookie of each, and the
// ProgIDs it gave them. Apartment thread only.
struct OwnClass {
    DWORD cookie = 0;
    std::string progId;
};
std::map<std::string, OwnClass>& ownClasses() {
    static std::map<std::string, OwnClass> classes;
    return classes;
}

}  // namespace

void registerClass(const CLSID& clsid, std::string progId, ComPtr<IClassFactory> factory) {
    unregisterClass(clsid);
    DWORD cookie = 0;
    const HRESULT status = ::CoRegisterClassObject(sys(clsid), reinterpret_cast<::IUnknown*>(factory.get()),
                                                   CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie);
    if (FAILED(status)) raiseStatus(status);
    ownClasses()[formatGuid(clsid)] = {cookie, std::move(progId)};
}

bool unregisterClass(const CLSID& clsid) {
    const auto found = ownClasses().find(formatGuid(clsid));
    if (found == ownClasses().end()) return false;
    ::CoRevokeClassObject(found->second.cookie);
    ownClasses().erase(found);
    return true;
}

HRESULT CoGetClassObject(const CLSID& clsid, const IID& riid, void** object) {
    return ::CoGetClassObject(sys(clsid), CLSCTX_INPROC_SERVER, nullptr, sys(riid), object);
}

HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, const IID& riid, void** object) {
    return ::CoCreateInstance(sys(clsid), reinterpret_cast<::IUnknown*>(outer), CLSCTX_INPROC_SERVER,
                              sys(riid), object);
}

HRESULT CLSIDFromProgID(std::string_view progId, CLSID* clsid) {
    if (!clsid) return E_POINTER;
    for (const auto& [id, own] : ownClasses()) {
        if (!own.progId.empty() && _stricmp(own.progId.c_str(), std::string(progId).c_str()) == 0) {
            *clsid = *parseGuid(id);
            return S_OK;
        }
    }
    const std::wstring name = win32::toWide(progId);
    return ::CLSIDFromProgID(name.c_str(), reinterpret_cast<::GUID*>(clsid));
}

HRESULT createInstanceByProgId(std::string_view progId, const IID& riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    CLSID clsid;
    const HRESULT status = CLSIDFromProgID(progId, &clsid);
    if (FAILED(status)) return status;
    return CoCreateInstance(clsid, nullptr, riid, object);
}

}  // namespace com
