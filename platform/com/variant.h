// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_COM_VARIANT_H_
#define PLATFORM_COM_VARIANT_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/com/automation.h"

// Threads: any; a value is used by one thread at a time.

namespace com {

// Owns one VARIANT and clears it on destruction (freeing its BSTR, releasing
// its interface). By-reference variants point into storage that the caller
// keeps alive; the Variant never owns what they point to.
class Variant {
public:
    Variant() { VariantInit(&m_value); }
    ~Variant() { VariantClear(&m_value); }
    // Copies with VariantCopy (throws std::bad_alloc when a BSTR cannot be copied).
    Variant(const Variant& other);
    Variant(Variant&& other) noexcept;
    Variant& operator=(Variant other) noexcept;

    static Variant fromInt32(int32_t value);
    static Variant fromInt16(int16_t value);
    static Variant fromBool(bool value);
    static Variant fromString(std::string_view utf8);
    // AddRefs object (null gives a Nothing reference of that type).
    static Variant fromDispatch(IDispatch* object);
    static Variant fromUnknown(IUnknown* object);
    // By-reference arguments: the callee reads and writes *target.
    static Variant refInt32(int32_t* target);
    static Variant refDispatch(IDispatch** target);
    static Variant refVariant(VARIANT* target);
    // The "argument left out" marker of optional parameters.
    static Variant missing();
    // Takes ownership of raw, which the caller must no longer clear.
    static Variant adopt(const VARIANT& raw);
    // Copies raw (VariantCopy; throws std::bad_alloc or RuntimeError 13 for an unknown type).
    static Variant copyOf(const VARIANT& raw);

    const VARIANT& get() const { return m_value; }
    VARIANT* ptr() { return &m_value; }
    // Clears the value and returns the slot for a VARIANT* out-parameter.
    VARIANT* put() {
        VariantClear(&m_value);
        return &m_value;
    }
    // Gives the value to the caller, who must clear it; leaves this empty.
    VARIANT detach();

    uint16_t type() const { return m_value.vt; }
    bool isEmpty() const { return m_value.vt == VT_EMPTY; }
    bool isMissing() const;

    // Reads with by-reference resolved; a value of another type raises run-time
    // error 13 (type mismatch), a number out of range error 6 (overflow).
    int32_t toInt32() const;
    bool toBool() const;
    std::string toUtf8() const;
    // The object held (VT_DISPATCH or VT_UNKNOWN, by value or by reference), not
    // AddRef'ed; null for Nothing. Other types raise error 13.
    IUnknown* object() const;

private:
    VARIANT m_value;
};

// The types this runtime's variants hold: VT_EMPTY, VT_I2, VT_I4, VT_BOOL,
// VT_ERROR, VT_BSTR, VT_DISPATCH, VT_UNKNOWN, each also by reference, and a
// reference to a VARIANT.
bool isKnownVariantType(uint16_t vt);

// The value a by-reference variant refers to, as a shallow view (not owning);
// a by-value variant is returned as is. *source must outlive the result.
// Returns false for a null reference or an unsupported type.
bool dereferenceVariant(const VARIANT& source, VARIANT* view);

// True for VT_ERROR carrying DISP_E_PARAMNOTFOUND, the left-out optional argument.
bool isMissingArgument(const VARIANT& value);

}  // namespace com

#endif  // PLATFORM_COM_VARIANT_H_
