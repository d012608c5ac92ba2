// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_COM_RUNTIMEERROR_H_
#define PLATFORM_COM_RUNTIMEERROR_H_

#include <exception>
#include <new>
#include <string>
#include <type_traits>
#include <utility>

#include "platform/com/hresult.h"

// Threads: any; the error info is kept per thread, so each thread sees only its own last failure.

namespace com {

// Run-time error numbers that the system raises.
enum RuntimeErrorNumber : int {
    kErrInvalidCall = 5,
    kErrOverflow = 6,
    kErrSubscriptOutOfRange = 9,
    kErrTypeMismatch = 13,
    kErrDllLoad = 48,
    kErrFileNotFound = 53,
    kErrFileAccess = 75,
    kErrPathNotFound = 76,
    kErrInvalidFileFormat = 321,
    kErrControlArrayElement = 340,
    kErrObjectRequired = 424,
    kErrCannotCreateObject = 429,
    kErrDllEntryPoint = 453,
    kErrDuplicateKey = 457,
    kErrInvalidPicture = 481,
};

// A failing step inside the system throws this; a COM boundary turns it into
// the status 0x800A0000 | number and keeps number and description in the
// thread's error info. Never crosses a COM boundary itself.
class RuntimeError : public std::exception {
public:
    RuntimeError(int number, std::string description)
        : m_number(number), m_description(std::move(description)) {}

    int number() const { return m_number; }
    const std::string& description() const { return m_description; }
    HRESULT status() const { return runtimeErrorStatus(m_number); }
    const char* what() const noexcept override { return m_description.c_str(); }

    // The standard description of a number ("Overflow", "Subscript out of range" ...).
    static std::string standardDescription(int number);

private:
    int m_number;
    std::string m_description;
};

// Throws the error with its standard description, optionally followed by ": detail".
[[noreturn]] void raise(int number, const std::string& detail = {});

// What the last failing call on this thread left for its caller.
struct ErrorInfo {
    HRESULT status = S_OK;
    int number = 0;  // run-time error number, 0 when the failure carried none
    std::string description;
};

void setErrorInfo(ErrorInfo info);
// The error info of the last failure on this thread; status S_OK when there is none.
const ErrorInfo& errorInfo();
void clearErrorInfo();

// Re-raises a failure status as a run-time error inside the system: a status
// carrying a run-time error number keeps its number and the thread's
// description; any other failure becomes error 5 with the status in hex.
[[noreturn]] void raiseStatus(HRESULT status);
// Calls raiseStatus when status is a failure.
inline void check(HRESULT status) {
    if (FAILED(status)) raiseStatus(status);
}

// Runs body at a COM boundary: no exception leaves. body returns void (success)
// or an HRESULT of its own (argument checks such as E_POINTER).
template <class Body>
HRESULT guarded(Body&& body) noexcept {
    try {
        if constexpr (std::is_void_v<std::invoke_result_t<Body&>>) {
            body();
            return S_OK;
        } else {
            return body();
        }
    } catch (const RuntimeError& error) {
        setErrorInfo({error.status(), error.number(), error.description()});
        return error.status();
    } catch (const std::bad_alloc&) {
        setErrorInfo({E_OUTOFMEMORY, 7, "Out of memory"});
        return E_OUTOFMEMORY;
    } catch (const std::exception& error) {
        setErrorInfo({E_UNEXPECTED, 0, error.what()});
        return E_UNEXPECTED;
    } catch (...) {
        setErrorInfo({E_UNEXPECTED, 0, "Unexpected exception"});
        return E_UNEXPECTED;
    }
}

}  // namespace com

#endif  // PLATFORM_COM_RUNTIMEERROR_H_
