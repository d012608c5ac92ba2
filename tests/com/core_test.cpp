// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>

#include "platform/com/bstr.h"
#include "platform/com/dispatchbuilder.h"
#include "platform/com/object.h"
#include "platform/com/runtimeerror.h"
#include "platform/com/variant.h"
#include "tests/support/casename.h"

namespace {

using namespace com;

struct IFirst : IDispatch {
    static constexpr IID iid = makeGuid("2f0f3a10-0000-4000-8000-000000000001");
    virtual HRESULT NIMBO_COM_CALL First(int32_t* result) = 0;
};
struct ISecond : IDispatch {
    static constexpr IID iid = makeGuid("2f0f3a10-0000-4000-8000-000000000002");
    virtual HRESULT NIMBO_COM_CALL Second(int32_t* result) = 0;
};
struct IPlain : IUnknown {
    static constexpr IID iid = makeGuid("2f0f3a10-0000-4000-8000-000000000003");
};
constexpr IID kUnrelated = makeGuid("2f0f3a10-0000-4000-8000-0000000000ff");

}  // namespace

template <>
const DispatchTable& com::dispatchTable<IFirst>() {
    static const auto table = makeDispatchTable<IFirst>(method("First", &IFirst::First));
    return table;
}
template <>
const DispatchTable& com::dispatchTable<ISecond>() {
    static const auto table = makeDispatchTable<ISecond>(method("Second", &ISecond::Second));
    return table;
}

namespace {

class Both : public ComObject<Dual<IFirst>, Dual<ISecond>, IPlain> {
public:
    explicit Both(int* alive = nullptr) : m_alive(alive) {
        if (m_alive) ++*m_alive;
    }
    ~Both() override {
        if (m_alive) --*m_alive;
    }
    HRESULT NIMBO_COM_CALL First(int32_t* result) override { return *result = 1, S_OK; }
    HRESULT NIMBO_COM_CALL Second(int32_t* result) override { return *result = 2, S_OK; }

private:
    int* m_alive;
};

uint32_t refCount(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

// --- QueryInterface and reference counting -------------------------------

struct QueryCase {
    const char* name;
    IID iid;
};

class QueryRules : public testing::TestWithParam<QueryCase> {};

TEST_P(QueryRules, IdentityAndSymmetryHoldFromEveryInterface) {
    auto object = makeObject<Both>();
    void* raw = nullptr;
    ASSERT_EQ(object->QueryInterface(GetParam().iid, &raw), S_OK);
    auto* from = static_cast<IUnknown*>(raw);
    // Every interface leads back to the same identity...
    void* identity = nullptr;
    ASSERT_EQ(from->QueryInterface(uuidof<IUnknown>(), &identity), S_OK);
    EXPECT_EQ(identity, object->identity());
    static_cast<IUnknown*>(identity)->Release();
    // ...and to every other interface, and back to itself.
    for (const IID& other : {IFirst::iid, ISecond::iid, IPlain::iid, IDispatch::iid}) {
        void* there = nullptr;
        ASSERT_EQ(from->QueryInterface(other, &there), S_OK);
        void* back = nullptr;
        ASSERT_EQ(static_cast<IUnknown*>(there)->QueryInterface(GetParam().iid, &back), S_OK);
        EXPECT_EQ(back, raw);
        static_cast<IUnknown*>(back)->Release();
        static_cast<IUnknown*>(there)->Release();
    }
    from->Release();
    EXPECT_EQ(refCount(object->identity()), 1u);
}

INSTANTIATE_TEST_SUITE_P(Interfaces, QueryRules,
                         testing::Values(QueryCase{"Unknown", IUnknown::iid}, QueryCase{"First", IFirst::iid},
                                         QueryCase{"Second", ISecond::iid}, QueryCase{"Plain", IPlain::iid},
                                         QueryCase{"Dispatch", IDispatch::iid}),
                         [](const auto& info) { return info.param.name; });

TEST(ComObject, DispatchIsTheFirstDualInterface) {
    auto object = makeObject<Both>();
    ComPtr<IDispatch> dispatch = ComPtr<IUnknown>(object->identity()).as<IDispatch>();
    ASSERT_TRUE(dispatch);
    EXPECT_EQ(static_cast<void*>(dispatch.get()), static_cast<void*>(static_cast<IFirst*>(object.get())));
    // Late binding through it reaches the default interface's members only.
    Variant result = callByName(dispatch.get(), "First", DISPATCH_METHOD);
    EXPECT_EQ(result.toInt32(), 1);
    EXPECT_THROW(callByName(dispatch.get(), "Second", DISPATCH_METHOD), RuntimeError);
}

TEST(ComObject, RefusesUnknownInterfacesAndNullOutParameters) {
    auto object = makeObject<Both>();
    void* out = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(object->QueryInterface(kUnrelated, &out), E_NOINTERFACE);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(object->QueryInterface(IFirst::iid, nullptr), E_POINTER);
    EXPECT_EQ(refCount(object->identity()), 1u);
}

TEST(ComObject, LastReleaseDestroysWhateverInterfaceItComesThrough) {
    int alive = 0;
    {
        auto object = makeObject<Both>(&alive);
        ComPtr<ISecond> second = object.as<ISecond>();
        ComPtr<IPlain> plain = object.as<IPlain>();
        object = nullptr;
        second = nullptr;
        EXPECT_EQ(alive, 1);
    }
    EXPECT_EQ(alive, 0);
}

// --- BSTR ----------------------------------------------------------------

TEST(Bstr, LengthPrefixCountsBytesAndEmbeddedNulsSurvive) {
    const char16_t text[] = {u'a', 0, u'b', 0, 0};
    Bstr value = Bstr::adopt(SysAllocStringLen(text, 4));
    uint32_t prefix;
    std::memcpy(&prefix, reinterpret_cast<const char*>(value.get()) - 4, 4);
    EXPECT_EQ(prefix, 8u);
    EXPECT_EQ(value.length(), 4u);
    EXPECT_EQ(value.get()[4], 0);  // terminated after the counted units
    EXPECT_EQ(Bstr::copyOf(value.get()).view(), value.view());
    // SysAllocString stops at the first NUL.
    EXPECT_EQ(Bstr::adopt(SysAllocString(text)).length(), 1u);
}

TEST(Bstr, NullIsTheEmptyString) {
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(bstrToUtf8(nullptr), "");
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    SysFreeString(nullptr);
    Bstr zeroed = Bstr::adopt(SysAllocStringLen(nullptr, 3));
    EXPECT_EQ(zeroed.view(), std::u16string_view(u"\0\0\0", 3));
}

TEST(Bstr, RefusesLengthsThePrefixCannotHold) {
    EXPECT_EQ(SysAllocStringLen(nullptr, 0x7FFFFFFFu), nullptr);
}

struct Utf8Case {
    const char* name;
    std::string utf8;
    std::u16string utf16;
    std::string back;  // what bstrToUtf8 gives again
};

class Utf8Conversion : public testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8Conversion, ConvertsBothWays) {
    const Utf8Case& c = GetParam();
    Bstr value(c.utf8);
    EXPECT_EQ(value.view(), c.utf16);
    EXPECT_EQ(value.toUtf8(), c.back);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Utf8Conversion,
    testing::Values(Utf8Case{"Ascii", "Nimbo", u"Nimbo", "Nimbo"},
                    Utf8Case{"Umlaut", "gr\xC3\xBCn", u"gr\u00FCn", "gr\xC3\xBCn"},
                    Utf8Case{"SurrogatePair", "\xF0\x9F\x8E\x88", u"\U0001F388", "\xF0\x9F\x8E\x88"},
                    Utf8Case{"EmbeddedNul", std::string("a\0b", 3), std::u16string(u"a\0b", 3),
                             std::string("a\0b", 3)},
                    Utf8Case{"TruncatedSequence", "a\xE2\x82", u"a\uFFFD\uFFFD", "a\xEF\xBF\xBD\xEF\xBF\xBD"},
                    Utf8Case{"Overlong", "\xC0\xAF", u"\uFFFD\uFFFD", "\xEF\xBF\xBD\xEF\xBF\xBD"},
                    Utf8Case{"EncodedSurrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD",
                             "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD"}),
    [](const auto& info) { return info.param.name; });

TEST(Bstr, LoneSurrogateBecomesReplacementCharacter) {
    const char16_t lone[] = {u'x', 0xD800, u'y'};
    Bstr value = Bstr::adopt(SysAllocStringLen(lone, 3));
    EXPECT_EQ(value.toUtf8(), "x\xEF\xBF\xBDy");
}

// --- VARIANT ownership ---------------------------------------------------

TEST(Variant, CopyDuplicatesStringsAndAddRefsObjects) {
    auto object = makeObject<Both>();
    IDispatch* dispatch = static_cast<IFirst*>(object.get());
    Variant text = Variant::fromString("blau");
    Variant copy = text;
    EXPECT_NE(copy.get().bstrVal, text.get().bstrVal);
    EXPECT_EQ(copy.toUtf8(), "blau");

    Variant held = Variant::fromDispatch(dispatch);
    EXPECT_EQ(refCount(dispatch), 2u);
    {
        Variant second = held;
        EXPECT_EQ(refCount(dispatch), 3u);
        Variant moved = std::move(second);
        EXPECT_EQ(refCount(dispatch), 3u);
    }
    EXPECT_EQ(refCount(dispatch), 2u);
    EXPECT_EQ(VariantClear(held.ptr()), S_OK);
    EXPECT_EQ(held.type(), VT_EMPTY);
    EXPECT_EQ(refCount(dispatch), 1u);
}

TEST(Variant, CopyOverwritesAndReleasesTheDestination) {
    auto object = makeObject<Both>();
    Variant destination = Variant::fromUnknown(object->identity());
    Variant source = Variant::fromInt32(7);
    ASSERT_EQ(VariantCopy(destination.ptr(), &source.get()), S_OK);
    EXPECT_EQ(destination.toInt32(), 7);
    EXPECT_EQ(refCount(object->identity()), 1u);
    // Copying a variant onto itself keeps it.
    ASSERT_EQ(VariantCopy(source.ptr(), &source.get()), S_OK);
    EXPECT_EQ(source.toInt32(), 7);
}

TEST(Variant, ByReferenceIsCopiedAsThePointerUnlessResolved) {
    int32_t channel = 3;
    Variant reference = Variant::refInt32(&channel);
    Variant copy = reference;
    EXPECT_EQ(copy.get().plVal, &channel);

    Variant resolved;
    ASSERT_EQ(VariantCopyInd(resolved.ptr(), &reference.get()), S_OK);
    channel = 4;
    EXPECT_EQ(resolved.type(), VT_I4);
    EXPECT_EQ(resolved.toInt32(), 3);
    EXPECT_EQ(copy.toInt32(), 4);

    VARIANT broken;
    VariantInit(&broken);
    broken.vt = VT_I4 | VT_BYREF;
    broken.plVal = nullptr;
    EXPECT_EQ(VariantCopyInd(resolved.ptr(), &broken), E_POINTER);
}

TEST(Variant, UnsupportedTypesAreRefusedWithoutTouchingTheDestination) {
    VARIANT odd;
    VariantInit(&odd);
    odd.vt = 5;  // a type the runtime does not know
    Variant destination = Variant::fromString("kept");
    EXPECT_EQ(VariantCopy(destination.ptr(), &odd), DISP_E_BADVARTYPE);
    EXPECT_EQ(destination.toUtf8(), "kept");
    EXPECT_EQ(VariantClear(&odd), DISP_E_BADVARTYPE);
    EXPECT_EQ(VariantClear(nullptr), E_POINTER);
    EXPECT_EQ(VariantCopy(nullptr, &odd), E_POINTER);
}

TEST(Variant, TypedReadsRaiseTypeMismatch) {
    try {
        (void)Variant::fromString("x").toInt32();
        FAIL();
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), kErrTypeMismatch);
    }
    EXPECT_THROW((void)Variant::fromInt32(1).toUtf8(), RuntimeError);
    EXPECT_THROW((void)Variant().object(), RuntimeError);
    EXPECT_TRUE(Variant::fromBool(true).toBool());
    EXPECT_EQ(Variant::fromBool(true).toInt32(), -1);
    EXPECT_TRUE(Variant::missing().isMissing());
}

// --- Errors across a boundary --------------------------------------------

struct BoundaryCase {
    const char* name;
    std::function<void()> body;
    HRESULT status;
    int number;
    std::string description;
};

class Boundary : public testing::TestWithParam<BoundaryCase> {};

TEST_P(Boundary, MapsEachFailureToStatusAndErrorInfo) {
    clearErrorInfo();
    const BoundaryCase& c = GetParam();
    EXPECT_EQ(guarded(c.body), c.status);
    EXPECT_EQ(errorInfo().status, c.status);
    EXPECT_EQ(errorInfo().number, c.number);
    EXPECT_EQ(errorInfo().description, c.description);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, Boundary,
    testing::Values(
        BoundaryCase{"Overflow", [] { com::raise(kErrOverflow); }, hr(0x800A0006), 6, "Overflow"},
        BoundaryCase{"WithDetail", [] { com::raise(kErrSubscriptOutOfRange, "NimboColor(9)"); },
                     hr(0x800A0009), 9, "Subscript out of range: NimboColor(9)"},
        BoundaryCase{"DuplicateKey", [] { com::raise(kErrDuplicateKey); }, hr(0x800A01C9), 457,
                     "This key is already associated with an element of this collection"},
        BoundaryCase{"OutOfMemory", [] { throw std::bad_alloc(); }, E_OUTOFMEMORY, 7, "Out of memory"},
        BoundaryCase{"Foreign", [] { throw std::runtime_error("boom"); }, E_UNEXPECTED, 0, "boom"}),
    [](const auto& info) { return info.param.name; });

TEST(Boundary, StatusRaisedAgainKeepsNumberAndDescription) {
    const HRESULT status = guarded([] { com::raise(kErrControlArrayElement, "fire(9)"); });
    try {
        raiseStatus(status);
        FAIL();
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), 340);
        EXPECT_EQ(error.description(), "Control array element does not exist: fire(9)");
    }
    // A plain failure status becomes error 5 naming the status.
    try {
        raiseStatus(E_NOINTERFACE);
        FAIL();
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), 5);
        EXPECT_NE(error.description().find("0x80004002"), std::string::npos);
    }
    EXPECT_NO_THROW(check(S_FALSE));
}

}  // namespace
