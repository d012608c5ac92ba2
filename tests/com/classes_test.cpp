// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/com/bstr.h"
#include "platform/com/classtable.h"
#include "platform/com/dispatchbuilder.h"
#include "platform/com/registry.h"
#include "platform/com/server.h"
#include "tests/com/testserver.h"
#include "tests/support/casename.h"

namespace {

using namespace com;
namespace fs = std::filesystem;

struct ICounter : IDispatch {
    static constexpr IID iid = makeGuid("9e4b1a40-0000-4000-8000-000000000001");
    virtual HRESULT NIMBO_COM_CALL get_Value(int32_t* result) = 0;
};
constexpr CLSID CLSID_Counter = makeGuid("9e4b1a40-0000-4000-8000-000000000002");
constexpr IID kUnrelated = makeGuid("9e4b1a40-0000-4000-8000-0000000000ff");

}  // namespace

template <>
const DispatchTable& com::dispatchTable<ICounter>() {
    static const auto table = makeDispatchTable<ICounter>(propertyGet("Value", &ICounter::get_Value));
    return table;
}

namespace {

class Counter : public ComObject<Dual<ICounter>> {
public:
    HRESULT NIMBO_COM_CALL get_Value(int32_t* result) override { return *result = 42, S_OK; }
};

// Each test gets a registry file of its own, and the host's class is registered.
class ClassesTest : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "nimbo-classes-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        directory = pattern;
        registry().setLocation((directory / "registry.txt").string());
        registerClass(CLSID_Counter, "Host.Counter", makeClassFactory<Counter>());
    }
    void TearDown() override {
        unregisterClass(CLSID_Counter);
        fs::remove_all(directory);
    }
    fs::path directory;
};

TEST_F(ClassesTest, ProcessTableCreatesByClassAndByProgId) {
    ComPtr<ICounter> counter;
    ASSERT_EQ(CoCreateInstance(CLSID_Counter, nullptr, ICounter::iid, counter.putVoid()), S_OK);
    int32_t value = 0;
    counter->get_Value(&value);
    EXPECT_EQ(value, 42);

    ComPtr<IDispatch> byName;
    ASSERT_EQ(createInstanceByProgId("host.COUNTER", IDispatch::iid, byName.putVoid()), S_OK);
    EXPECT_EQ(callByName(byName.get(), "Value", DISPATCH_PROPERTYGET).toInt32(), 42);
    EXPECT_TRUE(createObject<ICounter>("Host.Counter"));
    CLSID clsid;
    ASSERT_EQ(CLSIDFromProgID("Host.Counter", &clsid), S_OK);
    EXPECT_EQ(clsid, CLSID_Counter);
}

TEST_F(ClassesTest, CreationFailuresAreStatusesWithNothingWritten) {
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CoCreateInstance(CLSID_Counter, nullptr, kUnrelated, &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    ComPtr<Counter> outer = makeObject<Counter>();
    EXPECT_EQ(CoCreateInstance(CLSID_Counter, outer->identity(), ICounter::iid, &object),
              CLASS_E_NOAGGREGATION);
    EXPECT_EQ(CoCreateInstance(kUnrelated, nullptr, IUnknown::iid, &object), REGDB_E_CLASSNOTREG);
    EXPECT_EQ(createInstanceByProgId("No.Such", IUnknown::iid, &object), CO_E_CLASSSTRING);
    EXPECT_EQ(createInstanceByProgId("", IUnknown::iid, &object), CO_E_CLASSSTRING);
    EXPECT_EQ(createInstanceByProgId("CLSID\\x", IUnknown::iid, &object), CO_E_CLASSSTRING);
    EXPECT_EQ(CoCreateInstance(CLSID_Counter, nullptr, IUnknown::iid, nullptr), E_POINTER);
    try {
        createObject<ICounter>("No.Such");
        FAIL();
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), kErrCannotCreateObject);
    }
    EXPECT_TRUE(unregisterClass(CLSID_Counter));
    EXPECT_EQ(CoCreateInstance(CLSID_Counter, nullptr, IUnknown::iid, &object), REGDB_E_CLASSNOTREG);
    EXPECT_FALSE(unregisterClass(CLSID_Counter));
}

TEST_F(ClassesTest, ServerRegistersItselfAndIsCreatedThroughTheRegistry) {
    Server& server = loadServer(COM_TEST_SERVER);
    EXPECT_EQ(&loadServer(COM_TEST_SERVER), &server);
    EXPECT_EQ(server.path(), fs::canonical(COM_TEST_SERVER).string());
    ASSERT_EQ(server.registerServer(), S_OK);
    const std::string classKey = "CLSID\\" + formatGuid(CLSID_TestThing);
    EXPECT_EQ(registry().value(classKey + "\\InprocServer32"), server.path());
    EXPECT_EQ(registry().value(classKey + "\\ProgID"), kTestThingProgId);
    EXPECT_EQ(registry().value(std::string(kTestThingProgId) + "\\CLSID"), formatGuid(CLSID_TestThing));

    {
        ComPtr<IDispatch> thing;
        ASSERT_EQ(createInstanceByProgId(kTestThingProgId, IDispatch::iid, thing.putVoid()), S_OK);
        EXPECT_EQ(callByName(thing.get(), "name", DISPATCH_PROPERTYGET).toUtf8(), "thing");
        // A live object keeps its server loaded.
        EXPECT_FALSE(unloadServer(COM_TEST_SERVER));
    }
    ComPtr<IUnknown> factory;
    EXPECT_EQ(server.getClassObject(CLSID_Counter, IClassFactory::iid, factory.putVoid()),
              CLASS_E_CLASSNOTAVAILABLE);

    ASSERT_EQ(server.unregisterServer(), S_OK);
    EXPECT_FALSE(registry().keyExists(classKey));
    EXPECT_FALSE(registry().keyExists(kTestThingProgId));
    EXPECT_TRUE(unloadServer(COM_TEST_SERVER));
    EXPECT_FALSE(unloadServer(COM_TEST_SERVER));
}

struct LoadFailureCase {
    const char* name;
    std::string path;  // "@" is replaced by the test's folder
    int number;
    std::string mention;
};

class ServerLoadFailure : public ClassesTest, public testing::WithParamInterface<LoadFailureCase> {};

TEST_P(ServerLoadFailure, IsARunTimeErrorThatSaysWhy) {
    std::ofstream(directory / "text.so") << "not a shared library\n";
    fs::create_directories(directory / "folder.so");
    std::string path = GetParam().path;
    if (path.starts_with("@")) path = (directory / path.substr(1)).string();
    try {
        loadServer(path);
        FAIL() << "loaded " << path;
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), GetParam().number);
        EXPECT_NE(error.description().find(GetParam().mention), std::string::npos) << error.description();
    }
}

INSTANTIATE_TEST_SUITE_P(Files, ServerLoadFailure,
                         testing::Values(LoadFailureCase{"Missing", "@missing.so", 53, "missing.so"},
                                         LoadFailureCase{"EmptyPath", "", 53, "in-process server"},
                                         LoadFailureCase{"NotALibrary", "@text.so", 48, "text.so"},
                                         LoadFailureCase{"Folder", "@folder.so", 48, "folder.so"},
                                         LoadFailureCase{"NoExports", COM_TEST_NOEXPORTS, 453,
                                                         "DllGetClassObject"}),
                         [](const auto& info) { return info.param.name; });

TEST_F(ClassesTest, RegisteredServerThatIsGoneFailsCreationWithItsError) {
    const CLSID gone = makeGuid("9e4b1a40-0000-4000-8000-000000000003");
    writeClassRegistration({gone, "Gone.Thing", "gone", (directory / "gone.so").string(), {}});
    clearErrorInfo();
    void* object = nullptr;
    EXPECT_EQ(createInstanceByProgId("Gone.Thing", IUnknown::iid, &object),
              runtimeErrorStatus(kErrFileNotFound));
    EXPECT_EQ(object, nullptr);
    EXPECT_NE(errorInfo().description.find("gone.so"), std::string::npos);
    removeClassRegistration(gone, "Gone.Thing");
    EXPECT_EQ(registry().enumerate("CLSID"), std::vector<std::string>{});
}

TEST(ModulePath, NamesTheFileThatHoldsAnAddress) {
    static int inThisProgram = 0;
    EXPECT_EQ(modulePathOf(&inThisProgram), fs::canonical("/proc/self/exe").string());
    EXPECT_THROW(modulePathOf(nullptr), RuntimeError);
}

}  // namespace
