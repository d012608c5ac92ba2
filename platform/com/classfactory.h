// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_COM_CLASSFACTORY_H_
#define PLATFORM_COM_CLASSFACTORY_H_

#include <atomic>
#include <cstdint>

#include "platform/com/comptr.h"
#include "platform/com/object.h"
#include "platform/com/runtimeerror.h"
#include "platform/com/unknown.h"

// Threads: any; the server lock count is atomic, and the objects a factory creates follow their own class's
// rule.

namespace com {

// Creates the objects of one class.
struct IClassFactory : IUnknown {
    static constexpr IID iid = makeGuid("00000001-0000-0000-c000-000000000046");

    // A new object, its riid interface AddRef'ed in *object (null on failure).
    // Aggregation is not offered: a non-null outer gives CLASS_E_NOAGGREGATION.
    virtual HRESULT NIMBO_COM_CALL CreateInstance(IUnknown* outer, const IID& riid, void** object) = 0;
    // lock non-zero keeps the server loaded until a matching call with zero.
    virtual HRESULT NIMBO_COM_CALL LockServer(int32_t lock) = 0;

protected:
    ~IClassFactory() = default;
};

// The lock count of one in-process server, which its DllCanUnloadNow reads.
// A server keeps one of these for its whole life (a static object).
class ServerLock {
public:
    void lock() { m_count.fetch_add(1, std::memory_order_relaxed); }
    void unlock() { m_count.fetch_sub(1, std::memory_order_relaxed); }
    bool isLocked() const { return m_count.load(std::memory_order_relaxed) > 0; }

private:
    std::atomic<int> m_count{0};
};

// The factory of a ComObject class T that has a default constructor.
template <class T>
class ClassFactory : public ComObject<IClassFactory> {
public:
    // lock (may be null) is not owned and must outlive the factory.
    explicit ClassFactory(ServerLock* lock = nullptr) : m_lock(lock) {}

    HRESULT NIMBO_COM_CALL CreateInstance(IUnknown* outer, const IID& riid, void** object) override {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return guarded([&] { return makeObject<T>()->QueryInterface(riid, object); });
    }
    HRESULT NIMBO_COM_CALL LockServer(int32_t lock) override {
        if (m_lock) lock ? m_lock->lock() : m_lock->unlock();
        return S_OK;
    }

private:
    ServerLock* m_lock;
};

// A new factory of T; the caller owns the returned reference.
template <class T>
ComPtr<IClassFactory> makeClassFactory(ServerLock* lock = nullptr) {
    return makeObject<ClassFactory<T>>(lock);
}

}  // namespace com

#endif  // PLATFORM_COM_CLASSFACTORY_H_
