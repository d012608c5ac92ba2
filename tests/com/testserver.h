// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESTS_COM_TESTSERVER_H_
#define TESTS_COM_TESTSERVER_H_

#include "platform/com/automation.h"

// The one class of the test server and its dual interface.
struct ITestThing : com::IDispatch {
    static constexpr com::IID iid = com::makeGuid("0b7d3c55-6a1e-4f0c-8d2a-5e9f1c3b7a01");
    virtual com::HRESULT NIMBO_COM_CALL get_Name(com::BSTR* result) = 0;

protected:
    ~ITestThing() = default;
};

constexpr com::CLSID CLSID_TestThing = com::makeGuid("0b7d3c55-6a1e-4f0c-8d2a-5e9f1c3b7a02");
constexpr const char* kTestThingProgId = "ComTest.Thing";

#endif  // TESTS_COM_TESTSERVER_H_
