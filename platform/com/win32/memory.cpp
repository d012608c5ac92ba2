// SPDX-License-Identifier: GPL-3.0-or-later
// Strings and variants on Windows are the system's: allocated, copied and
// freed by oleaut32, so that every BSTR and VARIANT that crosses a boundary
// belongs to the one allocator every other module uses.

#include <cstddef>

#include "platform/com/automation.h"

// Last: the system's macros would rewrite our own names (see system.h).
#include "platform/com/win32/system.h"

namespace com {
namespace {

// The runtime's declarations mirror the system's layout.
static_assert(sizeof(OLECHAR) == sizeof(::OLECHAR));
static_assert(sizeof(VARIANT) == sizeof(::VARIANT));
static_assert(offsetof(VARIANT, lVal) == offsetof(::VARIANT, lVal));
static_assert(sizeof(DISPPARAMS) == sizeof(::DISPPARAMS));
static_assert(sizeof(EXCEPINFO) == sizeof(::EXCEPINFO));
static_assert(offsetof(EXCEPINFO, scode) == offsetof(::EXCEPINFO, scode));
static_assert(sizeof(GUID) == sizeof(::GUID));

const wchar_t* wide(const OLECHAR* text) {
    return reinterpret_cast<const wchar_t*>(text);
}
::BSTR sys(BSTR text) {
    return reinterpret_cast<::BSTR>(text);
}
BSTR ours(::BSTR text) {
    return reinterpret_cast<BSTR>(text);
}
::VARIANT* sys(VARIANT* value) {
    return reinterpret_cast<::VARIANT*>(value);
}
// The system's headers declare the sources of its copies without const.
::VARIANT* sys(const VARIANT* value) {
    return reinterpret_cast<::VARIANT*>(const_cast<VARIANT*>(value));
}

}  // namespace

BSTR SysAllocString(const OLECHAR* text) {
    return ours(::SysAllocString(wide(text)));
}

BSTR SysAllocStringLen(const OLECHAR* text, uint32_t length) {
    return ours(::SysAllocStringLen(wide(text), length));
}

void SysFreeString(BSTR text) {
    ::SysFreeString(sys(text));
}

uint32_t SysStringLen(BSTR text) {
    return ::SysStringLen(sys(text));
}

void VariantInit(VARIANT* value) {
    if (value) ::VariantInit(sys(value));
}

HRESULT VariantClear(VARIANT* value) {
    if (!value) return E_POINTER;
    return ::VariantClear(sys(value));
}

HRESULT VariantCopy(VARIANT* destination, const VARIANT* source) {
    if (!destination || !source) return E_POINTER;
    return ::VariantCopy(sys(destination), sys(source));
}

HRESULT VariantCopyInd(VARIANT* destination, const VARIANT* source) {
    if (!destination || !source) return E_POINTER;
    return ::VariantCopyInd(sys(destination), sys(source));
}

}  // namespace com
