// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_COM_CLASSTABLE_H_
#define PLATFORM_COM_CLASSTABLE_H_

#include <string>
#include <string_view>

#include "platform/com/classfactory.h"
#include "platform/com/comptr.h"
#include "platform/com/runtimeerror.h"

// Threads: the apartment thread only; the process class table has no lock.

namespace com {

// The process class table: a host registers the factories of its own
// creatable classes here. Class creation looks in this table first, then in
// registry() for an in-process server (CLSID\{clsid}\InprocServer32), which
// it loads and asks through DllGetClassObject.

// Registers factory (the table keeps a reference) under clsid and progId
// (may be empty); replaces an earlier registration of clsid.
void registerClass(const CLSID& clsid, std::string progId, ComPtr<IClassFactory> factory);
// Drops the registration of clsid and its reference to the factory; true when there was one.
bool unregisterClass(const CLSID& clsid);

// The class object (factory) of clsid, its riid interface AddRef'ed in *object.
// REGDB_E_CLASSNOTREG for an unknown class; a server that cannot be loaded
// gives the run-time error's status (53, 48, 453), described in errorInfo().
HRESULT CoGetClassObject(const CLSID& clsid, const IID& riid, void** object);
// A new object of clsid, its riid interface AddRef'ed in *object (null on failure).
HRESULT CoCreateInstance(const CLSID& clsid, IUnknown* outer, const IID& riid, void** object);
// The class of a ProgID ("Project.Class", case-insensitive): process table,
// then registry value <progId>\CLSID. CO_E_CLASSSTRING when unknown.
HRESULT CLSIDFromProgID(std::string_view progId, CLSID* clsid);
HRESULT createInstanceByProgId(std::string_view progId, const IID& riid, void** object);

// Inside the system: a new object by ProgID; a failure raises run-time error
// 429 (can't create object), or the server's error, with the ProgID named.
template <class I>
ComPtr<I> createObject(std::string_view progId) {
    ComPtr<I> object;
    const HRESULT status = createInstanceByProgId(progId, uuidof<I>(), object.putVoid());
    if (FAILED(status)) {
        if (runtimeErrorNumber(status)) raiseStatus(status);
        raise(kErrCannotCreateObject, std::string(progId));
    }
    return object;
}

}  // namespace com

#endif  // PLATFORM_COM_CLASSTABLE_H_
