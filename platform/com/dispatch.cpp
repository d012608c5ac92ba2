// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/com/dispatch.h"

#include <algorithm>
#include <stdexcept>

#include "platform/com/bstr.h"
#include "platform/com/dispatchbuilder.h"
#include "platform/com/runtimeerror.h"

namespace com {
namespace {

char16_t foldAscii(char16_t c) {
    return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

// Member names follow the automation convention: ASCII, case-insensitive.
bool sameName(const OLECHAR* wide, std::string_view name) {
    for (char c : name) {
        if (*wide == 0 || foldAscii(*wide) != foldAscii(static_cast<unsigned char>(c))) return false;
        ++wide;
    }
    return *wide == 0;
}

bool sameName(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return foldAscii(x) == foldAscii(y); });
}

}  // namespace

DispatchTable::DispatchTable(std::vector<Entry> entries) : m_entries(std::move(entries)) {
    // Fixed DISPIDs first, shared by every entry of the same name.
    for (Entry& entry : m_entries) {
        if (entry.id != DISPID_UNKNOWN) continue;
        for (const Entry& other : m_entries)
            if (other.id != DISPID_UNKNOWN && sameName(other.name, entry.name)) entry.id = other.id;
    }
    DISPID next = 1;
    for (size_t i = 0; i < m_entries.size(); ++i) {
        Entry& entry = m_entries[i];
        for (size_t j = 0; j < i; ++j) {
            if (!sameName(m_entries[j].name, entry.name)) continue;
            if (m_entries[j].kind == entry.kind) throw std::logic_error("member listed twice: " + entry.name);
            entry.id = m_entries[j].id;
        }
        if (entry.id != DISPID_UNKNOWN) continue;
        const auto taken = [this](DISPID id) {
            return std::ranges::any_of(m_entries, [id](const Entry& e) { return e.id == id; });
        };
        while (taken(next)) ++next;
        entry.id = next++;
    }
}

std::optional<DISPID> DispatchTable::idOf(std::string_view name) const {
    for (const Entry& entry : m_entries)
        if (sameName(entry.name, name)) return entry.id;
    return std::nullopt;
}

HRESULT DispatchTable::getIDsOfNames(const IID& riid, const OLECHAR** names, uint32_t nameCount,
                                     DISPID* dispIds) const {
    if (!names || !dispIds) return E_POINTER;
    if (nameCount == 0) return E_INVALIDARG;
    if (riid != IID{}) return DISP_E_UNKNOWNINTERFACE;
    HRESULT status = S_OK;
    for (uint32_t i = 0; i < nameCount; ++i) dispIds[i] = DISPID_UNKNOWN;
    if (!names[0]) return E_POINTER;
    const auto found =
        std::ranges::find_if(m_entries, [&](const Entry& e) { return sameName(names[0], e.name); });
    if (found == m_entries.end())
        status = DISP_E_UNKNOWNNAME;
    else
        dispIds[0] = found->id;
    // Argument names are not offered.
    if (nameCount > 1) status = DISP_E_UNKNOWNNAME;
    return status;
}

const DispatchTable::Entry* DispatchTable::find(DISPID member, uint16_t flags) const {
    const auto lookup = [&](uint16_t kind) -> const Entry* {
        for (const Entry& entry : m_entries)
            if (entry.id == member && entry.kind == kind) return &entry;
        return nullptr;
    };
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) return lookup(DISPATCH_PROPERTYPUT);
    const Entry* entry = nullptr;
    if (flags & DISPATCH_METHOD) entry = lookup(DISPATCH_METHOD);
    if (!entry && (flags & DISPATCH_PROPERTYGET)) entry = lookup(DISPATCH_PROPERTYGET);
    return entry;
}

HRESULT DispatchTable::invoke(void* self, DISPID member, const IID& riid, uint16_t flags, DISPPARAMS* params,
                              VARIANT* result, uint32_t* argumentError) const {
    if (riid != IID{}) return DISP_E_UNKNOWNINTERFACE;
    if (!params) return E_POINTER;
    if ((params->cArgs && !params->rgvarg) || (params->cNamedArgs && !params->rgdispidNamedArgs) ||
        params->cNamedArgs > params->cArgs)
        return E_INVALIDARG;
    const bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
    const Entry* entry = find(member, flags);
    if (!entry) return DISP_E_MEMBERNOTFOUND;
    // The value of a property put is the one named argument, DISPID_PROPERTYPUT;
    // other named arguments are not offered.
    if (put) {
        if (params->cNamedArgs != 1 || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
            return DISP_E_PARAMNOTFOUND;
    } else if (params->cNamedArgs) {
        return DISP_E_NONAMEDARGS;
    }
    if (result) VariantInit(result);
    return guarded([&] { return entry->call(self, *params, result, argumentError); });
}

namespace dispatch_detail {

VARIANT& target(VARIANT& argument) {
    if (argument.vt == (VT_VARIANT | VT_BYREF) && argument.pvarVal && !(argument.pvarVal->vt & VT_BYREF))
        return *argument.pvarVal;
    return argument;
}

bool readNumber(const VARIANT& argument, int32_t& value) {
    VARIANT view;
    if (!dereferenceVariant(argument, &view)) return false;
    switch (view.vt) {
        case VT_I2:
            value = view.iVal;
            return true;
        case VT_I4:
            value = view.lVal;
            return true;
        case VT_BOOL:
            value = view.boolVal;
            return true;
        default:
            return false;
    }
}

bool readObject(const VARIANT& argument, IUnknown*& object, bool& isDispatch) {
    VARIANT view;
    if (!dereferenceVariant(argument, &view) || (view.vt != VT_DISPATCH && view.vt != VT_UNKNOWN))
        return false;
    object = view.punkVal;
    isDispatch = view.vt == VT_DISPATCH;
    return true;
}

bool readString(const VARIANT& argument, BSTR& text) {
    VARIANT view;
    if (!dereferenceVariant(argument, &view)) return false;
    if (view.vt == VT_EMPTY) {
        text = nullptr;
        return true;
    }
    if (view.vt != VT_BSTR) return false;
    text = view.bstrVal;
    return true;
}

}  // namespace dispatch_detail

HRESULT invokeByName(IDispatch* object, std::string_view name, uint16_t flags, std::span<VARIANT> argsInOrder,
                     VARIANT* result) {
    if (!object) return E_POINTER;
    const bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
    if (put && argsInOrder.empty()) return E_INVALIDARG;
    return guarded([&] {
        const Bstr wide(name);
        const OLECHAR* names[] = {wide.get() ? wide.get() : u""};
        DISPID member = DISPID_UNKNOWN;
        HRESULT status = object->GetIDsOfNames(IID{}, names, 1, 0, &member);
        if (FAILED(status)) return status;
        // The callee sees the arguments last to first, as shallow copies that
        // are put back afterwards, so ownership stays with the caller's array.
        std::vector<VARIANT> reversed(argsInOrder.rbegin(), argsInOrder.rend());
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params{reversed.data(), put ? &named : nullptr, static_cast<uint32_t>(reversed.size()),
                          put ? 1u : 0u};
        uint32_t argumentError = 0;
        status = object->Invoke(member, IID{}, 0, flags, &params, result, nullptr, &argumentError);
        std::ranges::copy(reversed.rbegin(), reversed.rend(), argsInOrder.begin());
        return status;
    });
}

Variant callByName(IDispatch* object, std::string_view name, uint16_t flags,
                   std::initializer_list<Variant> argsInOrder) {
    if (!object) raise(kErrObjectRequired, std::string(name));
    std::vector<VARIANT> args;
    for (const Variant& arg : argsInOrder) args.push_back(arg.get());
    Variant result;
    const HRESULT status = invokeByName(object, name, flags, args, result.ptr());
    check(status);
    return result;
}

}  // namespace com
