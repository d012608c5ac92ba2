// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_COM_COLLECTION_H_
#define PLATFORM_COM_COLLECTION_H_

#include <cstdint>

#include "platform/com/automation.h"
#include "platform/com/comptr.h"
#include "platform/com/dispatch.h"

// Threads: the thread that created the collection only.

namespace com {

// The automation Collection: an ordered list of values, each with an optional
// string key. Positions are 1-based. Keys are unique and compared without
// regard to case. Items are kept as copies (BSTRs duplicated, objects
// AddRef'ed, by-reference values resolved) and released with the collection.
//
// Failures are run-time errors in the status: 5 (an unknown key, both before
// and after given), 9 (a position out of range), 13 (an index or key of
// another type), 457 (a key already in use).
struct ICollection : IDispatch {
    static constexpr IID iid = makeGuid("6c5f4a0e-29b3-4d8e-9a57-0f4b1d6e2c31");

    // Appends item, or inserts it before / after the element given by position
    // or key. key, before and after are optional (missing marker or VT_EMPTY).
    virtual HRESULT NIMBO_COM_CALL Add(VARIANT item, VARIANT key, VARIANT before, VARIANT after) = 0;
    virtual HRESULT NIMBO_COM_CALL get_Count(int32_t* count) = 0;
    // A copy of the element at a position or with a key, owned by the caller;
    // the default member (DISPID_VALUE).
    virtual HRESULT NIMBO_COM_CALL Item(VARIANT index, VARIANT* item) = 0;
    virtual HRESULT NIMBO_COM_CALL Remove(VARIANT index) = 0;

protected:
    ~ICollection() = default;
};

template <>
const DispatchTable& dispatchTable<ICollection>();

// A new, empty collection; the caller owns the returned reference.
ComPtr<ICollection> createCollection();

}  // namespace com

#endif  // PLATFORM_COM_COLLECTION_H_
