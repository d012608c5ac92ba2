// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/com/collection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/com/object.h"
#include "platform/com/runtimeerror.h"
#include "platform/com/variant.h"
#include "tests/support/casename.h"

namespace {

using namespace com;

struct IProbe : IUnknown {
    static constexpr IID iid = makeGuid("7c1d2e30-0000-4000-8000-000000000001");
};
class Probe : public ComObject<IProbe> {};

uint32_t refCount(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

// Calls Add with the optional arguments left out unless given.
HRESULT add(ICollection* collection, const Variant& item, const Variant& key = Variant::missing(),
            const Variant& before = Variant::missing(), const Variant& after = Variant::missing()) {
    return collection->Add(item.get(), key.get(), before.get(), after.get());
}

std::vector<int32_t> items(ICollection* collection) {
    int32_t count = 0;
    collection->get_Count(&count);
    std::vector<int32_t> values;
    for (int32_t i = 1; i <= count; ++i) {
        Variant value;
        EXPECT_EQ(collection->Item(Variant::fromInt32(i).get(), value.put()), S_OK);
        values.push_back(value.toInt32());
    }
    return values;
}

class CollectionTest : public testing::Test {
protected:
    ComPtr<ICollection> collection = createCollection();
};

TEST_F(CollectionTest, KeepsOrderAndInsertsBeforeOrAfter) {
    ASSERT_EQ(add(collection.get(), Variant::fromInt32(15)), S_OK);
    ASSERT_EQ(add(collection.get(), Variant::fromInt32(30), Variant::fromString("b")), S_OK);
    ASSERT_EQ(add(collection.get(), Variant::fromInt32(10), Variant(), Variant::fromInt32(1)), S_OK);
    ASSERT_EQ(add(collection.get(), Variant::fromInt32(20), Variant(), Variant(), Variant::fromInt32(2)),
              S_OK);
    ASSERT_EQ(add(collection.get(), Variant::fromInt32(40), Variant(), Variant(), Variant::fromString("B")),
              S_OK);
    EXPECT_EQ(items(collection.get()), (std::vector<int32_t>{10, 15, 20, 30, 40}));

    ASSERT_EQ(collection->Remove(Variant::fromString("b").get()), S_OK);
    ASSERT_EQ(collection->Remove(Variant::fromInt16(1).get()), S_OK);
    EXPECT_EQ(items(collection.get()), (std::vector<int32_t>{15, 20, 40}));
}

TEST_F(CollectionTest, KeysAreCaseInsensitiveAndUnique) {
    ASSERT_EQ(add(collection.get(), Variant::fromString("blue"), Variant::fromString("Blau")), S_OK);
    Variant value;
    ASSERT_EQ(collection->Item(Variant::fromString("BLAU").get(), value.put()), S_OK);
    EXPECT_EQ(value.toUtf8(), "blue");

    clearErrorInfo();
    EXPECT_EQ(add(collection.get(), Variant::fromInt32(1), Variant::fromString("blau")),
              runtimeErrorStatus(457));
    EXPECT_EQ(errorInfo().description, "This key is already associated with an element of this collection");
    // Latin-1 letters fold as well.
    ASSERT_EQ(add(collection.get(), Variant::fromInt32(2), Variant::fromString("gr\xC3\xBCn")), S_OK);
    EXPECT_EQ(add(collection.get(), Variant::fromInt32(3), Variant::fromString("GR\xC3\x9CN")),
              runtimeErrorStatus(457));
    int32_t count = 0;
    collection->get_Count(&count);
    EXPECT_EQ(count, 2);
}

struct BadIndexCase {
    const char* name;
    Variant index;
    int error;
};

class CollectionBadIndex : public testing::TestWithParam<BadIndexCase> {};

TEST_P(CollectionBadIndex, IsARunTimeErrorForItemRemoveAndPlacement) {
    ComPtr<ICollection> collection = createCollection();
    ASSERT_EQ(add(collection.get(), Variant::fromInt32(1), Variant::fromString("one")), S_OK);
    ASSERT_EQ(add(collection.get(), Variant::fromInt32(2)), S_OK);
    const HRESULT expected = runtimeErrorStatus(GetParam().error);
    Variant value = Variant::fromInt32(77);
    EXPECT_EQ(collection->Item(GetParam().index.get(), value.put()), expected);
    EXPECT_EQ(collection->Remove(GetParam().index.get()), expected);
    EXPECT_EQ(add(collection.get(), Variant::fromInt32(3), Variant(), GetParam().index), expected);
    EXPECT_EQ(items(collection.get()), (std::vector<int32_t>{1, 2}));
}

INSTANTIATE_TEST_SUITE_P(Indexes, CollectionBadIndex,
                         testing::Values(BadIndexCase{"Zero", Variant::fromInt32(0), 9},
                                         BadIndexCase{"PastTheEnd", Variant::fromInt32(3), 9},
                                         BadIndexCase{"Negative", Variant::fromInt16(-1), 9},
                                         BadIndexCase{"UnknownKey", Variant::fromString("two"), 5},
                                         BadIndexCase{"NotANumberOrKey", Variant::fromUnknown(nullptr), 13}),
                         [](const auto& info) { return info.param.name; });

TEST_F(CollectionTest, ItemsAreCopiesThatHoldTheirObjects) {
    auto probe = makeObject<Probe>();
    ASSERT_EQ(add(collection.get(), Variant::fromUnknown(probe.get())), S_OK);
    EXPECT_EQ(refCount(probe.get()), 2u);
    // A by-reference item is stored as its value.
    int32_t channel = 3;
    ASSERT_EQ(add(collection.get(), Variant::refInt32(&channel)), S_OK);
    channel = 4;
    Variant second;
    ASSERT_EQ(collection->Item(Variant::fromInt32(2).get(), second.put()), S_OK);
    EXPECT_EQ(second.type(), VT_I4);
    EXPECT_EQ(second.toInt32(), 3);

    ASSERT_EQ(collection->Remove(Variant::fromInt32(1).get()), S_OK);
    EXPECT_EQ(refCount(probe.get()), 1u);
    ASSERT_EQ(add(collection.get(), Variant::fromUnknown(probe.get())), S_OK);
    collection = nullptr;
    EXPECT_EQ(refCount(probe.get()), 1u);
}

TEST_F(CollectionTest, BeforeAndAfterTogetherAreRefused) {
    ASSERT_EQ(add(collection.get(), Variant::fromInt32(1)), S_OK);
    EXPECT_EQ(
        add(collection.get(), Variant::fromInt32(2), Variant(), Variant::fromInt32(1), Variant::fromInt32(1)),
        runtimeErrorStatus(5));
    EXPECT_EQ(add(collection.get(), Variant::fromInt32(2), Variant::fromInt32(5)), runtimeErrorStatus(13));
}

TEST_F(CollectionTest, LateBoundCallsUseTheDefaultMemberAndOptionalArguments) {
    IDispatch* dispatch = collection.get();
    // The way a module adds a message number: item only.
    callByName(dispatch, "Add", DISPATCH_METHOD, {Variant::fromInt32(15)});
    callByName(dispatch, "add", DISPATCH_METHOD, {Variant::fromInt32(16), Variant::fromString("k")});
    EXPECT_EQ(callByName(dispatch, "Count", DISPATCH_PROPERTYGET).toInt32(), 2);
    EXPECT_EQ(callByName(dispatch, "Item", DISPATCH_METHOD, {Variant::fromString("K")}).toInt32(), 16);

    // DISPID_VALUE reaches Item: collection(1).
    VARIANT index = Variant::fromInt32(1).detach();
    DISPPARAMS params{&index, nullptr, 1, 0};
    Variant result;
    ASSERT_EQ(dispatch->Invoke(DISPID_VALUE, IID{}, 0, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &params,
                               result.ptr(), nullptr, nullptr),
              S_OK);
    EXPECT_EQ(result.toInt32(), 15);
}

}  // namespace
