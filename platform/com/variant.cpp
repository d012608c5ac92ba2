// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/com/variant.h"

#include <cstring>
#include <limits>
#include <new>
#include <utility>

#include "platform/com/runtimeerror.h"

namespace com {
namespace {

bool isValueType(uint16_t vt) {
    switch (vt) {
        case VT_EMPTY:
        case VT_I2:
        case VT_I4:
        case VT_BOOL:
        case VT_ERROR:
        case VT_BSTR:
        case VT_DISPATCH:
        case VT_UNKNOWN:
            return true;
        default:
            return false;
    }
}

}  // namespace

bool isKnownVariantType(uint16_t vt) {
    if (!(vt & VT_BYREF)) return isValueType(vt);
    const uint16_t base = vt & ~VT_BYREF;
    return base != VT_EMPTY && (isValueType(base) || base == VT_VARIANT);
}

bool dereferenceVariant(const VARIANT& source, VARIANT* view) {
    if (!isKnownVariantType(source.vt)) return false;
    if (!(source.vt & VT_BYREF)) {
        *view = source;
        return true;
    }
    if (!source.plVal) return false;
    const uint16_t base = source.vt & ~VT_BYREF;
    VariantInit(view);
    view->vt = base;
    switch (base) {
        case VT_I2:
            view->iVal = *source.piVal;
            break;
        case VT_I4:
            view->lVal = *source.plVal;
            break;
        case VT_BOOL:
            view->boolVal = *source.pboolVal;
            break;
        case VT_ERROR:
            view->scode = *source.pscode;
            break;
        case VT_BSTR:
            view->bstrVal = *source.pbstrVal;
            break;
        case VT_DISPATCH:
            view->pdispVal = *source.ppdispVal;
            break;
        case VT_UNKNOWN:
            view->punkVal = *source.ppunkVal;
            break;
        case VT_VARIANT:
            // One level only: a variant that refers to another reference is refused,
            // which also stops a variant that refers to itself.
            if (source.pvarVal->vt & VT_BYREF || !isKnownVariantType(source.pvarVal->vt)) return false;
            *view = *source.pvarVal;
            break;
        default:
            return false;
    }
    return true;
}

bool isMissingArgument(const VARIANT& value) {
    return value.vt == VT_ERROR && value.scode == DISP_E_PARAMNOTFOUND;
}

Variant::Variant(const Variant& other) : Variant() {
    const HRESULT status = VariantCopy(&m_value, &other.m_value);
    if (status == E_OUTOFMEMORY) throw std::bad_alloc();
}

Variant::Variant(Variant&& other) noexcept : m_value(other.m_value) {
    VariantInit(&other.m_value);
}

Variant& Variant::operator=(Variant other) noexcept {
    std::swap(m_value, other.m_value);
    return *this;
}

Variant Variant::fromInt32(int32_t value) {
    Variant result;
    result.m_value.vt = VT_I4;
    result.m_value.lVal = value;
    return result;
}

Variant Variant::fromInt16(int16_t value) {
    Variant result;
    result.m_value.vt = VT_I2;
    result.m_value.iVal = value;
    return result;
}

Variant Variant::fromBool(bool value) {
    Variant result;
    result.m_value.vt = VT_BOOL;
    result.m_value.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return result;
}

Variant Variant::fromString(std::string_view utf8) {
    Variant result;
    result.m_value.bstrVal = allocBstr(utf8);
    result.m_value.vt = VT_BSTR;
    return result;
}

Variant Variant::fromDispatch(IDispatch* object) {
    Variant result;
    result.m_value.vt = VT_DISPATCH;
    result.m_value.pdispVal = object;
    if (object) object->AddRef();
    return result;
}

Variant Variant::fromUnknown(IUnknown* object) {
    Variant result;
    result.m_value.vt = VT_UNKNOWN;
    result.m_value.punkVal = object;
    if (object) object->AddRef();
    return result;
}

Variant Variant::refInt32(int32_t* target) {
    Variant result;
    result.m_value.vt = VT_I4 | VT_BYREF;
    result.m_value.plVal = target;
    return result;
}

Variant Variant::refDispatch(IDispatch** target) {
    Variant result;
    result.m_value.vt = VT_DISPATCH | VT_BYREF;
    result.m_value.ppdispVal = target;
    return result;
}

Variant Variant::refVariant(VARIANT* target) {
    Variant result;
    result.m_value.vt = VT_VARIANT | VT_BYREF;
    result.m_value.pvarVal = target;
    return result;
}

Variant Variant::missing() {
    Variant result;
    result.m_value.vt = VT_ERROR;
    result.m_value.scode = DISP_E_PARAMNOTFOUND;
    return result;
}

Variant Variant::adopt(const VARIANT& raw) {
    Variant result;
    result.m_value = raw;
    return result;
}

Variant Variant::copyOf(const VARIANT& raw) {
    Variant result;
    const HRESULT status = VariantCopy(&result.m_value, &raw);
    if (status == E_OUTOFMEMORY) throw std::bad_alloc();
    if (FAILED(status)) raise(kErrTypeMismatch);
    return result;
}

VARIANT Variant::detach() {
    VARIANT result = m_value;
    VariantInit(&m_value);
    return result;
}

bool Variant::isMissing() const {
    return isMissingArgument(m_value);
}

int32_t Variant::toInt32() const {
    VARIANT view;
    if (dereferenceVariant(m_value, &view)) {
        switch (view.vt) {
            case VT_I2:
                return view.iVal;
            case VT_I4:
                return view.lVal;
            case VT_BOOL:
                return view.boolVal;
            default:
                break;
        }
    }
    raise(kErrTypeMismatch);
}

bool Variant::toBool() const {
    return toInt32() != 0;
}

std::string Variant::toUtf8() const {
    VARIANT view;
    if (!dereferenceVariant(m_value, &view) || view.vt != VT_BSTR) raise(kErrTypeMismatch);
    return bstrToUtf8(view.bstrVal);
}

IUnknown* Variant::object() const {
    VARIANT view;
    if (!dereferenceVariant(m_value, &view) || (view.vt != VT_DISPATCH && view.vt != VT_UNKNOWN))
        raise(kErrTypeMismatch);
    return view.punkVal;
}

}  // namespace com
