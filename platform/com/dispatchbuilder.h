// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_COM_DISPATCHBUILDER_H_
#define PLATFORM_COM_DISPATCHBUILDER_H_

// Building the late-binding table of a dual interface (see dispatch.h): the
// member bindings method, sub, propertyGet and propertyPut, and
// makeDispatchTable, which calls each member through the argument and result
// slots of dispatchslots.h. Include it only in the .cpp that defines a
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
#include "platform/com/dispatchslots.h"

namespace com {

namespace dispatch_detail {

// Calls fn on self with the arguments of params; kResult says whether the last
// parameter of fn is the result.
template <bool kResult, class C, class... P>
struct MemberCall {
    using Fn = HRESULT (NIMBO_COM_CALL C::*)(P...);
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
    HRESULT (NIMBO_COM_CALL C::*fn)(P...);
    DISPID id;
};

// A method; when its last parameter has a result type (see above), that is the result.
template <class C, class... P>
auto method(std::string_view name, HRESULT (NIMBO_COM_CALL C::*fn)(P...), DISPID id = DISPID_UNKNOWN) {
    return MemberBinding<dispatch_detail::lastIsResult<P...>(), C, P...>{name, DISPATCH_METHOD, fn, id};
}
// A method without a result, whose last parameter is an argument even when it
// has a result type (a by-reference int32_t*, IDispatch** ...).
template <class C, class... P>
auto sub(std::string_view name, HRESULT (NIMBO_COM_CALL C::*fn)(P...), DISPID id = DISPID_UNKNOWN) {
    return MemberBinding<false, C, P...>{name, DISPATCH_METHOD, fn, id};
}
// A property read; the last parameter is the result.
template <class C, class... P>
auto propertyGet(std::string_view name, HRESULT (NIMBO_COM_CALL C::*fn)(P...), DISPID id = DISPID_UNKNOWN) {
    static_assert(dispatch_detail::lastIsResult<P...>(), "a property get returns through its last parameter");
    return MemberBinding<true, C, P...>{name, DISPATCH_PROPERTYGET, fn, id};
}
// A property write (DISPATCH_PROPERTYPUT or PUTREF); the last parameter is the value.
template <class C, class... P>
auto propertyPut(std::string_view name, HRESULT (NIMBO_COM_CALL C::*fn)(P...), DISPID id = DISPID_UNKNOWN) {
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
