// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_COM_UNKNOWN_H_
#define PLATFORM_COM_UNKNOWN_H_

#include <cstdint>

#include "platform/com/guid.h"
#include "platform/com/hresult.h"

// Threads: interface declarations only; each implementing class states its own rule.

namespace com {

// The root of every interface. Pure virtual members only, in the standard
// slot order, so that the vtable of every interface that derives from it
// starts with QueryInterface, AddRef, Release. Objects are destroyed by their
// own Release, never through an interface pointer: hence no virtual destructor.
struct IUnknown {
    static constexpr IID iid = makeGuid("00000000-0000-0000-c000-000000000046");

    virtual HRESULT NIMBO_COM_CALL QueryInterface(const IID& riid, void** object) = 0;
    virtual uint32_t NIMBO_COM_CALL AddRef() = 0;
    virtual uint32_t NIMBO_COM_CALL Release() = 0;

protected:
    ~IUnknown() = default;
};

// Typed QueryInterface: asks `from` for Interface and returns it AddRef'ed in *to.
template <class Interface>
HRESULT queryInterface(IUnknown* from, Interface** to) {
    if (!to) return E_POINTER;
    *to = nullptr;
    if (!from) return E_POINTER;
    return from->QueryInterface(uuidof<Interface>(), reinterpret_cast<void**>(to));
}

}  // namespace com

#endif  // PLATFORM_COM_UNKNOWN_H_
