#ifndef PLATFORM_COM_DISPATCHBUILDER_H_
#define PLATFORM_COM_DISPATCHBUILDER_H_

// Building the late-binding table of a dual interface (see dispatch.h): the
// member bindings method, sub, propertyGet and propertyPut, makeDispatchTable,
// and the argument and result slots that turn VARIANTs into a member's
// parameters and back. Include it only in the .cpp that defines a
// dispatchTable<I>(); interface headers and callers need dispatch.h alone.
// The tables it builds are immutable and may be used from any thread.

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/com/automation.h"
#include "platform/com/comptr.h"
#include "platform/com/dispatch.h"

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

// Calls fn on self with the arguments of params; kResult says whether the last
// parameter of fn is the result.
template <bool kResult, class C, class... P>
struct MemberCall {
    using Fn = HRESULT (C::*)(P...);
    using Params = std::tuple<P...>;
    static constexpr size_t kArgs = sizeof...(P) - (kResult ? 1 : 0);

    static constexpr size_t minimumArgs() {
        size_t count = kArgs;
        while (count > 0 && isOptional(count - 1)) --count;
        return count;
    }
    static constexpr bool isOptional(size_t index) {
        constexpr bool flags[] = {kOptional<P>..., false};
        return flags[index];
    }

    static HRESULT call(C* self, Fn fn, DISPPARAMS& params, VARIANT* result, uint32_t* argumentError) {
        if (params.cArgs > kArgs || params.cArgs < minimumArgs()) return DISP_E_BADPARAMCOUNT;
        return callWith(self, fn, params, result, argumentError, std::make_index_sequence<kArgs>{});
    }

    template <size_t... Is>
    static HRESULT callWith(C* self, Fn fn, [[maybe_unused]] DISPPARAMS& params, VARIANT* result,
                            [[maybe_unused]] uint32_t* argumentError, std::index_sequence<Is...>) {
        std::tuple<ArgSlot<std::tuple_element_t<Is, Params>>...> arguments;
        HRESULT status = S_OK;
        ((status = SUCCEEDED(status) ? load<Is>(std::get<Is>(arguments), params, argumentError) : status),
         ...);
        if (FAILED(status)) return status;
        if constexpr (kResult) {
            ResultSlot<std::tuple_element_t<kArgs, Params>> out;
            status = (self->*fn)(std::get<Is>(arguments).get()..., out.put());
            out.store(result);
            return status;
        } else {
            return (self->*fn)(std::get<Is>(arguments).get()...);
        }
    }

    // Argument index (first to last) lies at rgvarg[cArgs - 1 - index]; this
    // also puts the value of a property put, the last argument, at rgvarg[0].
    template <size_t Index, class Slot>
    static HRESULT load(Slot& slot, DISPPARAMS& params, uint32_t* argumentError) {
        if (Index >= params.cArgs) {
            if constexpr (requires { slot.loadMissing(); }) slot.loadMissing();
            return S_OK;
        }
        const uint32_t position = params.cArgs - 1 - static_cast<uint32_t>(Index);
        const HRESULT status = slot.load(params.rgvarg[position]);
        if (FAILED(status) && argumentError) *argumentError = position;
        return status;
    }
};

// The out-parameter types of a result: those that ResultSlot knows.
template <class T>
constexpr bool isResultType() {
    if constexpr (std::is_same_v<T, int32_t*> || std::is_same_v<T, VARIANT_BOOL*> ||
                  std::is_same_v<T, BSTR*> || std::is_same_v<T, VARIANT*>)
        return true;
    else if constexpr (std::is_pointer_v<T> && std::is_pointer_v<std::remove_pointer_t<T>>)
        return std::is_base_of_v<IUnknown, std::remove_pointer_t<std::remove_pointer_t<T>>>;
    else
        return false;
}

template <class... P>
constexpr bool lastIsResult() {
    if constexpr (sizeof...(P) == 0)
        return false;
    else
        return isResultType<std::tuple_element_t<sizeof...(P) - 1, std::tuple<P...>>>();
}

}  // namespace dispatch_detail

// One member named for the table; built by method, sub, propertyGet, propertyPut.
template <bool kResult, class C, class... P>
struct MemberBinding {
    std::string_view name;
    uint16_t kind;
    HRESULT (C::*fn)(P...);
    DISPID id;
};

// A method; when its last parameter has a result type (see above), that is the result.
template <class C, class... P>
auto method(std::string_view name, HRESULT (C::*fn)(P...), DISPID id = DISPID_UNKNOWN) {
    return MemberBinding<dispatch_detail::lastIsResult<P...>(), C, P...>{name, DISPATCH_METHOD, fn, id};
}
// A method without a result, whose last parameter is an argument even when it
// has a result type (a by-reference int32_t*, IDispatch** ...).
template <class C, class... P>
auto sub(std::string_view name, HRESULT (C::*fn)(P...), DISPID id = DISPID_UNKNOWN) {
    return MemberBinding<false, C, P...>{name, DISPATCH_METHOD, fn, id};
}
// A property read; the last parameter is the result.
template <class C, class... P>
auto propertyGet(std::string_view name, HRESULT (C::*fn)(P...), DISPID id = DISPID_UNKNOWN) {
    static_assert(dispatch_detail::lastIsResult<P...>(), "a property get returns through its last parameter");
    return MemberBinding<true, C, P...>{name, DISPATCH_PROPERTYGET, fn, id};
}
// A property write (DISPATCH_PROPERTYPUT or PUTREF); the last parameter is the value.
template <class C, class... P>
auto propertyPut(std::string_view name, HRESULT (C::*fn)(P...), DISPID id = DISPID_UNKNOWN) {
    static_assert(sizeof...(P) > 0, "a property put takes its value as the last parameter");
    return MemberBinding<false, C, P...>{name, DISPATCH_PROPERTYPUT, fn, id};
}

// The table of interface I from its members; each member must belong to I or a base of it.
template <class I, class... Bindings>
DispatchTable makeDispatchTable(Bindings... bindings) {
    std::vector<DispatchTable::Entry> entries;
    entries.reserve(sizeof...(Bindings));
    auto add = [&entries]<bool kResult, class C, class... P>(const MemberBinding<kResult, C, P...>& binding) {
        static_assert(std::is_base_of_v<C, I>, "the member must belong to the interface or a base of it");
        entries.push_back(
            {std::string(binding.name), binding.kind, binding.id,
             [fn = binding.fn](void* self, DISPPARAMS& params, VARIANT* result, uint32_t* argumentError) {
                 C* object = static_cast<I*>(self);
                 return dispatch_detail::MemberCall<kResult, C, P...>::call(object, fn, params, result,
                                                                            argumentError);
             }});
    };
    (add(bindings), ...);
    return DispatchTable(std::move(entries));
}

}  // namespace com

#endif  // PLATFORM_COM_DISPATCHBUILDER_H_
