// SPDX-License-Identifier: GPL-3.0-or-later
// Creating objects on Windows: the system's class registry and its loading
// of in-process servers (CoCreateInstance, CLSIDFromProgID). Classes are
// found as every other client finds them, under HKEY_CLASSES_ROOT.

#include <string>

#include "platform/com/classtable.h"
#include "platform/com/win32/wide.h"

// Last: the system's macros would rewrite our own names (see system.h).
#include "platform/com/win32/system.h"

namespace com {
namespace {

const ::GUID& sys(const GUID& guid) {
    return reinterpret_cast<const ::GUID&>(guid);
}

}  // namespace

HRESULT CoGetClassObject(const CLSID& clsid, const IID& riid, void** object) {
    return ::CoGetClassObject(sys(clsid), CLSCTX_INPROC_SERVER, nullptr, sys(riid), object);
}

HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, const IID& riid, void** object) {
    return ::CoCreateInstance(sys(clsid), reinterpret_cast<::IUnknown*>(outer), CLSCTX_INPROC_SERVER,
                              sys(riid), object);
}

HRESULT CLSIDFromProgID(std::string_view progId, CLSID* clsid) {
    if (!clsid) return E_POINTER;
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
