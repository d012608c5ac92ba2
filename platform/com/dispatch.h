// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_COM_DISPATCH_H_
#define PLATFORM_COM_DISPATCH_H_

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/com/automation.h"
#include "platform/com/variant.h"

// Threads: a built table may be read from any thread; Invoke and invokeByName run on the object's own
// thread.

// Late binding for dual interfaces. An interface header needs only this file:
// it declares its table, and classes list com::Dual<I>. The table itself is
// built in one .cpp per interface with platform/com/dispatchbuilder.h:
//
//   template <>
//   const com::DispatchTable& com::dispatchTable<IVexoPlugin>() {
//       static const auto table = com::makeDispatchTable<IVexoPlugin>(
//           com::method("Disable", &IVexoPlugin::Disable),
//           com::method("MessageHandle", &IVexoPlugin::MessageHandle),
//           com::propertyGet("PluginName", &IVexoPlugin::get_PluginName));
//       return table;
//   }
//
// and declares that specialisation in the interface's header
// (`template <> const com::DispatchTable& com::dispatchTable<IVexoPlugin>();`).
// A class then lists `com::Dual<IVexoPlugin>` among its ComObject interfaces,
// and Invoke calls the members through the interface's own vtable, exactly as
// an early-bound caller does.
//
// Member shapes, all returning HRESULT. The parameters of a member are its
// arguments in order, followed, for a method with a result and for every
// property get, by the out-parameter of the result:
//   results:  VARIANT_BOOL* (VT_BOOL; int16_t* is the same type), int32_t* (VT_I4),
//             BSTR*, IDispatch**, IUnknown**, I** for any I derived from IDispatch
//             (VT_DISPATCH), VARIANT* (passed through);
//   arguments by value: int32_t, int16_t / VARIANT_BOOL, BSTR, IDispatch*, IUnknown*,
//             I* for I derived from IDispatch (QueryInterface'd), VARIANT, VARIANT*;
//   arguments by reference: int32_t*, int16_t*, BSTR*, IDispatch**, IUnknown**.
// A by-reference argument refers to the caller's storage when the caller
// passes the matching VT_BYREF type (or a VT_VARIANT reference holding it);
// a by-value argument is converted into a temporary that the member may
// change without effect on the caller. Trailing VARIANT arguments are optional:
// a caller that leaves them out passes the missing marker (VT_ERROR,
// DISP_E_PARAMNOTFOUND).
//
// Failures: a member's failure status passes through Invoke unchanged (the
// run-time error number stays in the status and the thread's error info
// keeps its description); EXCEPINFO is never filled. A result the member
// assigned before failing is still stored in the result VARIANT, which the
// caller must therefore clear after failures too.
namespace com {

class DispatchTable {
public:
    // Calls one member on self, the interface pointer (as void*) of the
    // interface that the table describes.
    using Call =
        std::function<HRESULT(void* self, DISPPARAMS& params, VARIANT* result, uint32_t* argumentError)>;

    struct Entry {
        std::string name;
        uint16_t kind;  // DISPATCH_METHOD, DISPATCH_PROPERTYGET or DISPATCH_PROPERTYPUT
        DISPID id;      // DISPID_UNKNOWN: numbered by the table
        Call call;
    };

    // Numbers the members: a get and a put of one name share one DISPID; names
    // without a fixed DISPID get 1, 2, ... in order of first appearance.
    // Throws std::logic_error for a member listed twice.
    explicit DispatchTable(std::vector<Entry> entries);

    // IDispatch::GetIDsOfNames: case-insensitive; names after the first are
    // argument names, which are not offered (DISPID_UNKNOWN, DISP_E_UNKNOWNNAME).
    HRESULT getIDsOfNames(const IID& riid, const OLECHAR** names, uint32_t nameCount, DISPID* dispIds) const;
    // IDispatch::Invoke on self (see DispatchTable::Call).
    HRESULT invoke(void* self, DISPID member, const IID& riid, uint16_t flags, DISPPARAMS* params,
                   VARIANT* result, uint32_t* argumentError) const;

    std::optional<DISPID> idOf(std::string_view name) const;
    const std::vector<Entry>& entries() const { return m_entries; }

private:
    const Entry* find(DISPID member, uint16_t flags) const;

    std::vector<Entry> m_entries;
};

// The table of interface I; specialised once per dual interface.
template <class I>
const DispatchTable& dispatchTable();

// Implements the four IDispatch slots of I: from dispatchTable<I>() on Linux,
// from I's type information on Windows. List it in ComObject<Dual<IA>,
// Dual<IB>>; the first one answers QueryInterface for IDispatch (the default
// interface).
#if defined(_WIN32)
// On Windows the system's automation serves IDispatch from the interface's
// type information, as it is registered or embedded in the module that
// implements the interface (win32/systemdispatch.cpp). Each returns what the
// IDispatch member of the same name returns.
namespace system_dispatch {
HRESULT getTypeInfo(const IID& iid, uint32_t index, void** typeInfo);
HRESULT getIDsOfNames(const IID& iid, const IID& riid, const OLECHAR** names, uint32_t nameCount,
                      DISPID* dispIds);
HRESULT invoke(const IID& iid, void* self, DISPID member, const IID& riid, LCID locale, uint16_t flags,
               DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception, uint32_t* argumentError);
}  // namespace system_dispatch

template <class I>
class Dual : public I {
    static_assert(std::is_base_of_v<IDispatch, I>);

public:
    static constexpr IID iid = I::iid;

    HRESULT NIMBO_COM_CALL GetTypeInfoCount(uint32_t* count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    HRESULT NIMBO_COM_CALL GetTypeInfo(uint32_t index, LCID, void** typeInfo) override {
        return system_dispatch::getTypeInfo(I::iid, index, typeInfo);
    }
    HRESULT NIMBO_COM_CALL GetIDsOfNames(const IID& riid, const OLECHAR** names, uint32_t nameCount, LCID,
                                         DISPID* dispIds) override {
        return system_dispatch::getIDsOfNames(I::iid, riid, names, nameCount, dispIds);
    }
    HRESULT NIMBO_COM_CALL Invoke(DISPID member, const IID& riid, LCID locale, uint16_t flags,
                                  DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                                  uint32_t* argumentError) override {
        return system_dispatch::invoke(I::iid, static_cast<void*>(static_cast<I*>(this)), member, riid,
                                       locale, flags, params, result, exception, argumentError);
    }
};
#else
template <class I>
class Dual : public I {
    static_assert(std::is_base_of_v<IDispatch, I>);

public:
    static constexpr IID iid = I::iid;

    HRESULT NIMBO_COM_CALL GetTypeInfoCount(uint32_t* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT NIMBO_COM_CALL GetTypeInfo(uint32_t, LCID, void** typeInfo) override {
        if (typeInfo) *typeInfo = nullptr;
        return E_NOTIMPL;
    }
    HRESULT NIMBO_COM_CALL GetIDsOfNames(const IID& riid, const OLECHAR** names, uint32_t nameCount, LCID,
                                         DISPID* dispIds) override {
        return dispatchTable<I>().getIDsOfNames(riid, names, nameCount, dispIds);
    }
    HRESULT NIMBO_COM_CALL Invoke(DISPID member, const IID& riid, LCID, uint16_t flags, DISPPARAMS* params,
                                  VARIANT* result, EXCEPINFO*, uint32_t* argumentError) override {
        return dispatchTable<I>().invoke(static_cast<void*>(static_cast<I*>(this)), member, riid, flags,
                                         params, result, argumentError);
    }
};
#endif

// Calls a member of object by name (late binding). argsInOrder holds the
// arguments first to last; they stay owned by the caller (by-reference ones
// see the member's changes). For DISPATCH_PROPERTYPUT the last argument is
// the value. *result (may be null) is overwritten and owned by the caller.
HRESULT invokeByName(IDispatch* object, std::string_view name, uint16_t flags, std::span<VARIANT> argsInOrder,
                     VARIANT* result);

// The same inside the system: a failure is raised as a run-time error
// (error 424 for a null object). Returns the result, owned by the caller.
Variant callByName(IDispatch* object, std::string_view name, uint16_t flags,
                   std::initializer_list<Variant> argsInOrder = {});

}  // namespace com

#endif  // PLATFORM_COM_DISPATCH_H_
