// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESTS_WINDOWS_LATEBINDING_H_
#define TESTS_WINDOWS_LATEBINDING_H_

#include <initializer_list>

#include "tests/windows/clientcheck.h"

namespace client {

// IDispatch::GetIDsOfNames for name, then Invoke with the arguments first to
// last (a property put passes its value last, as DISPID_PROPERTYPUT). The
// arguments stay the caller's; *result (may be null) is the caller's to clear.
HRESULT invokeByName(IDispatch* object, const wchar_t* name, WORD flags,
                     std::initializer_list<VARIANT> argsInOrder, VARIANT* result, DISPID* id = nullptr);

VARIANT longValue(LONG value);
VARIANT longReference(LONG* target);
VARIANT textValue(BSTR text);
VARIANT objectReference(IDispatch** target);

}  // namespace client

#endif  // TESTS_WINDOWS_LATEBINDING_H_
