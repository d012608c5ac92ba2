// SPDX-License-Identifier: GPL-3.0-or-later
// The runtime's own error info, one per thread. On Windows it is the
// system's (win32/errorinfo.cpp).
#include <utility>

#include "platform/com/runtimeerror.h"

namespace com {
namespace {

thread_local ErrorInfo t_errorInfo;

}  // namespace

void setErrorInfo(ErrorInfo info) {
    t_errorInfo = std::move(info);
}

const ErrorInfo& errorInfo() {
    return t_errorInfo;
}

void clearErrorInfo() {
    t_errorInfo = ErrorInfo{};
}

}  // namespace com
