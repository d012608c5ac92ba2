// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/com/runtimeerror.h"

#include <cstdio>

namespace com {

std::string RuntimeError::standardDescription(int number) {
    switch (number) {
        case kErrInvalidCall:
            return "Invalid procedure call or argument";
        case kErrOverflow:
            return "Overflow";
        case 7:
            return "Out of memory";
        case kErrSubscriptOutOfRange:
            return "Subscript out of range";
        case kErrTypeMismatch:
            return "Type mismatch";
        case kErrDllLoad:
            return "Error in loading DLL";
        case kErrFileNotFound:
            return "File not found";
        case kErrFileAccess:
            return "Path/File access error";
        case kErrPathNotFound:
            return "Path not found";
        case 91:
            return "Object variable or With block variable not set";
        case kErrInvalidFileFormat:
            return "Invalid file format";
        case kErrControlArrayElement:
            return "Control array element does not exist";
        case kErrObjectRequired:
            return "Object required";
        case kErrCannotCreateObject:
            return "ActiveX component can't create object";
        case 438:
            return "Object doesn't support this property or method";
        case kErrDllEntryPoint:
            return "Can't find DLL entry point";
        case kErrDuplicateKey:
            return "This key is already associated with an element of this collection";
        case kErrInvalidPicture:
            return "Invalid picture";
        default:
            return "Application-defined or object-defined error";
    }
}

void raise(int number, const std::string& detail) {
    std::string description = RuntimeError::standardDescription(number);
    if (!detail.empty()) description += ": " + detail;
    throw RuntimeError(number, std::move(description));
}

void raiseStatus(HRESULT status) {
    if (const int number = runtimeErrorNumber(status)) {
        const ErrorInfo& info = errorInfo();
        // The description is the failure's own when the error info is of this
        // status, or of no status of ours (set by another module).
        const bool described = (info.status == status || info.status == S_OK) && !info.description.empty();
        throw RuntimeError(number, described ? info.description : RuntimeError::standardDescription(number));
    }
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(status));
    raise(5, std::string("call failed with status ") + hex);
}

}  // namespace com
