// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_COM_EXPORTS_H_
#define PLATFORM_COM_EXPORTS_H_

#include "platform/com/guid.h"
#include "platform/com/hresult.h"

// Threads: the exports are called on the thread that loads the server.

// The four functions that an in-process server exports, with C linkage so
// that loadServer finds them by name. A server includes this header and
// defines all four; each one is a COM boundary (no exception may leave it).
#if defined(_WIN32)
// A Windows module exports them through its .def file.
#define NIMBO_COM_EXPORT
#else
#define NIMBO_COM_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

// The factory of class clsid (its riid interface, usually IClassFactory),
// AddRef'ed in *object; CLASS_E_CLASSNOTAVAILABLE for a class the server lacks.
NIMBO_COM_EXPORT com::HRESULT NIMBO_COM_CALL DllGetClassObject(const com::CLSID& clsid, const com::IID& riid,
                                                               void** object);
// S_OK when no object of the server is alive and no lock is held, else S_FALSE.
NIMBO_COM_EXPORT com::HRESULT NIMBO_COM_CALL DllCanUnloadNow();
// Writes the server's classes into com::registry() (and removes them again).
NIMBO_COM_EXPORT com::HRESULT NIMBO_COM_CALL DllRegisterServer();
NIMBO_COM_EXPORT com::HRESULT NIMBO_COM_CALL DllUnregisterServer();
}

#endif  // PLATFORM_COM_EXPORTS_H_
