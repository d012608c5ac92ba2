// SPDX-License-Identifier: GPL-3.0-or-later
// A server's registration on Windows, in HKEY_CLASSES_ROOT, where the
// system's COM and every client look: the class and its ProgID, and a type
// library embedded in the server with the interfaces it describes.
//
// An interface that another registered library already describes keeps that
// registration: a plug-in carries copies of its host's interfaces in its own
// library, and registering the plug-in must neither take them over from the
// host's library nor take them away when it is unregistered again.

#include <string>
#include <vector>

#include "platform/com/registry.h"
#include "platform/com/runtimeerror.h"
#include "platform/com/win32/wide.h"

// Last: the system's macros would rewrite our own names (see system.h).
#include "platform/com/win32/system.h"

namespace com {
namespace {

// The universal marshaller: proxies and stubs built from the type library.
constexpr wchar_t kTypeLibraryMarshaller[] = L"{00020424-0000-0000-C000-000000000046}";

#if defined(_WIN64)
constexpr wchar_t kPlatform[] = L"win64";
#else
constexpr wchar_t kPlatform[] = L"win32";
#endif

[[noreturn]] void failed(LSTATUS status, const std::wstring& key) {
    raise(kErrFileAccess, "the registry key HKEY_CLASSES_ROOT\\" + win32::fromWide(key) +
                              " cannot be written (error " + std::to_string(status) + ")");
}

void setValue(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    const LSTATUS status = RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), name, REG_SZ, value.c_str(),
                                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    if (status != ERROR_SUCCESS) failed(status, key);
}

std::wstring stringValue(const std::wstring& key, const wchar_t* name = nullptr) {
    wchar_t value[MAX_PATH * 2] = {};
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), name, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS)
        return {};
    return value;
}

bool keyExists(const std::wstring& key) {
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    RegCloseKey(handle);
    return true;
}

void deleteTree(const std::wstring& key) {
    const LSTATUS status = RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) failed(status, key);
    // RegDeleteTree empties the key; the key itself goes with RegDeleteKey.
    RegDeleteKeyW(HKEY_CLASSES_ROOT, key.c_str());
}

std::vector<std::wstring> subkeys(const std::wstring& key) {
    std::vector<std::wstring> names;
    HKEY handle = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return names;
    wchar_t name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = 256;
        if (RegEnumKeyExW(handle, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    RegCloseKey(handle);
    return names;
}

std::wstring folderOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// The type library with libid among those embedded in the file at path, and
// the resource path that loads it ("file" for the first, "file\N" after).
ITypeLib* embeddedLibrary(const GUID& libid, const std::wstring& path, std::wstring* resource) {
    for (int index = 1; index <= 8; ++index) {
        *resource = index == 1 ? path : path + L"\\" + std::to_wstring(index);
        ITypeLib* library = nullptr;
        if (FAILED(LoadTypeLibEx(resource->c_str(), REGKIND_NONE, &library))) break;
        TLIBATTR* attributes = nullptr;
        bool match = false;
        if (SUCCEEDED(library->GetLibAttr(&attributes))) {
            match = IsEqualGUID(attributes->guid, reinterpret_cast<const ::GUID&>(libid));
            library->ReleaseTLibAttr(attributes);
        }
        if (match) return library;
        library->Release();
    }
    raise(kErrInvalidFileFormat, win32::fromWide(path) + " carries no type library " + formatGuid(libid));
}

// The library that HKEY_CLASSES_ROOT\Interface\{iid} names, if that library is registered.
std::wstring registeredLibraryOf(const std::wstring& interfaceKey) {
    const std::wstring library = stringValue(interfaceKey + L"\\TypeLib");
    return !library.empty() && keyExists(L"TypeLib\\" + library) ? library : std::wstring();
}

void writeInterfaces(ITypeLib* library, const std::wstring& libid, const std::wstring& version) {
    const UINT count = library->GetTypeInfoCount();
    for (UINT index = 0; index < count; ++index) {
        ITypeInfo* info = nullptr;
        if (FAILED(library->GetTypeInfo(index, &info))) continue;
        TYPEATTR* attributes = nullptr;
        if (SUCCEEDED(info->GetTypeAttr(&attributes))) {
            const bool automation =
                (attributes->typekind == TKIND_INTERFACE || attributes->typekind == TKIND_DISPATCH) &&
                (attributes->wTypeFlags & (TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION));
            const std::wstring key =
                L"Interface\\" + win32::wideGuid(reinterpret_cast<const GUID&>(attributes->guid));
            info->ReleaseTypeAttr(attributes);
            const std::wstring owner = automation ? registeredLibraryOf(key) : std::wstring();
            if (automation && (owner.empty() || owner == libid)) {
                ::BSTR name = nullptr;
                info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
                setValue(key, nullptr, name ? name : L"");
                SysFreeString(name);
                setValue(key + L"\\ProxyStubClsid32", nullptr, kTypeLibraryMarshaller);
                setValue(key + L"\\ProxyStubClsid", nullptr, kTypeLibraryMarshaller);
                setValue(key + L"\\TypeLib", nullptr, libid);
                setValue(key + L"\\TypeLib", L"Version", version);
            }
        }
        info->Release();
    }
}

}  // namespace

void writeClassRegistration(const ClassRegistration& registration) {
    const std::wstring clsid = win32::wideGuid(registration.clsid);
    const std::wstring classKey = L"CLSID\\" + clsid;
    const std::wstring progId = win32::toWide(registration.progId);
    const std::wstring description = win32::toWide(registration.description);
    setValue(classKey, nullptr, description);
    setValue(classKey + L"\\InprocServer32", nullptr, win32::toWide(registration.serverPath));
    setValue(classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
    setValue(classKey + L"\\ProgID", nullptr, progId);
    if (registration.typeLib)
        setValue(classKey + L"\\TypeLib", nullptr, win32::wideGuid(*registration.typeLib));
    setValue(progId, nullptr, description);
    setValue(progId + L"\\CLSID", nullptr, clsid);
}

void removeClassRegistration(const CLSID& clsid, std::string_view progId) {
    const std::wstring classId = win32::wideGuid(clsid);
    const std::wstring name = win32::toWide(progId);
    // The ProgID goes only while it names this class.
    if (!name.empty() && _wcsicmp(stringValue(name + L"\\CLSID").c_str(), classId.c_str()) == 0)
        deleteTree(name);
    deleteTree(L"CLSID\\" + classId);
}

void writeTypeLibRegistration(const GUID& libid, std::string_view version, std::string_view helpString,
                              std::string_view path) {
    const std::wstring file = win32::toWide(path);
    std::wstring resource;
    ITypeLib* library = embeddedLibrary(libid, file, &resource);
    const std::wstring id = win32::wideGuid(libid);
    const std::wstring versionText = win32::toWide(version);
    const std::wstring key = L"TypeLib\\" + id + L"\\" + versionText;
    try {
        setValue(key, nullptr, win32::toWide(helpString));
        setValue(key + L"\\0\\" + kPlatform, nullptr, resource);
        setValue(key + L"\\FLAGS", nullptr, L"0");
        setValue(key + L"\\HELPDIR", nullptr, folderOf(file));
        writeInterfaces(library, id, versionText);
    } catch (...) {
        library->Release();
        throw;
    }
    library->Release();
}

void removeTypeLibRegistration(const GUID& libid) {
    const std::wstring id = win32::wideGuid(libid);
    for (const std::wstring& iid : subkeys(L"Interface")) {
        const std::wstring key = L"Interface\\" + iid;
        if (_wcsicmp(stringValue(key + L"\\TypeLib").c_str(), id.c_str()) == 0) deleteTree(key);
    }
    deleteTree(L"TypeLib\\" + id);
}

std::string typeLibRegistrationPath(const GUID& libid, std::string_view version) {
    std::wstring path = stringValue(L"TypeLib\\" + win32::wideGuid(libid) + L"\\" + win32::toWide(version) +
                                    L"\\0\\" + kPlatform);
    // "file.dll\2" names the second type library in file.dll.
    if (const auto slash = path.find_last_of(L'\\');
        slash != std::wstring::npos && slash + 1 < path.size() &&
        path.find_first_not_of(L"0123456789", slash + 1) == std::wstring::npos)
        path.resize(slash);
    return win32::fromWide(path);
}

}  // namespace com
