// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/windows/latebinding.h"

#include <algorithm>
#include <vector>

namespace client {

HRESULT invokeByName(IDispatch* object, const wchar_t* name, WORD flags,
                     std::initializer_list<VARIANT> argsInOrder, VARIANT* result, DISPID* id) {
    DISPID member = DISPID_UNKNOWN;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    const HRESULT found = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &member);
    if (id) *id = member;
    if (FAILED(found)) return found;
    // DISPPARAMS holds the arguments last first.
    std::vector<VARIANT> reversed(argsInOrder.begin(), argsInOrder.end());
    std::reverse(reversed.begin(), reversed.end());
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
        params.rgdispidNamedArgs = &put;
        params.cNamedArgs = 1;
    }
    EXCEPINFO exception{};
    UINT argumentError = 0;
    if (result) VariantInit(result);
    const HRESULT status = object->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result,
                                          &exception, &argumentError);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    return status;
}

VARIANT longValue(LONG value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

VARIANT longReference(LONG* target) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4 | VT_BYREF;
    v.plVal = target;
    return v;
}

VARIANT textValue(BSTR text) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = text;
    return v;
}

VARIANT objectReference(IDispatch** target) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_DISPATCH | VT_BYREF;
    v.ppdispVal = target;
    return v;
}

}  // namespace client
