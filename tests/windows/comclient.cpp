// SPDX-License-Identifier: GPL-3.0-or-later
// comclient: drives Nimbolux.dll and VexoHost.dll as registered COM servers,
// through the system's COM only: the registered type libraries say which
// interfaces and members exist, widl's C headers of the IDL give the
// vtables, and IDispatch is reached by the names the libraries give.
//
//   comclient                      every check; the last line reads "comclient: N failure(s)"
//   comclient --absent             the ProgIDs and classes are gone (after regsvr32 /u)
//   comclient --without-images DLL that copy of the plug-in, loaded by path,
//                                  fails ModuleInfo with its run-time error
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

// The libraries' identities are defined here, declared in the other files.
#include <initguid.h>

#include "Nimbo.h"
#include "VexoTypeLib.h"
#include "tests/windows/clientcheck.h"
#include "tests/windows/latebinding.h"
#include "tests/windows/typelibwalk.h"

using namespace client;

namespace {

constexpr int kGet = INVOKE_PROPERTYGET, kPut = INVOKE_PROPERTYPUT, kPutRef = INVOKE_PROPERTYPUTREF,
              kFunc = INVOKE_FUNC;

struct Contract {
    std::string library;
    std::string name;
    std::vector<Member> members;
};

std::vector<Member> property(const std::string& name) {
    return {{name, kGet}, {name, kPut}};
}

std::vector<Contract> contract() {
    std::vector<Member> info;
    for (const char* name : {"ModuleId", "DisplayName", "Description", "Author", "StartEnabled", "ShowInMenu",
                             "ModuleKind", "ToolWindowName"})
        for (const Member& member : property(name)) info.push_back(member);
    info.insert(info.end(), {{"ToolWindow", kGet}, {"ToolWindow", kPutRef}});
    for (const char* name : {"DockPosition", "UsesProjectData", "ShowToolWindowAtStart", "SendsMessages"})
        for (const Member& member : property(name)) info.push_back(member);
    info.push_back({"Messages", kGet});
    return {
        {"Nimbo", "_clsVexoPlugIn", {{"PluginName", kGet}}},
        {"VexoTypeLib",
         "IVexoPlugin",
         {{"Disable", kFunc},
          {"Enable", kFunc},
          {"Configure", kFunc},
          {"Init", kFunc},
          {"MessageHandle", kFunc},
          {"PluginName", kGet},
          {"Term", kFunc}}},
        {"VexoTypeLib", "IVexoModule", {{"ModuleInfo", kGet}}},
        {"VexoTypeLib",
         "IVexoTool",
         {{"ClearProjectData", kFunc},
          {"LoadProjectData", kFunc},
          {"SaveProjectData", kFunc},
          {"AskToSaveProjectData", kFunc},
          {"ViewMode", kPut}}},
        {"VexoTypeLib", "IVexoModuleInfo", info},
        {"VexoTypeLib", "IVexoPluginHelper", {{"HostTitle", kGet}}},
        {"VexoTypeLib", "ICollection", {{"Add", kFunc}, {"Count", kGet}, {"Item", kFunc}, {"Remove", kFunc}}},
    };
}

std::string describe(const std::vector<Member>& members) {
    std::string text;
    for (const Member& member : members)
        text += (text.empty() ? "" : " ") + member.name + "/" + std::to_string(member.kind);
    return text;
}

void checkLibraries(std::map<std::string, std::map<std::string, TypeEntry>>& libraries) {
    libraries["Nimbo"] = walkTypeLibrary(LIBID_Nimbo, 1, 0, "Nimbo 1.0");
    libraries["VexoTypeLib"] = walkTypeLibrary(LIBID_VexoTypeLib, 2, 2, "VexoTypeLib 2.2");
    for (const Contract& expected : contract()) {
        const auto& types = libraries[expected.library];
        const auto found = types.find(expected.name);
        if (!check(found != types.end(), expected.library + " holds " + expected.name)) continue;
        check(found->second.members == expected.members,
              expected.name + " has its members in order: " + describe(found->second.members));
        check(found->second.kind == TKIND_DISPATCH, expected.name + " is dual");
    }
    const auto& nimbo = libraries["Nimbo"];
    const auto plugin = nimbo.find("clsVexoPlugIn");
    if (check(plugin != nimbo.end(), "Nimbo holds the class clsVexoPlugIn"))
        check(plugin->second.implemented ==
                  std::vector<std::string>{"_clsVexoPlugIn", "IVexoPlugin", "IVexoModule"},
              "clsVexoPlugIn implements _clsVexoPlugIn (default), IVexoPlugin and IVexoModule");
    // The C headers of the IDL and the registered libraries agree.
    const auto& vexo = libraries["VexoTypeLib"];
    check(vexo.count("IVexoPlugin") && IsEqualGUID(vexo.at("IVexoPlugin").guid, __uuidof(IVexoPlugin)) &&
              vexo.count("IVexoModule") && IsEqualGUID(vexo.at("IVexoModule").guid, __uuidof(IVexoModule)) &&
              vexo.count("IVexoTool") && IsEqualGUID(vexo.at("IVexoTool").guid, __uuidof(IVexoTool)),
          "the interface identities of the IDL's headers are those registered");
}

void checkVersionBlock(const wchar_t* file) {
    DWORD handle = 0;
    std::vector<char> block(GetFileVersionInfoSizeW(file, &handle));
    if (!check(!block.empty() && GetFileVersionInfoW(file, 0, static_cast<DWORD>(block.size()), block.data()),
               "Nimbolux.dll has a version block"))
        return;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    check(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) &&
              fixed->dwFileVersionMS == 0x00020009 && fixed->dwFileVersionLS == 0 &&
              fixed->dwProductVersionMS == 0x00020009 && fixed->dwProductVersionLS == 0,
          "file and product version 2.9.0.0");
    WORD* translation = nullptr;
    check(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                         &length) &&
              length >= 4 && translation[0] == 0x0407 && translation[1] == 0x04B0,
          "translation 0x0407 0x04B0");
    const struct {
        const wchar_t* key;
        const char* value;
    } strings[] = {{L"FileVersion", "2.09"},      {L"ProductVersion", "2.09"},
                   {L"InternalName", "Nimbolux"}, {L"OriginalFilename", "Nimbolux.dll"},
                   {L"ProductName", "Nimbos"},    {L"OLESelfRegister", ""}};
    for (const auto& entry : strings) {
        wchar_t* value = nullptr;
        const std::wstring path = std::wstring(L"\\StringFileInfo\\040704B0\\") + entry.key;
        const bool found =
            VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&value), &length);
        check(found && utf8(length ? value : L"") == entry.value,
              utf8(entry.key) + " is \"" + entry.value + "\"");
    }
}

int absent() {
    CLSID clsid;
    for (const wchar_t* progId :
         {L"Nimbo.clsVexoPlugIn", L"VexoTypeLib.VexoModuleInfo", L"VexoTypeLib.VexoPluginHelper"})
        check(FAILED(CLSIDFromProgID(progId, &clsid)), utf8(progId) + " is no longer registered");
    Ref<IUnknown> object;
    check(CoCreateInstance(__uuidof(clsVexoPlugIn), nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                           object.putVoid()) == REGDB_E_CLASSNOTREG,
          "clsVexoPlugIn's class is no longer registered");
    Ref<ITypeLib> library;
    check(FAILED(LoadRegTypeLib(LIBID_Nimbo, 1, 0, 0, library.put())), "Nimbo 1.0 is no longer registered");
    return 0;
}

int withoutImages(const wchar_t* path) {
    HMODULE module = LoadLibraryW(path);
    if (!check(module != nullptr, "the copy of the plug-in loads")) return 0;
    using GetClassObject = HRESULT(__stdcall*)(REFCLSID, REFIID, void**);
    auto get = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
    Ref<IClassFactory> factory;
    Ref<IVexoModule> module2;
    if (check(get && SUCCEEDED(get(__uuidof(clsVexoPlugIn), IID_IClassFactory, factory.putVoid())),
              "its class object") &&
        check(SUCCEEDED(factory->CreateInstance(nullptr, __uuidof(IVexoModule), module2.putVoid())),
              "its object")) {
        Ref<IVexoModuleInfo> info;
        const HRESULT status = module2->get_ModuleInfo(info.put());
        const std::string description = errorDescription();
        check(status == static_cast<HRESULT>(0x800A004C) && !info,
              "ModuleInfo fails with run-time error 76 (" + hex(status) + ")");
        check(description.find("images") != std::string::npos,
              "its description names the folder: " + description);
    }
    return 0;
}

}  // namespace

void checkPlugin(const std::map<std::string, std::map<std::string, TypeEntry>>& libraries);

int wmain(int argc, wchar_t** argv) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    const std::wstring mode = argc > 1 ? argv[1] : L"";
    if (mode == L"--absent") {
        absent();
    } else if (mode == L"--without-images" && argc > 2) {
        withoutImages(argv[2]);
    } else {
        std::map<std::string, std::map<std::string, TypeEntry>> libraries;
        checkLibraries(libraries);
        checkPlugin(libraries);
        wchar_t clsid[64] = {}, file[MAX_PATH] = {};
        DWORD size = sizeof file;
        StringFromGUID2(__uuidof(clsVexoPlugIn), clsid, 64);
        const std::wstring server = std::wstring(L"CLSID\\") + clsid + L"\\InprocServer32";
        if (check(RegGetValueW(HKEY_CLASSES_ROOT, server.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, file,
                               &size) == ERROR_SUCCESS,
                  "the class names its server"))
            checkVersionBlock(file);
    }
    CoUninitialize();
    std::printf("comclient: %d failure(s)\n", failures());
    return failures() == 0 ? 0 : 1;
}
