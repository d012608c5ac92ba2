// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/windows/typelibwalk.h"

namespace client {
namespace {

std::string nameOf(ITypeInfo* info, MEMBERID id) {
    Text name;
    info->GetDocumentation(id, name.put(), nullptr, nullptr, nullptr);
    return name.utf8();
}

// The interface a dual interface's dispatch description stands for.
Ref<ITypeInfo>* vtableInfo(ITypeInfo* info, Ref<ITypeInfo>& dual) {
    HREFTYPE reference = 0;
    if (SUCCEEDED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &reference)) &&
        SUCCEEDED(info->GetRefTypeInfo(reference, dual.put())))
        return &dual;
    return nullptr;
}

TypeEntry describe(ITypeInfo* info, const TYPEATTR& attributes) {
    TypeEntry entry;
    entry.guid = attributes.guid;
    entry.kind = attributes.typekind;
    if (attributes.typekind == TKIND_COCLASS) {
        std::vector<std::string> others;
        for (UINT i = 0; i < attributes.cImplTypes; ++i) {
            HREFTYPE reference = 0;
            Ref<ITypeInfo> implemented;
            INT flags = 0;
            if (FAILED(info->GetRefTypeOfImplType(i, &reference)) ||
                FAILED(info->GetRefTypeInfo(reference, implemented.put())))
                continue;
            info->GetImplTypeFlags(i, &flags);
            const std::string name = nameOf(implemented.get(), MEMBERID_NIL);
            if (flags & IMPLTYPEFLAG_FDEFAULT)
                entry.implemented.insert(entry.implemented.begin(), name);
            else
                others.push_back(name);
        }
        entry.implemented.insert(entry.implemented.end(), others.begin(), others.end());
        return entry;
    }
    // A dual interface is listed as its dispatch description; its members in
    // vtable order are those of the interface it stands for.
    Ref<ITypeInfo> dual;
    ITypeInfo* members = info;
    if (attributes.typekind == TKIND_DISPATCH && vtableInfo(info, dual)) members = dual.get();
    TYPEATTR* own = nullptr;
    if (FAILED(members->GetTypeAttr(&own))) return entry;
    for (UINT i = 0; i < own->cFuncs; ++i) {
        FUNCDESC* function = nullptr;
        if (FAILED(members->GetFuncDesc(i, &function))) continue;
        // IDispatch's own seven slots come first; only the interface's own members count.
        if (function->oVft >= 7 * static_cast<SHORT>(sizeof(void*))) {
            entry.members.push_back({nameOf(members, function->memid), function->invkind});
            entry.memberIds.push_back(function->memid);
        }
        members->ReleaseFuncDesc(function);
    }
    members->ReleaseTypeAttr(own);
    return entry;
}

}  // namespace

std::map<std::string, TypeEntry> walkTypeLibrary(const GUID& libid, WORD major, WORD minor,
                                                 const std::string& name) {
    std::map<std::string, TypeEntry> types;
    Ref<ITypeLib> library;
    const HRESULT status = LoadRegTypeLib(libid, major, minor, 0, library.put());
    if (!check(SUCCEEDED(status), "the registry names the type library " + name + " (" + hex(status) + ")"))
        return types;
    for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
        Ref<ITypeInfo> info;
        TYPEATTR* attributes = nullptr;
        if (FAILED(library->GetTypeInfo(i, info.put())) || FAILED(info->GetTypeAttr(&attributes))) continue;
        types[nameOf(info.get(), MEMBERID_NIL)] = describe(info.get(), *attributes);
        info->ReleaseTypeAttr(attributes);
    }
    return types;
}

}  // namespace client
