// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/com/testserver.h"

#include "platform/com/classfactory.h"
#include "platform/com/dispatchbuilder.h"
#include "platform/com/exports.h"
#include "platform/com/registry.h"
#include "platform/com/server.h"

template <>
const com::DispatchTable& com::dispatchTable<ITestThing>() {
    static const auto table = makeDispatchTable<ITestThing>(propertyGet("Name", &ITestThing::get_Name));
    return table;
}

namespace {

com::ServerLock s_lock;
int s_liveObjects = 0;

class TestThing : public com::ComObject<com::Dual<ITestThing>> {
public:
    TestThing() { ++s_liveObjects; }
    ~TestThing() override { --s_liveObjects; }
    com::HRESULT NIMBO_COM_CALL get_Name(com::BSTR* result) override {
        if (!result) return com::E_POINTER;
        return com::guarded([&] { *result = com::allocBstr("thing"); });
    }
};

}  // namespace

extern "C" com::HRESULT DllGetClassObject(const com::CLSID& clsid, const com::IID& riid, void** object) {
    if (!object) return com::E_POINTER;
    *object = nullptr;
    if (clsid != CLSID_TestThing) return com::CLASS_E_CLASSNOTAVAILABLE;
    return com::guarded(
        [&] { return com::makeClassFactory<TestThing>(&s_lock)->QueryInterface(riid, object); });
}

extern "C" com::HRESULT DllCanUnloadNow() {
    return s_liveObjects == 0 && !s_lock.isLocked() ? com::S_OK : com::S_FALSE;
}

extern "C" com::HRESULT DllRegisterServer() {
    return com::guarded([] {
        com::writeClassRegistration({CLSID_TestThing,
                                     kTestThingProgId,
                                     "Test thing",
                                     com::modulePathOf(reinterpret_cast<const void*>(&DllRegisterServer)),
                                     {}});
    });
}

extern "C" com::HRESULT DllUnregisterServer() {
    return com::guarded([] { com::removeClassRegistration(CLSID_TestThing, kTestThingProgId); });
}
