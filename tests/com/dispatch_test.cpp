// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "platform/com/bstr.h"
#include "platform/com/collection.h"
#include "platform/com/dispatchbuilder.h"
#include "platform/com/object.h"
#include "platform/com/runtimeerror.h"
#include "platform/com/variant.h"
#include "tests/support/casename.h"

namespace {

using namespace com;

// Every member shape the dispatch layer supports.
struct ISample : IDispatch {
    static constexpr IID iid = makeGuid("5a3e1f20-0000-4000-8000-000000000001");
    virtual HRESULT NIMBO_COM_CALL Ping() = 0;
    virtual HRESULT NIMBO_COM_CALL Sum(int32_t a, int16_t b, int32_t* result) = 0;
    virtual HRESULT NIMBO_COM_CALL Bump(int32_t* value, int32_t* result) = 0;
    virtual HRESULT NIMBO_COM_CALL Concat(BSTR a, BSTR b, BSTR* result) = 0;
    virtual HRESULT NIMBO_COM_CALL get_Flag(VARIANT_BOOL* result) = 0;
    virtual HRESULT NIMBO_COM_CALL put_Flag(VARIANT_BOOL value) = 0;
    virtual HRESULT NIMBO_COM_CALL get_Self(ISample** result) = 0;
    virtual HRESULT NIMBO_COM_CALL Echo(VARIANT value, VARIANT* result) = 0;
    virtual HRESULT NIMBO_COM_CALL Given(int32_t a, VARIANT b, int32_t* result) = 0;
    virtual HRESULT NIMBO_COM_CALL FailAfterResult(VARIANT_BOOL* result) = 0;
    virtual HRESULT NIMBO_COM_CALL Keep(ISample** other, VARIANT_BOOL* result) = 0;
    virtual HRESULT NIMBO_COM_CALL Replace(IDispatch** slot) = 0;
};

}  // namespace

template <>
const DispatchTable& com::dispatchTable<ISample>() {
    static const auto table = makeDispatchTable<ISample>(
        method("Ping", &ISample::Ping), method("Sum", &ISample::Sum), method("Bump", &ISample::Bump),
        method("Concat", &ISample::Concat), propertyGet("Flag", &ISample::get_Flag),
        propertyPut("Flag", &ISample::put_Flag), propertyGet("Self", &ISample::get_Self),
        method("Echo", &ISample::Echo), method("Given", &ISample::Given),
        method("FailAfterResult", &ISample::FailAfterResult), method("Keep", &ISample::Keep),
        sub("Replace", &ISample::Replace));
    return table;
}

namespace {

class Sample : public ComObject<Dual<ISample>> {
public:
    HRESULT NIMBO_COM_CALL Ping() override { return ++pings, S_OK; }
    HRESULT NIMBO_COM_CALL Sum(int32_t a, int16_t b, int32_t* result) override {
        return *result = a + b, S_OK;
    }
    HRESULT NIMBO_COM_CALL Bump(int32_t* value, int32_t* result) override {
        *result = ++*value;
        return S_OK;
    }
    HRESULT NIMBO_COM_CALL Concat(BSTR a, BSTR b, BSTR* result) override {
        return guarded([&] { *result = allocBstr(bstrToUtf8(a) + bstrToUtf8(b)); });
    }
    HRESULT NIMBO_COM_CALL get_Flag(VARIANT_BOOL* result) override { return *result = flag, S_OK; }
    HRESULT NIMBO_COM_CALL put_Flag(VARIANT_BOOL value) override { return flag = value, S_OK; }
    HRESULT NIMBO_COM_CALL get_Self(ISample** result) override {
        AddRef();
        *result = this;
        return S_OK;
    }
    HRESULT NIMBO_COM_CALL Echo(VARIANT value, VARIANT* result) override {
        return VariantCopyInd(result, &value);
    }
    HRESULT NIMBO_COM_CALL Given(int32_t a, VARIANT b, int32_t* result) override {
        *result = a * 10 + (isMissingArgument(b) ? 0 : 1);
        return S_OK;
    }
    HRESULT NIMBO_COM_CALL FailAfterResult(VARIANT_BOOL* result) override {
        *result = VARIANT_TRUE;
        return guarded([] { com::raise(kErrOverflow); });
    }
    HRESULT NIMBO_COM_CALL Keep(ISample** other, VARIANT_BOOL* result) override {
        kept = ComPtr<ISample>(*other);
        *result = VARIANT_TRUE;
        return S_OK;
    }
    HRESULT NIMBO_COM_CALL Replace(IDispatch** slot) override {
        if (*slot) (*slot)->Release();
        *slot = replacement.get();
        if (*slot) (*slot)->AddRef();
        return S_OK;
    }

    int pings = 0;
    VARIANT_BOOL flag = VARIANT_FALSE;
    ComPtr<ISample> kept;
    ComPtr<IDispatch> replacement;
};

uint32_t refCount(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

class DispatchTest : public testing::Test {
protected:
    ComPtr<Sample> sample = makeObject<Sample>();
    IDispatch* dispatch = static_cast<ISample*>(sample.get());

    DISPID idOf(const char16_t* name) {
        const OLECHAR* names[] = {name};
        DISPID id = DISPID_UNKNOWN;
        dispatch->GetIDsOfNames(IID{}, names, 1, 0, &id);
        return id;
    }
};

TEST_F(DispatchTest, NamesAreFoundWithoutRegardToCase) {
    const DISPID sum = idOf(u"Sum");
    ASSERT_NE(sum, DISPID_UNKNOWN);
    EXPECT_EQ(idOf(u"SUM"), sum);
    EXPECT_EQ(idOf(u"sUm"), sum);
    EXPECT_NE(idOf(u"Ping"), sum);
    // A get and a put of one property share their DISPID.
    EXPECT_EQ(dispatchTable<ISample>().idOf("flag"), idOf(u"Flag"));

    const OLECHAR* unknown[] = {u"Summe"};
    DISPID id = 5;
    EXPECT_EQ(dispatch->GetIDsOfNames(IID{}, unknown, 1, 0, &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, DISPID_UNKNOWN);
    // Argument names are not offered, the member is still found.
    const OLECHAR* withArgument[] = {u"Sum", u"a"};
    DISPID ids[2];
    EXPECT_EQ(dispatch->GetIDsOfNames(IID{}, withArgument, 2, 0, ids), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(ids[0], sum);
    EXPECT_EQ(ids[1], DISPID_UNKNOWN);
    EXPECT_EQ(dispatch->GetIDsOfNames(IID{}, nullptr, 1, 0, ids), E_POINTER);
    EXPECT_EQ(dispatch->GetIDsOfNames(IID{}, withArgument, 0, 0, ids), E_INVALIDARG);
    EXPECT_EQ(dispatch->GetIDsOfNames(ISample::iid, withArgument, 1, 0, ids), DISP_E_UNKNOWNINTERFACE);
}

TEST_F(DispatchTest, TypeInformationIsNotOffered) {
    uint32_t count = 7;
    EXPECT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 0u);
    void* info = reinterpret_cast<void*>(1);
    EXPECT_EQ(dispatch->GetTypeInfo(0, 0, &info), E_NOTIMPL);
    EXPECT_EQ(info, nullptr);
}

TEST_F(DispatchTest, CallsWithArgumentsInOrderAndReturnsTheResult) {
    std::vector<VARIANT> args = {Variant::fromInt32(40).detach(), Variant::fromInt16(2).detach()};
    Variant result;
    ASSERT_EQ(invokeByName(dispatch, "sum", DISPATCH_METHOD, args, result.ptr()), S_OK);
    EXPECT_EQ(result.type(), VT_I4);
    EXPECT_EQ(result.toInt32(), 42);

    EXPECT_EQ(callByName(dispatch, "Concat", DISPATCH_METHOD,
                         {Variant::fromString("gr"), Variant::fromString("\xC3\xBCn")})
                  .toUtf8(),
              "gr\xC3\xBCn");
    callByName(dispatch, "Ping", DISPATCH_METHOD | DISPATCH_PROPERTYGET);
    EXPECT_EQ(sample->pings, 1);
}

TEST_F(DispatchTest, ByReferenceArgumentsReachTheCallersStorage) {
    int32_t value = 7;
    EXPECT_EQ(callByName(dispatch, "Bump", DISPATCH_METHOD, {Variant::refInt32(&value)}).toInt32(), 8);
    EXPECT_EQ(value, 8);
    // Through a reference to a variant that holds the number.
    Variant holder = Variant::fromInt32(1);
    callByName(dispatch, "Bump", DISPATCH_METHOD, {Variant::refVariant(holder.ptr())});
    EXPECT_EQ(holder.toInt32(), 2);
    // By value, the member works on a temporary: the caller's variant stays.
    Variant byValue = Variant::fromInt32(5);
    std::vector<VARIANT> args = {byValue.get()};
    Variant result;
    ASSERT_EQ(invokeByName(dispatch, "Bump", DISPATCH_METHOD, args, result.ptr()), S_OK);
    EXPECT_EQ(result.toInt32(), 6);
    EXPECT_EQ(args[0].lVal, 5);
}

TEST_F(DispatchTest, PropertyPutAndGet) {
    callByName(dispatch, "Flag", DISPATCH_PROPERTYPUT, {Variant::fromBool(true)});
    EXPECT_EQ(sample->flag, VARIANT_TRUE);
    Variant flag = callByName(dispatch, "FLAG", DISPATCH_PROPERTYGET);
    EXPECT_EQ(flag.type(), VT_BOOL);
    EXPECT_TRUE(flag.toBool());
}

TEST_F(DispatchTest, DerivedInterfaceResultComesBackAsDispatch) {
    Variant self = callByName(dispatch, "Self", DISPATCH_PROPERTYGET);
    ASSERT_EQ(self.type(), VT_DISPATCH);
    EXPECT_EQ(refCount(sample->identity()), 2u);  // sample and self
    auto* child = static_cast<IDispatch*>(self.get().pdispVal);
    EXPECT_EQ(
        callByName(child, "Sum", DISPATCH_METHOD, {Variant::fromInt32(1), Variant::fromInt32(1)}).toInt32(),
        2);
}

TEST_F(DispatchTest, ResultAssignedBeforeAFailureStaysAndTheStatusCarriesTheError) {
    clearErrorInfo();
    Variant result;
    EXPECT_EQ(invokeByName(dispatch, "FailAfterResult", DISPATCH_METHOD, {}, result.ptr()),
              runtimeErrorStatus(6));
    EXPECT_EQ(result.type(), VT_BOOL);
    EXPECT_TRUE(result.toBool());
    EXPECT_EQ(errorInfo().number, 6);
    try {
        callByName(dispatch, "FailAfterResult", DISPATCH_METHOD);
        FAIL();
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), kErrOverflow);
    }
}

TEST_F(DispatchTest, TrailingVariantArgumentsAreOptional) {
    EXPECT_EQ(callByName(dispatch, "Given", DISPATCH_METHOD, {Variant::fromInt32(4)}).toInt32(), 40);
    EXPECT_EQ(callByName(dispatch, "Given", DISPATCH_METHOD, {Variant::fromInt32(4), Variant()}).toInt32(),
              41);
    Variant echoed = callByName(dispatch, "Echo", DISPATCH_METHOD, {Variant::fromString("rosa")});
    EXPECT_EQ(echoed.toUtf8(), "rosa");
}

TEST_F(DispatchTest, ObjectByReferenceIsConvertedAndReplacementsReachTheCaller) {
    auto other = makeObject<Sample>();
    IDispatch* otherDispatch = static_cast<ISample*>(other.get());
    // An IDispatch the caller holds, passed by reference to a member that takes ISample**.
    IDispatch* slot = otherDispatch;
    otherDispatch->AddRef();
    EXPECT_TRUE(callByName(dispatch, "Keep", DISPATCH_METHOD, {Variant::refDispatch(&slot)}).toBool());
    EXPECT_EQ(sample->kept.get(), other.get());
    EXPECT_EQ(slot, otherDispatch);
    EXPECT_EQ(refCount(otherDispatch), 3u);  // other, slot, kept

    // A member that puts another object in the slot releases the old one through it.
    sample->replacement = ComPtr<IDispatch>(dispatch);
    callByName(dispatch, "Replace", DISPATCH_METHOD, {Variant::refDispatch(&slot)});
    EXPECT_EQ(slot, dispatch);
    EXPECT_EQ(refCount(otherDispatch), 2u);
    slot->Release();
    sample->replacement = nullptr;
    sample->kept = nullptr;
}

TEST_F(DispatchTest, ObjectWithoutTheInterfaceIsATypeMismatch) {
    ComPtr<ICollection> collection = createCollection();
    std::vector<VARIANT> args = {Variant::fromDispatch(collection.get()).detach()};
    Variant result;
    EXPECT_EQ(invokeByName(dispatch, "Keep", DISPATCH_METHOD, args, result.ptr()), DISP_E_TYPEMISMATCH);
    VariantClear(&args[0]);
    EXPECT_FALSE(sample->kept);
    EXPECT_EQ(refCount(collection.get()), 1u);
}

struct InvokeCase {
    const char* name;
    const char16_t* member;
    uint16_t flags;
    std::vector<Variant> argsLastFirst;
    bool namedPut;
    HRESULT expected;
    uint32_t argumentError;
};

class InvokeFailures : public DispatchTest, public testing::WithParamInterface<InvokeCase> {};

TEST_P(InvokeFailures, AreReportedNotCrashed) {
    const InvokeCase& c = GetParam();
    std::vector<VARIANT> args;
    for (const Variant& arg : c.argsLastFirst) args.push_back(arg.get());
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{args.data(), c.namedPut ? &named : nullptr, static_cast<uint32_t>(args.size()),
                      c.namedPut ? 1u : 0u};
    uint32_t argumentError = 99;
    Variant result;
    EXPECT_EQ(
        dispatch->Invoke(idOf(c.member), IID{}, 0, c.flags, &params, result.ptr(), nullptr, &argumentError),
        c.expected);
    EXPECT_EQ(argumentError, c.argumentError);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InvokeFailures,
    testing::Values(
        InvokeCase{"TooFewArguments",
                   u"Sum",
                   DISPATCH_METHOD,
                   {Variant::fromInt32(1)},
                   false,
                   DISP_E_BADPARAMCOUNT,
                   99},
        InvokeCase{"TooManyArguments",
                   u"Ping",
                   DISPATCH_METHOD,
                   {Variant::fromInt32(1)},
                   false,
                   DISP_E_BADPARAMCOUNT,
                   99},
        // rgvarg holds the arguments last first: index 1 is the first argument.
        InvokeCase{"FirstArgumentMismatch",
                   u"Sum",
                   DISPATCH_METHOD,
                   {Variant::fromInt32(1), Variant::fromString("x")},
                   false,
                   DISP_E_TYPEMISMATCH,
                   1},
        InvokeCase{"SecondArgumentOverflows",
                   u"Sum",
                   DISPATCH_METHOD,
                   {Variant::fromInt32(40000), Variant::fromInt32(1)},
                   false,
                   DISP_E_OVERFLOW,
                   0},
        InvokeCase{"ObjectExpected",
                   u"Keep",
                   DISPATCH_METHOD,
                   {Variant::fromString("x")},
                   false,
                   DISP_E_TYPEMISMATCH,
                   0},
        InvokeCase{
            "NullReference", u"Bump", DISPATCH_METHOD, {Variant::refInt32(nullptr)}, false, E_POINTER, 0},
        InvokeCase{"PutOnAMethod",
                   u"Ping",
                   DISPATCH_PROPERTYPUT,
                   {Variant::fromInt32(1)},
                   true,
                   DISP_E_MEMBERNOTFOUND,
                   99},
        InvokeCase{"GetOnAMethod", u"Ping", DISPATCH_PROPERTYGET, {}, false, DISP_E_MEMBERNOTFOUND, 99},
        InvokeCase{"PutWithoutNamedValue",
                   u"Flag",
                   DISPATCH_PROPERTYPUT,
                   {Variant::fromBool(true)},
                   false,
                   DISP_E_PARAMNOTFOUND,
                   99},
        InvokeCase{"NamedArgumentsOnAMethod",
                   u"Sum",
                   DISPATCH_METHOD,
                   {Variant::fromInt32(1), Variant::fromInt32(1)},
                   true,
                   DISP_E_NONAMEDARGS,
                   99},
        InvokeCase{"UnknownMember", u"Nothing", DISPATCH_METHOD, {}, false, DISP_E_MEMBERNOTFOUND, 99}),
    [](const auto& info) { return info.param.name; });

TEST_F(DispatchTest, MalformedCallsAreRefused) {
    const DISPID ping = idOf(u"Ping");
    EXPECT_EQ(dispatch->Invoke(ping, IID{}, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr, nullptr),
              E_POINTER);
    DISPPARAMS noArray{nullptr, nullptr, 2, 0};
    EXPECT_EQ(dispatch->Invoke(ping, IID{}, 0, DISPATCH_METHOD, &noArray, nullptr, nullptr, nullptr),
              E_INVALIDARG);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    EXPECT_EQ(dispatch->Invoke(ping, ISample::iid, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr),
              DISP_E_UNKNOWNINTERFACE);
    // No result wanted: an object result is released, not leaked.
    EXPECT_EQ(
        dispatch->Invoke(idOf(u"Self"), IID{}, 0, DISPATCH_PROPERTYGET, &none, nullptr, nullptr, nullptr),
        S_OK);
    EXPECT_EQ(refCount(sample->identity()), 1u);
    EXPECT_EQ(invokeByName(nullptr, "Ping", DISPATCH_METHOD, {}, nullptr), E_POINTER);
    EXPECT_THROW(callByName(nullptr, "Ping", DISPATCH_METHOD), RuntimeError);
}

TEST(DispatchTable, MemberListedTwiceIsAProgrammingError) {
    EXPECT_THROW(makeDispatchTable<ISample>(method("Ping", &ISample::Ping), method("PING", &ISample::Ping)),
                 std::logic_error);
    const auto table = makeDispatchTable<ISample>(method("Sum", &ISample::Sum),
                                                  method("Ping", &ISample::Ping, DISPID_VALUE));
    EXPECT_EQ(table.idOf("ping"), DISPID_VALUE);
    EXPECT_EQ(table.idOf("sum"), 1);
}

}  // namespace
