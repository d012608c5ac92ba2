// SPDX-License-Identifier: GPL-3.0-or-later
// The runtime's own strings and variants. On Windows the system's oleaut32
// allocates and frees them instead (win32/memory.cpp).
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "platform/com/automation.h"
#include "platform/com/variant.h"

namespace com {
namespace {

constexpr uint32_t kPrefixBytes = sizeof(uint32_t);

uint32_t* prefixOf(BSTR text) {
    return reinterpret_cast<uint32_t*>(reinterpret_cast<char*>(text) - kPrefixBytes);
}

// Copies a by-value source; the destination is empty on entry.
HRESULT copyValue(VARIANT* destination, const VARIANT* source) {
    if (source->vt == VT_BSTR && source->bstrVal) {
        BSTR copy = SysAllocStringLen(source->bstrVal, SysStringLen(source->bstrVal));
        if (!copy) return E_OUTOFMEMORY;
        *destination = *source;
        destination->bstrVal = copy;
        return S_OK;
    }
    *destination = *source;
    if ((source->vt == VT_DISPATCH || source->vt == VT_UNKNOWN) && source->punkVal) source->punkVal->AddRef();
    return S_OK;
}

}  // namespace

BSTR SysAllocStringLen(const OLECHAR* text, uint32_t length) {
    // The byte length must fit the 32-bit prefix, with room for the terminator.
    constexpr uint32_t kMaxLength =
        (std::numeric_limits<uint32_t>::max() - kPrefixBytes) / sizeof(OLECHAR) - 1;
    if (length > kMaxLength) return nullptr;
    const size_t bytes = size_t(length) * sizeof(OLECHAR);
    auto* block = static_cast<char*>(std::malloc(kPrefixBytes + bytes + sizeof(OLECHAR)));
    if (!block) return nullptr;
    const auto byteLength = static_cast<uint32_t>(bytes);
    std::memcpy(block, &byteLength, kPrefixBytes);
    auto* result = reinterpret_cast<BSTR>(block + kPrefixBytes);
    if (text)
        std::memcpy(result, text, bytes);
    else
        std::memset(result, 0, bytes);
    result[length] = 0;
    return result;
}

BSTR SysAllocString(const OLECHAR* text) {
    if (!text) return nullptr;
    return SysAllocStringLen(text, static_cast<uint32_t>(std::char_traits<char16_t>::length(text)));
}

void SysFreeString(BSTR text) {
    if (text) std::free(prefixOf(text));
}

uint32_t SysStringLen(BSTR text) {
    return text ? *prefixOf(text) / sizeof(OLECHAR) : 0;
}

void VariantInit(VARIANT* value) {
    if (!value) return;
    std::memset(value, 0, sizeof *value);
    value->vt = VT_EMPTY;
}

HRESULT VariantClear(VARIANT* value) {
    if (!value) return E_POINTER;
    if (!isKnownVariantType(value->vt)) return DISP_E_BADVARTYPE;
    if (value->vt == VT_BSTR) {
        SysFreeString(value->bstrVal);
    } else if ((value->vt == VT_DISPATCH || value->vt == VT_UNKNOWN) && value->punkVal) {
        value->punkVal->Release();
    }
    VariantInit(value);
    return S_OK;
}

HRESULT VariantCopy(VARIANT* destination, const VARIANT* source) {
    if (!destination || !source) return E_POINTER;
    if (destination == source) return S_OK;
    if (!isKnownVariantType(source->vt)) return DISP_E_BADVARTYPE;
    // Copy first, so that a source that the destination owns (a by-reference
    // variant pointing into it) is still alive while it is read.
    VARIANT copy;
    VariantInit(&copy);
    const HRESULT status = copyValue(&copy, source);
    if (FAILED(status)) return status;
    const HRESULT cleared = VariantClear(destination);
    if (FAILED(cleared)) {
        VariantClear(&copy);
        return cleared;
    }
    *destination = copy;
    return S_OK;
}

HRESULT VariantCopyInd(VARIANT* destination, const VARIANT* source) {
    if (!destination || !source) return E_POINTER;
    VARIANT view;
    if (!dereferenceVariant(*source, &view))
        return source->vt & VT_BYREF && !source->plVal ? E_POINTER : DISP_E_BADVARTYPE;
    return VariantCopy(destination, &view);
}

}  // namespace com
