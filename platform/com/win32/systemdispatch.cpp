// SPDX-License-Identifier: GPL-3.0-or-later
// IDispatch of a dual interface on Windows, served by the system's
// automation from the interface's type information, as a client's script
// host, the type-library marshaller and early-binding tools all read it.
//
// The type information of an interface is looked up once per process: first
// in the type libraries embedded in the module that implements it (resources
// TYPELIB 1, 2, ...), which needs no registration, then in the library that
// HKEY_CLASSES_ROOT\Interface\{iid}\TypeLib names.

#include <map>
#include <mutex>
#include <string>

#include "platform/com/dispatch.h"
#include "platform/com/win32/wide.h"

// Last: the system's macros would rewrite our own names (see system.h).
#include "platform/com/win32/system.h"

namespace com::system_dispatch {
namespace {

// The libraries embedded in this module hold at most this many type libraries.
constexpr int kMaxEmbeddedLibraries = 8;

const ::GUID& sys(const GUID& guid) {
    return reinterpret_cast<const ::GUID&>(guid);
}

ITypeInfo* fromEmbeddedLibraries(const GUID& iid) {
    std::wstring path;
    try {
        path = win32::modulePath(reinterpret_cast<const void*>(&fromEmbeddedLibraries));
    } catch (...) {
        return nullptr;
    }
    for (int index = 1; index <= kMaxEmbeddedLibraries; ++index) {
        const std::wstring resource = index == 1 ? path : path + L"\\" + std::to_wstring(index);
        ITypeLib* library = nullptr;
        if (FAILED(LoadTypeLibEx(resource.c_str(), REGKIND_NONE, &library))) break;
        ITypeInfo* info = nullptr;
        const HRESULT status = library->GetTypeInfoOfGuid(sys(iid), &info);
        library->Release();
        if (SUCCEEDED(status)) return info;
    }
    return nullptr;
}

ITypeInfo* fromRegisteredLibrary(const GUID& iid) {
    const std::wstring key = L"Interface\\" + win32::wideGuid(iid) + L"\\TypeLib";
    wchar_t libid[64] = {}, version[32] = {};
    DWORD size = sizeof libid;
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, libid, &size) !=
        ERROR_SUCCESS)
        return nullptr;
    size = sizeof version;
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), L"Version", RRF_RT_REG_SZ, nullptr, version, &size) !=
        ERROR_SUCCESS)
        return nullptr;
    ::GUID library{};
    unsigned major = 0, minor = 0;
    if (FAILED(CLSIDFromString(libid, &library)) || swscanf(version, L"%x.%x", &major, &minor) != 2)
        return nullptr;
    ITypeLib* lib = nullptr;
    if (FAILED(LoadRegTypeLib(library, static_cast<WORD>(major), static_cast<WORD>(minor), 0, &lib)))
        return nullptr;
    ITypeInfo* info = nullptr;
    if (FAILED(lib->GetTypeInfoOfGuid(sys(iid), &info))) info = nullptr;
    lib->Release();
    return info;
}

// The type information of iid, not AddRef'ed (the cache keeps it for the
// life of the module); null when neither place has it.
ITypeInfo* typeInfoOf(const GUID& iid) {
    static std::mutex mutex;
    static std::map<std::string, ITypeInfo*> found;
    const std::lock_guard lock(mutex);
    const std::string key = formatGuid(iid);
    if (const auto it = found.find(key); it != found.end()) return it->second;
    ITypeInfo* info = fromEmbeddedLibraries(iid);
    if (!info) info = fromRegisteredLibrary(iid);
    // Only a success is kept: a library registered later is still found.
    if (info) found.emplace(key, info);
    return info;
}

}  // namespace

HRESULT getTypeInfo(const IID& iid, uint32_t index, void** typeInfo) {
    if (!typeInfo) return E_POINTER;
    *typeInfo = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    ITypeInfo* info = typeInfoOf(iid);
    if (!info) return TYPE_E_LIBNOTREGISTERED;
    info->AddRef();
    *typeInfo = info;
    return S_OK;
}

HRESULT getIDsOfNames(const IID& iid, const IID& riid, const OLECHAR** names, uint32_t nameCount,
                      DISPID* dispIds) {
    if (!IsEqualGUID(sys(riid), IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* info = typeInfoOf(iid);
    if (!info) return TYPE_E_LIBNOTREGISTERED;
    return DispGetIDsOfNames(info, reinterpret_cast<LPOLESTR*>(const_cast<OLECHAR**>(names)), nameCount,
                             reinterpret_cast<::DISPID*>(dispIds));
}

HRESULT invoke(const IID& iid, void* self, DISPID member, const IID& riid, LCID, uint16_t flags,
               DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception, uint32_t* argumentError) {
    if (!IsEqualGUID(sys(riid), IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
    ITypeInfo* info = typeInfoOf(iid);
    if (!info) return TYPE_E_LIBNOTREGISTERED;
    // A failing member's description reaches the caller through the error
    // info; none may be left over from an earlier failure.
    ::SetErrorInfo(0, nullptr);
    return info->Invoke(self, member, flags, reinterpret_cast<::DISPPARAMS*>(params),
                        reinterpret_cast<::VARIANT*>(result), reinterpret_cast<::EXCEPINFO*>(exception),
                        reinterpret_cast<UINT*>(argumentError));
}

}  // namespace com::system_dispatch
