// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_COM_AUTOMATION_H_
#define PLATFORM_COM_AUTOMATION_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/com/unknown.h"

// Threads: any; a VARIANT or BSTR is used by one thread at a time.

namespace com {

using OLECHAR = char16_t;
// Length-prefixed UTF-16 string, allocated and freed only by the runtime.
using BSTR = OLECHAR*;
using VARIANT_BOOL = int16_t;
constexpr VARIANT_BOOL VARIANT_TRUE = -1;
constexpr VARIANT_BOOL VARIANT_FALSE = 0;
using DISPID = int32_t;
using LCID = uint32_t;

// A BSTR points just past a 4-byte length prefix (the length in bytes) and is
// NUL-terminated; embedded NULs are kept. A null BSTR is the empty string.
// SysAllocString copies up to the first NUL (null text gives a null BSTR);
// SysAllocStringLen copies length units (null text gives zeroed units). Both
// return a new BSTR that the caller owns, or null when out of memory.
BSTR SysAllocString(const OLECHAR* text);
BSTR SysAllocStringLen(const OLECHAR* text, uint32_t length);
void SysFreeString(BSTR text);
uint32_t SysStringLen(BSTR text);

// Conversions at the edge of the system (UTF-8 std::string inside). allocBstr
// returns a new BSTR that the caller owns (never null; throws std::bad_alloc);
// malformed UTF-8 and lone surrogates become U+FFFD.
BSTR allocBstr(std::string_view utf8);
std::string bstrToUtf8(BSTR text);

enum VARTYPE : uint16_t {
    VT_EMPTY = 0,
    VT_I2 = 2,
    VT_I4 = 3,
    VT_BSTR = 8,
    VT_DISPATCH = 9,
    VT_ERROR = 10,
    VT_BOOL = 11,
    VT_VARIANT = 12,
    VT_UNKNOWN = 13,
    VT_BYREF = 0x4000,
};

struct IDispatch;

struct VARIANT {
    uint16_t vt;
    uint16_t reserved1, reserved2, reserved3;
    union {
        int16_t iVal;
        int32_t lVal;
        VARIANT_BOOL boolVal;
        HRESULT scode;
        BSTR bstrVal;
        IUnknown* punkVal;
        IDispatch* pdispVal;
        int32_t* plVal;
        int16_t* piVal;
        IDispatch** ppdispVal;
        IUnknown** ppunkVal;
        BSTR* pbstrVal;
        VARIANT_BOOL* pboolVal;
        HRESULT* pscode;
        VARIANT* pvarVal;
        // Not used here; gives the union the size of the widest member of
        // the system's VARIANT (a record: two pointers), so that arrays of
        // arguments have the system's stride.
        struct {
            void* pvRecord;
            void* pRecInfo;
        } record;
    };
};
static_assert(sizeof(VARIANT) == 8 + 2 * sizeof(void*));

void VariantInit(VARIANT* value);
// Frees what the variant owns (BSTR, interface reference) and leaves it empty.
HRESULT VariantClear(VARIANT* value);
// Clears destination, then copies source into it: BSTRs are duplicated,
// interfaces AddRef'ed, by-reference variants copied as the pointer.
HRESULT VariantCopy(VARIANT* destination, const VARIANT* source);
// Like VariantCopy, but a by-reference source is copied as the value it
// refers to, so that destination owns a value of its own.
HRESULT VariantCopyInd(VARIANT* destination, const VARIANT* source);

struct DISPPARAMS {
    VARIANT* rgvarg;            // arguments in reverse order, the last one first
    DISPID* rgdispidNamedArgs;  // DISPID_PROPERTYPUT for a property put
    uint32_t cArgs;
    uint32_t cNamedArgs;
};

struct EXCEPINFO {
    uint16_t wCode;
    uint16_t wReserved;
    BSTR bstrSource;
    BSTR bstrDescription;
    BSTR bstrHelpFile;
    uint32_t dwHelpContext;
    void* pvReserved;
    void* pfnDeferredFillIn;
    HRESULT scode;
};

constexpr DISPID DISPID_UNKNOWN = -1;
constexpr DISPID DISPID_VALUE = 0;
constexpr DISPID DISPID_PROPERTYPUT = -3;
constexpr DISPID DISPID_NEWENUM = -4;

enum DispatchFlags : uint16_t {
    DISPATCH_METHOD = 1,
    DISPATCH_PROPERTYGET = 2,
    DISPATCH_PROPERTYPUT = 4,
    DISPATCH_PROPERTYPUTREF = 8,
};

// Slots 4..7 of every dual interface. On Linux type information is not
// offered: GetTypeInfoCount answers 0 and GetTypeInfo E_NOTIMPL. On Windows
// GetTypeInfo gives the system's ITypeInfo.
struct IDispatch : IUnknown {
    static constexpr IID iid = makeGuid("00020400-0000-0000-c000-000000000046");

    virtual HRESULT NIMBO_COM_CALL GetTypeInfoCount(uint32_t* count) = 0;
    virtual HRESULT NIMBO_COM_CALL GetTypeInfo(uint32_t index, LCID locale, void** typeInfo) = 0;
    virtual HRESULT NIMBO_COM_CALL GetIDsOfNames(const IID& riid, const OLECHAR** names, uint32_t nameCount,
                                                 LCID locale, DISPID* dispIds) = 0;
    virtual HRESULT NIMBO_COM_CALL Invoke(DISPID member, const IID& riid, LCID locale, uint16_t flags,
                                          DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                          uint32_t* argumentError) = 0;

protected:
    ~IDispatch() = default;
};

}  // namespace com

#endif  // PLATFORM_COM_AUTOMATION_H_
