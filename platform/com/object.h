// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_COM_OBJECT_H_
#define PLATFORM_COM_OBJECT_H_

#include <atomic>
#include <tuple>
#include <type_traits>

#include "platform/com/automation.h"
#include "platform/com/comptr.h"
#include "platform/com/unknown.h"

// Threads: reference counts are atomic; everything else follows the apartment of the class.

namespace com {

// The reference count and QueryInterface of an object that implements the
// interfaces in Interfaces. QueryInterface answers IUnknown (through the first
// interface, the object's identity), each listed interface, and IDispatch
// with the first listed interface that derives from it (the default dual
// interface). Objects start with one reference, owned by whoever created
// them; they delete themselves when the last one is released.
//
// A derived class may widen QueryInterface by overriding queryExtra (for
// interfaces that are not among its bases, or tear-offs).
#if defined(_WIN32)
// Tells a caller that a failing member left a description in the thread's
// error info; the system's automation asks before it reads it.
struct ISupportErrorInfo : IUnknown {
    static constexpr IID iid = makeGuid("df0b3d60-548f-101b-8e65-08002b2bd119");

    virtual HRESULT NIMBO_COM_CALL InterfaceSupportsErrorInfo(const IID& riid) = 0;

protected:
    ~ISupportErrorInfo() = default;
};
// Every object's failures come with error info (platform/com/runtimeerror.h).
template <class... Interfaces>
struct ErrorInfoSupport : ISupportErrorInfo {
    HRESULT NIMBO_COM_CALL InterfaceSupportsErrorInfo(const IID& riid) override {
        return ((riid == uuidof<Interfaces>()) || ...) ? S_OK : S_FALSE;
    }
};
#else
// Our own runtime keeps the error info where the caller finds it without asking.
template <class... Interfaces>
struct ErrorInfoSupport {};
#endif

template <class... Interfaces>
class ComObject : public Interfaces..., public ErrorInfoSupport<Interfaces...> {
    static_assert(sizeof...(Interfaces) > 0);
    using First = std::tuple_element_t<0, std::tuple<Interfaces...>>;

public:
    HRESULT NIMBO_COM_CALL QueryInterface(const IID& riid, void** object) override {
        if (!object) return E_POINTER;
        *object = findInterface(riid);
        if (!*object) *object = queryExtra(riid);
        if (!*object) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    uint32_t NIMBO_COM_CALL AddRef() override { return m_refs.fetch_add(1, std::memory_order_relaxed) + 1; }
    uint32_t NIMBO_COM_CALL Release() override {
        const uint32_t left = m_refs.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0) delete this;
        return left;
    }

    // The identity pointer (IUnknown of the first interface); not AddRef'ed.
    IUnknown* identity() { return static_cast<First*>(this); }

protected:
    ComObject() = default;
    virtual ~ComObject() = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    // An interface pointer for riid that the listed bases do not give, not AddRef'ed.
    virtual void* queryExtra(const IID&) { return nullptr; }

private:
    void* findInterface(const IID& riid) {
        if (riid == uuidof<IUnknown>()) return identity();
        void* found = nullptr;
        ((found = found ? found : (riid == uuidof<Interfaces>() ? static_cast<Interfaces*>(this) : nullptr)),
         ...);
        if (!found && riid == uuidof<IDispatch>()) {
            ((found = found ? found : dispatchOf<Interfaces>()), ...);
        }
#if defined(_WIN32)
        if (!found && riid == uuidof<ISupportErrorInfo>()) found = static_cast<ISupportErrorInfo*>(this);
#endif
        return found;
    }
    template <class I>
    void* dispatchOf() {
        if constexpr (std::is_base_of_v<IDispatch, I>)
            return static_cast<IDispatch*>(static_cast<I*>(this));
        else
            return nullptr;
    }

    std::atomic<uint32_t> m_refs{1};
};

// Creates an object of T; the returned ComPtr adopts its first reference.
template <class T, class... Args>
ComPtr<T> makeObject(Args&&... args) {
    return ComPtr<T>::adopt(new T(std::forward<Args>(args)...));
}

}  // namespace com

#endif  // PLATFORM_COM_OBJECT_H_
