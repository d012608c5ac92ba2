// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/com/classtable.h"

#include <algorithm>
#include <vector>

#include "platform/com/registry.h"
#include "platform/com/server.h"

namespace com {
namespace {

struct ClassEntry {
    CLSID clsid;
    std::string progId;
    ComPtr<IClassFactory> factory;
};

std::vector<ClassEntry>& classTable() {
    static std::vector<ClassEntry> table;
    return table;
}

bool sameProgId(std::string_view a, std::string_view b) {
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return std::ranges::equal(a, b, [&](char x, char y) { return fold(x) == fold(y); });
}

}  // namespace

void registerClass(const CLSID& clsid, std::string progId, ComPtr<IClassFactory> factory) {
    unregisterClass(clsid);
    classTable().push_back({clsid, std::move(progId), std::move(factory)});
}

bool unregisterClass(const CLSID& clsid) {
    // The entry leaves the table before its factory is released, in case the
    // factory's release reaches back into the table.
    auto& table = classTable();
    const auto found = std::ranges::find(table, clsid, &ClassEntry::clsid);
    if (found == table.end()) return false;
    ComPtr<IClassFactory> factory = std::move(found->factory);
    table.erase(found);
    return true;
}

HRESULT CoGetClassObject(const CLSID& clsid, const IID& riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    for (const ClassEntry& entry : classTable())
        if (entry.clsid == clsid) return entry.factory->QueryInterface(riid, object);
    return guarded([&] {
        const auto path = registry().value("CLSID\\" + formatGuid(clsid) + "\\InprocServer32");
        if (!path || path->empty()) return REGDB_E_CLASSNOTREG;
        return loadServer(*path).getClassObject(clsid, riid, object);
    });
}

HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, const IID& riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    ComPtr<IClassFactory> factory;
    const HRESULT status = CoGetClassObject(clsid, uuidof<IClassFactory>(), factory.putVoid());
    if (FAILED(status)) return status;
    if (!factory) return E_UNEXPECTED;
    return factory->CreateInstance(outer, riid, object);
}

HRESULT CLSIDFromProgID(std::string_view progId, CLSID* clsid) {
    if (!clsid) return E_POINTER;
    *clsid = CLSID{};
    if (progId.empty()) return CO_E_CLASSSTRING;
    for (const ClassEntry& entry : classTable()) {
        if (!entry.progId.empty() && sameProgId(entry.progId, progId)) {
            *clsid = entry.clsid;
            return S_OK;
        }
    }
    return guarded([&] {
        // A ProgID with a backslash would name some other key.
        if (progId.find('\\') != std::string_view::npos) return CO_E_CLASSSTRING;
        const auto text = registry().value(std::string(progId) + "\\CLSID");
        const auto parsed = text ? parseGuid(*text) : std::nullopt;
        if (!parsed) return CO_E_CLASSSTRING;
        *clsid = *parsed;
        return S_OK;
    });
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
