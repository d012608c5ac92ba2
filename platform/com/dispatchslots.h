// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_COM_DISPATCHSLOTS_H_
#define PLATFORM_COM_DISPATCHSLOTS_H_

// The argument and result slots of late binding: each turns one VARIANT of
// an Invoke call into a parameter of the member it calls (by value, or by
// reference into the caller's storage), or the member's out-parameter into
// the result VARIANT. Internal to dispatchbuilder.h.
// Threads: a slot lives for one call, on the calling thread.

#include <cstdint>
#include <limits>
#include <type_traits>

#include "platform/com/automation.h"
#include "platform/com/comptr.h"

namespace com {

namespace dispatch_detail {

// Reads a number (VT_I2, VT_I4, VT_BOOL, by value or reference).
bool readNumber(const VARIANT& argument, int32_t& value);
// Reads an object (VT_DISPATCH or VT_UNKNOWN, by value or reference; null is Nothing).
bool readObject(const VARIANT& argument, IUnknown*& object, bool& isDispatch);
// Reads a string (VT_BSTR by value or reference; VT_EMPTY is the empty string).
bool readString(const VARIANT& argument, BSTR& text);
// The VARIANT that a VT_VARIANT|VT_BYREF argument refers to, or the argument itself.
VARIANT& target(VARIANT& argument);

template <class T>
struct ArgSlot;

template <>
struct ArgSlot<int32_t> {
    int32_t value = 0;
    HRESULT load(VARIANT& argument) { return readNumber(argument, value) ? S_OK : DISP_E_TYPEMISMATCH; }
    int32_t get() { return value; }
};

template <>
struct ArgSlot<int16_t> {
    int16_t value = 0;
    HRESULT load(VARIANT& argument) {
        int32_t number;
        if (!readNumber(argument, number)) return DISP_E_TYPEMISMATCH;
        if (number < INT16_MIN || number > INT16_MAX) return DISP_E_OVERFLOW;
        value = static_cast<int16_t>(number);
        return S_OK;
    }
    int16_t get() { return value; }
};

// int32_t* and int16_t*: the caller's storage when the caller passes a
// reference of one of the accepted types (kType, kOther), else a temporary.
template <class N, uint16_t kType, uint16_t kOther>
struct NumberRefSlot {
    N temporary = 0;
    N* pointer = &temporary;
    HRESULT load(VARIANT& argument) {
        const bool viaVariant = argument.vt == (VT_VARIANT | VT_BYREF);
        VARIANT& held = target(argument);
        if (held.vt == (kType | VT_BYREF) || held.vt == (kOther | VT_BYREF)) {
            if (!held.plVal) return E_POINTER;
            pointer = reinterpret_cast<N*>(held.plVal);
            return S_OK;
        }
        if (viaVariant && (held.vt == kType || held.vt == kOther)) {
            pointer = reinterpret_cast<N*>(&held.lVal);
            return S_OK;
        }
        int32_t number;
        if (!readNumber(held, number)) return DISP_E_TYPEMISMATCH;
        if (number < std::numeric_limits<N>::min() || number > std::numeric_limits<N>::max())
            return DISP_E_OVERFLOW;
        temporary = static_cast<N>(number);
        return S_OK;
    }
    N* get() { return pointer; }
};
template <>
struct ArgSlot<int32_t*> : NumberRefSlot<int32_t, VT_I4, VT_I4> {};
template <>
struct ArgSlot<int16_t*> : NumberRefSlot<int16_t, VT_BOOL, VT_I2> {};

template <>
struct ArgSlot<BSTR> {
    BSTR value = nullptr;
    HRESULT load(VARIANT& argument) { return readString(argument, value) ? S_OK : DISP_E_TYPEMISMATCH; }
    BSTR get() { return value; }
};

template <>
struct ArgSlot<BSTR*> {
    BSTR temporary = nullptr;  // owned: a copy that the member may free and replace
    BSTR* pointer = &temporary;
    ArgSlot() = default;
    ArgSlot(const ArgSlot&) = delete;
    ~ArgSlot() { SysFreeString(temporary); }
    HRESULT load(VARIANT& argument) {
        const bool viaVariant = argument.vt == (VT_VARIANT | VT_BYREF);
        VARIANT& held = target(argument);
        if (held.vt == (VT_BSTR | VT_BYREF)) {
            if (!held.pbstrVal) return E_POINTER;
            pointer = held.pbstrVal;
            return S_OK;
        }
        if (viaVariant && held.vt == VT_BSTR) {
            pointer = &held.bstrVal;
            return S_OK;
        }
        BSTR text;
        if (!readString(held, text)) return DISP_E_TYPEMISMATCH;
        if (text) {
            temporary = SysAllocStringLen(text, SysStringLen(text));
            if (!temporary) return E_OUTOFMEMORY;
        }
        return S_OK;
    }
    BSTR* get() { return pointer; }
};

// IDispatch*, IUnknown* and I* for interfaces derived from IDispatch.
template <class I>
requires std::is_base_of_v<IUnknown, I>
struct ArgSlot<I*> {
    ComPtr<I> held;
    HRESULT load(VARIANT& argument) {
        IUnknown* object;
        bool isDispatch;
        if (!readObject(argument, object, isDispatch)) return DISP_E_TYPEMISMATCH;
        if (!object) return S_OK;
        if constexpr (std::is_same_v<I, IUnknown>) {
            held = ComPtr<I>(object);
        } else if constexpr (std::is_same_v<I, IDispatch>) {
            if (isDispatch)
                held = ComPtr<I>(reinterpret_cast<IDispatch*>(object));
            else if (FAILED(object->QueryInterface(uuidof<I>(), held.putVoid())))
                return DISP_E_TYPEMISMATCH;
        } else {
            if (FAILED(object->QueryInterface(uuidof<I>(), held.putVoid()))) return DISP_E_TYPEMISMATCH;
        }
        return S_OK;
    }
    I* get() { return held.get(); }
};

// IDispatch** and IUnknown**: the caller's slot of the same type, else a
// temporary holding its own reference, released afterwards.
template <class I, uint16_t kType>
struct ObjectRefSlot {
    I* temporary = nullptr;
    I** pointer = &temporary;
    ObjectRefSlot() = default;
    ObjectRefSlot(const ObjectRefSlot&) = delete;
    ~ObjectRefSlot() {
        if (temporary) temporary->Release();
    }
    HRESULT load(VARIANT& argument) {
        const bool viaVariant = argument.vt == (VT_VARIANT | VT_BYREF);
        VARIANT& held = target(argument);
        if (held.vt == (kType | VT_BYREF)) {
            if (!held.ppunkVal) return E_POINTER;
            pointer = reinterpret_cast<I**>(held.ppunkVal);
            return S_OK;
        }
        if (viaVariant && held.vt == kType) {
            pointer = reinterpret_cast<I**>(&held.punkVal);
            return S_OK;
        }
        ArgSlot<I*> converted;
        const HRESULT status = converted.load(held);
        if (FAILED(status)) return status;
        temporary = converted.held.detach();
        return S_OK;
    }
    I** get() { return pointer; }
};
template <>
struct ArgSlot<IDispatch**> : ObjectRefSlot<IDispatch, VT_DISPATCH> {};
template <>
struct ArgSlot<IUnknown**> : ObjectRefSlot<IUnknown, VT_UNKNOWN> {};

// I** for interfaces derived from IDispatch, by reference: the member gets the
// caller's object as an I (QueryInterface'd into a temporary); when the
// member puts another object there, the caller's slot receives it (as
// IDispatch or IUnknown, matching the slot), releasing the one it held.
template <class I>
requires(std::is_base_of_v<IDispatch, I> && !std::is_same_v<I, IDispatch>) struct ArgSlot<I**> {
    I* temporary = nullptr;  // owned
    I* loaded = nullptr;     // what temporary held before the call
    IUnknown** callerSlot = nullptr;
    bool callerIsDispatch = true;

    ArgSlot() = default;
    ArgSlot(const ArgSlot&) = delete;
    ~ArgSlot() {
        if (callerSlot && temporary != loaded) {
            IUnknown* replacement = nullptr;
            if (temporary)
                temporary->QueryInterface(callerIsDispatch ? uuidof<IDispatch>() : uuidof<IUnknown>(),
                                          reinterpret_cast<void**>(&replacement));
            if (*callerSlot) (*callerSlot)->Release();
            *callerSlot = replacement;
        }
        if (temporary) temporary->Release();
    }
    HRESULT load(VARIANT& argument) {
        const bool viaVariant = argument.vt == (VT_VARIANT | VT_BYREF);
        VARIANT& held = target(argument);
        if (held.vt == (VT_DISPATCH | VT_BYREF) || held.vt == (VT_UNKNOWN | VT_BYREF)) {
            if (!held.ppunkVal) return E_POINTER;
            callerSlot = held.ppunkVal;
        } else if (viaVariant && (held.vt == VT_DISPATCH || held.vt == VT_UNKNOWN)) {
            callerSlot = &held.punkVal;
        }
        callerIsDispatch = (held.vt & ~VT_BYREF) == VT_DISPATCH;
        ArgSlot<I*> converted;
        const HRESULT status = converted.load(held);
        if (FAILED(status)) {
            callerSlot = nullptr;
            return status;
        }
        temporary = loaded = converted.held.detach();
        return S_OK;
    }
    I** get() { return &temporary; }
};

template <>
struct ArgSlot<VARIANT> {
    VARIANT value{};
    HRESULT load(VARIANT& argument) {
        value = argument;
        return S_OK;
    }
    void loadMissing() {
        VariantInit(&value);
        value.vt = VT_ERROR;
        value.scode = DISP_E_PARAMNOTFOUND;
    }
    VARIANT get() { return value; }
};

template <>
struct ArgSlot<VARIANT*> {
    VARIANT missing{};
    VARIANT* pointer = nullptr;
    HRESULT load(VARIANT& argument) {
        pointer = &argument;
        return S_OK;
    }
    void loadMissing() {
        VariantInit(&missing);
        missing.vt = VT_ERROR;
        missing.scode = DISP_E_PARAMNOTFOUND;
        pointer = &missing;
    }
    VARIANT* get() { return pointer; }
};

template <class T>
constexpr bool kOptional = std::is_same_v<T, VARIANT> || std::is_same_v<T, VARIANT*>;

// The out-parameter of a result and how it becomes the result VARIANT.
template <class T>
struct ResultSlot;

template <class N, uint16_t kType>
struct NumberResult {
    N value = 0;
    N* put() { return &value; }
    void store(VARIANT* result) {
        if (!result) return;
        result->vt = kType;
        if constexpr (kType == VT_I4)
            result->lVal = value;
        else
            result->boolVal = value;
    }
};
template <>
struct ResultSlot<int32_t*> : NumberResult<int32_t, VT_I4> {};
template <>
struct ResultSlot<VARIANT_BOOL*> : NumberResult<VARIANT_BOOL, VT_BOOL> {};

template <>
struct ResultSlot<BSTR*> {
    BSTR value = nullptr;
    BSTR* put() { return &value; }
    void store(VARIANT* result) {
        if (!result) {
            SysFreeString(value);
            return;
        }
        result->vt = VT_BSTR;
        result->bstrVal = value;
    }
};

template <class I>
requires std::is_base_of_v<IUnknown, I>
struct ResultSlot<I**> {
    I* value = nullptr;
    I** put() { return &value; }
    void store(VARIANT* result) {
        if (!result) {
            if (value) value->Release();
            return;
        }
        if constexpr (std::is_base_of_v<IDispatch, I>) {
            result->vt = VT_DISPATCH;
            result->pdispVal = value;
        } else {
            result->vt = VT_UNKNOWN;
            result->punkVal = value;
        }
    }
};

template <>
struct ResultSlot<VARIANT*> {
    VARIANT value{};
    VARIANT* put() { return &value; }
    void store(VARIANT* result) {
        if (result)
            *result = value;
        else
            VariantClear(&value);
    }
};

}  // namespace dispatch_detail
}  // namespace com

#endif  // PLATFORM_COM_DISPATCHSLOTS_H_
