// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_COM_HRESULT_H_
#define PLATFORM_COM_HRESULT_H_

#include <cstdint>

// Threads: any; constants and pure functions.

// The calling convention of every member of every interface: the system's
// (stdcall) on 32-bit Windows, where it differs from the compiler's default
// for member functions, and the default everywhere else. Written between the
// result type and the name of each declaration and of each override.
#if defined(_WIN32) && !defined(_WIN64)
#define NIMBO_COM_CALL __stdcall
#else
#define NIMBO_COM_CALL
#endif

namespace com {

// A status code as every COM member returns it: bit 31 set means failure.
using HRESULT = int32_t;

constexpr HRESULT hr(uint32_t bits) {
    return static_cast<HRESULT>(bits);
}

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = hr(0x80004001);
constexpr HRESULT E_NOINTERFACE = hr(0x80004002);
constexpr HRESULT E_POINTER = hr(0x80004003);
constexpr HRESULT E_FAIL = hr(0x80004005);
constexpr HRESULT E_UNEXPECTED = hr(0x8000FFFF);
constexpr HRESULT E_OUTOFMEMORY = hr(0x8007000E);
constexpr HRESULT E_INVALIDARG = hr(0x80070057);
constexpr HRESULT DISP_E_UNKNOWNINTERFACE = hr(0x80020001);
constexpr HRESULT DISP_E_MEMBERNOTFOUND = hr(0x80020003);
constexpr HRESULT DISP_E_PARAMNOTFOUND = hr(0x80020004);
constexpr HRESULT DISP_E_TYPEMISMATCH = hr(0x80020005);
constexpr HRESULT DISP_E_UNKNOWNNAME = hr(0x80020006);
constexpr HRESULT DISP_E_NONAMEDARGS = hr(0x80020007);
constexpr HRESULT DISP_E_BADVARTYPE = hr(0x80020008);
constexpr HRESULT DISP_E_EXCEPTION = hr(0x80020009);
constexpr HRESULT DISP_E_OVERFLOW = hr(0x8002000A);
constexpr HRESULT DISP_E_BADPARAMCOUNT = hr(0x8002000E);
constexpr HRESULT DISP_E_BADINDEX = hr(0x8002000B);
constexpr HRESULT CLASS_E_NOAGGREGATION = hr(0x80040110);
constexpr HRESULT CLASS_E_CLASSNOTAVAILABLE = hr(0x80040111);
constexpr HRESULT REGDB_E_CLASSNOTREG = hr(0x80040154);
constexpr HRESULT CO_E_CLASSSTRING = hr(0x800401F3);
constexpr HRESULT RPC_E_WRONG_THREAD = hr(0x8001010E);

// Run-time errors of the automation layer travel as 0x800A0000 | number.
constexpr uint32_t kRuntimeErrorFacility = 0x800A0000u;

constexpr bool SUCCEEDED(HRESULT status) {
    return status >= 0;
}
constexpr bool FAILED(HRESULT status) {
    return status < 0;
}

constexpr HRESULT runtimeErrorStatus(int number) {
    return hr(kRuntimeErrorFacility | (static_cast<uint32_t>(number) & 0xFFFFu));
}

// The run-time error number carried by a status, or 0 when it carries none.
constexpr int runtimeErrorNumber(HRESULT status) {
    const auto bits = static_cast<uint32_t>(status);
    return (bits & 0xFFFF0000u) == kRuntimeErrorFacility ? static_cast<int>(bits & 0xFFFFu) : 0;
}

}  // namespace com

#endif  // PLATFORM_COM_HRESULT_H_
