// SPDX-License-Identifier: GPL-3.0-or-later
// Error info on Windows is the system's, one per thread: a failure's
// description is set with SetErrorInfo, where a script host, the automation
// layer or any other caller reads it (Err.Description, EXCEPINFO), and read
// back with GetErrorInfo, so that a failure of another module's object
// keeps its description inside the system too.

#include <utility>

#include "platform/com/automation.h"
#include "platform/com/bstr.h"
#include "platform/com/runtimeerror.h"

// Last: the system's macros would rewrite our own names (see system.h).
#include "platform/com/win32/system.h"

namespace com {
namespace {

thread_local ErrorInfo t_errorInfo;
// The system's error object that t_errorInfo describes; compared, never used.
thread_local const void* t_described = nullptr;

::BSTR sys(BSTR text) {
    return reinterpret_cast<::BSTR>(text);
}

}  // namespace

void setErrorInfo(ErrorInfo info) {
    t_errorInfo = std::move(info);
    t_described = nullptr;
    ICreateErrorInfo* create = nullptr;
    if (FAILED(CreateErrorInfo(&create))) return;
    try {
        const Bstr description(t_errorInfo.description);
        create->SetDescription(sys(description.get()));
    } catch (...) {
        // Out of memory for the text: the status still tells the failure.
    }
    IErrorInfo* error = nullptr;
    if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&error)))) {
        ::SetErrorInfo(0, error);
        t_described = error;
        error->Release();
    }
    create->Release();
}

const ErrorInfo& errorInfo() {
    // GetErrorInfo hands the object over and clears the thread's slot: put it back.
    IErrorInfo* error = nullptr;
    if (::GetErrorInfo(0, &error) != S_OK || !error) {
        t_errorInfo = ErrorInfo{};
        t_described = nullptr;
        return t_errorInfo;
    }
    ::SetErrorInfo(0, error);
    if (error != t_described) {
        // Set by another module: its description, without a status of ours.
        ::BSTR description = nullptr;
        error->GetDescription(&description);
        t_errorInfo = ErrorInfo{S_OK, 0, bstrToUtf8(reinterpret_cast<BSTR>(description))};
        ::SysFreeString(description);
        t_described = error;
    }
    error->Release();
    return t_errorInfo;
}

void clearErrorInfo() {
    ::SetErrorInfo(0, nullptr);
    t_errorInfo = ErrorInfo{};
    t_described = nullptr;
}

}  // namespace com
