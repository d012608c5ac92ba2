// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/com/collection.h"

#include <optional>
#include <string>
#include <vector>

#include "platform/com/dispatchbuilder.h"
#include "platform/com/object.h"
#include "platform/com/runtimeerror.h"
#include "platform/com/variant.h"

namespace com {

template <>
const DispatchTable& dispatchTable<ICollection>() {
    static const auto table = makeDispatchTable<ICollection>(
        sub("Add", &ICollection::Add), propertyGet("Count", &ICollection::get_Count),
        method("Item", &ICollection::Item, DISPID_VALUE), sub("Remove", &ICollection::Remove));
    return table;
}

namespace {

// Keys compare as text without regard to case: ASCII and Latin-1 letters fold.
char16_t foldCase(char16_t c) {
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return static_cast<char16_t>(c + 32);
    return c;
}

std::u16string foldKey(BSTR key) {
    std::u16string folded(key ? key : u"", SysStringLen(key));
    for (char16_t& c : folded) c = foldCase(c);
    return folded;
}

bool isLeftOut(const VARIANT& value) {
    return value.vt == VT_EMPTY || isMissingArgument(value);
}

class Collection : public ComObject<Dual<ICollection>> {
public:
    HRESULT NIMBO_COM_CALL Add(VARIANT item, VARIANT key, VARIANT before, VARIANT after) override {
        return guarded([&] {
            std::optional<std::u16string> folded;
            if (!isLeftOut(key)) {
                VARIANT view;
                if (!dereferenceVariant(key, &view) || view.vt != VT_BSTR) raise(kErrTypeMismatch);
                folded = foldKey(view.bstrVal);
                if (findKey(*folded)) raise(kErrDuplicateKey);
            }
            size_t position = m_items.size();
            if (!isLeftOut(before) && !isLeftOut(after))
                raise(kErrInvalidCall, "both before and after given");
            if (!isLeftOut(before)) position = locate(before);
            if (!isLeftOut(after)) position = locate(after) + 1;

            Element element;
            const HRESULT copied = VariantCopyInd(element.value.put(), &item);
            if (copied == E_OUTOFMEMORY) throw std::bad_alloc();
            if (FAILED(copied)) raise(kErrTypeMismatch, "item of an unsupported type");
            element.key = std::move(folded);
            m_items.insert(m_items.begin() + static_cast<std::ptrdiff_t>(position), std::move(element));
        });
    }

    HRESULT NIMBO_COM_CALL get_Count(int32_t* count) override {
        if (!count) return E_POINTER;
        *count = static_cast<int32_t>(m_items.size());
        return S_OK;
    }

    HRESULT NIMBO_COM_CALL Item(VARIANT index, VARIANT* item) override {
        if (!item) return E_POINTER;
        return guarded([&] {
            const Variant& value = m_items[locate(index)].value;
            const HRESULT copied = VariantCopy(item, &value.get());
            if (copied == E_OUTOFMEMORY) throw std::bad_alloc();
        });
    }

    HRESULT NIMBO_COM_CALL Remove(VARIANT index) override {
        return guarded([&] { m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(locate(index))); });
    }

private:
    struct Element {
        Variant value;
        std::optional<std::u16string> key;  // folded
    };

    std::optional<size_t> findKey(const std::u16string& folded) const {
        for (size_t i = 0; i < m_items.size(); ++i)
            if (m_items[i].key == folded) return i;
        return std::nullopt;
    }

    // The 0-based place of the element that a 1-based position or a key names.
    size_t locate(const VARIANT& index) const {
        VARIANT view;
        if (!dereferenceVariant(index, &view)) raise(kErrTypeMismatch);
        if (view.vt == VT_BSTR) {
            if (const auto found = findKey(foldKey(view.bstrVal))) return *found;
            raise(kErrInvalidCall, "no element with key \"" + bstrToUtf8(view.bstrVal) + "\"");
        }
        int32_t position;
        switch (view.vt) {
            case VT_I2:
                position = view.iVal;
                break;
            case VT_I4:
                position = view.lVal;
                break;
            default:
                raise(kErrTypeMismatch);
        }
        if (position < 1 || static_cast<size_t>(position) > m_items.size()) raise(kErrSubscriptOutOfRange);
        return static_cast<size_t>(position - 1);
    }

    std::vector<Element> m_items;
};

}  // namespace

ComPtr<ICollection> createCollection() {
    return makeObject<Collection>();
}

}  // namespace com
