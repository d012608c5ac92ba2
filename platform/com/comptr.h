// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_COM_COMPTR_H_
#define PLATFORM_COM_COMPTR_H_

#include <utility>

#include "platform/com/unknown.h"

// Threads: a ComPtr is used by one thread at a time; AddRef and Release are as safe as the object's own.

namespace com {

// A counted reference to a COM object. Each member says whether it AddRefs
// (takes a new reference) or adopts one that the caller already owns.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // AddRefs: the caller keeps its own reference.
    explicit ComPtr(T* object) : m_object(object) {
        if (m_object) m_object->AddRef();
    }
    // Adopts: ownership of the caller's reference moves into the ComPtr.
    static ComPtr adopt(T* object) {
        ComPtr result;
        result.m_object = object;
        return result;
    }
    ComPtr(const ComPtr& other) : ComPtr(other.m_object) {}
    ComPtr(ComPtr&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
    template <class U>
    requires std::is_convertible_v<U*, T*> ComPtr(const ComPtr<U>& other)
        : ComPtr(static_cast<T*>(other.get())) {}
    ~ComPtr() { reset(); }

    ComPtr& operator=(const ComPtr& other) {
        ComPtr(other).swap(*this);
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept {
        ComPtr(std::move(other)).swap(*this);
        return *this;
    }
    ComPtr& operator=(std::nullptr_t) {
        reset();
        return *this;
    }

    // Releases the held reference, if any.
    void reset() {
        if (T* object = std::exchange(m_object, nullptr)) object->Release();
    }
    // Gives the held reference to the caller without releasing it.
    T* detach() { return std::exchange(m_object, nullptr); }
    // Releases the held reference and returns the slot for an out-parameter,
    // which adopts the reference the callee writes there.
    T** put() {
        reset();
        return &m_object;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }
    // Writes an AddRef'ed copy to an out-parameter.
    void copyTo(T** out) const {
        if (m_object) m_object->AddRef();
        *out = m_object;
    }
    void swap(ComPtr& other) noexcept { std::swap(m_object, other.m_object); }

    T* get() const { return m_object; }
    T* operator->() const { return m_object; }
    T& operator*() const { return *m_object; }
    explicit operator bool() const { return m_object != nullptr; }

    // QueryInterface for another interface of the same object; empty if it has none.
    template <class U>
    ComPtr<U> as() const {
        ComPtr<U> result;
        if (m_object) m_object->QueryInterface(uuidof<U>(), result.putVoid());
        return result;
    }

    friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.m_object == b.m_object; }
    friend bool operator==(const ComPtr& a, std::nullptr_t) { return a.m_object == nullptr; }

private:
    T* m_object = nullptr;
};

}  // namespace com

#endif  // PLATFORM_COM_COMPTR_H_
