// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESTS_WINDOWS_TYPELIBWALK_H_
#define TESTS_WINDOWS_TYPELIBWALK_H_

#include <map>
#include <string>
#include <vector>

#include "tests/windows/clientcheck.h"

namespace client {

// One member as a type library lists it: its name and how it is invoked
// (INVOKE_FUNC, INVOKE_PROPERTYGET, INVOKE_PROPERTYPUT, INVOKE_PROPERTYPUTREF).
struct Member {
    std::string name;
    int kind;
    friend bool operator==(const Member&, const Member&) = default;
};

// An interface or class of a registered type library, as found there.
struct TypeEntry {
    GUID guid{};
    int kind = 0;                          // TKIND_INTERFACE, TKIND_DISPATCH (dual), TKIND_COCLASS ...
    std::vector<Member> members;           // own members in vtable order (interfaces)
    std::vector<std::string> implemented;  // a class's interfaces, the default one first
    std::vector<int> memberIds;            // the DISPID of each member
};

// Every type of the registered library libid major.minor, by name; empty
// (with a failed check) when it is not registered.
std::map<std::string, TypeEntry> walkTypeLibrary(const GUID& libid, WORD major, WORD minor,
                                                 const std::string& name);

}  // namespace client

#endif  // TESTS_WINDOWS_TYPELIBWALK_H_
