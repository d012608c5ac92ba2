// SPDX-License-Identifier: GPL-3.0-or-later
// VexoHost.dll: the host's creatable classes as a registered in-process
// server. A plug-in's ModuleInfo creates VexoModuleInfo objects by CLSID,
// and a host or a script creates the helper it hands to Init, so both must
// be creatable by any client of the system's COM, not only inside the host.

#include <atomic>
#include <string>

#include "host/session/hostclasses.h"
#include "host/session/vexomoduleinfo.h"
#include "host/session/vexopluginhelper.h"
#include "platform/com/classfactory.h"
#include "platform/com/exports.h"
#include "platform/com/registry.h"
#include "platform/com/server.h"
#include "vexo/vexotypelib.h"

namespace {

constexpr char kTypeLibVersion[] = "2.2";
constexpr char kTypeLibHelpString[] = "Vexo host contract";

com::ServerLock g_serverLock;
std::atomic<int> g_liveObjects{0};

// An object of a served class, counted while it lives: the server stays
// loaded as long as any object, factory or lock is alive.
template <class T>
class Served : public T {
public:
    Served() { ++g_liveObjects; }
    ~Served() override { --g_liveObjects; }
};

template <class T>
class Factory : public com::ClassFactory<Served<T>> {
public:
    Factory() : com::ClassFactory<Served<T>>(&g_serverLock) { ++g_liveObjects; }
    ~Factory() override { --g_liveObjects; }
};

std::string serverPath() {
    return com::modulePathOf(reinterpret_cast<const void*>(&DllRegisterServer));
}

}  // namespace

extern "C" com::HRESULT DllGetClassObject(const com::CLSID& clsid, const com::IID& riid, void** object) {
    if (!object) return com::E_POINTER;
    *object = nullptr;
    return com::guarded([&]() -> com::HRESULT {
        if (clsid == vexo::CLSID_VexoModuleInfo)
            return com::makeObject<Factory<vexohost::VexoModuleInfo>>()->QueryInterface(riid, object);
        if (clsid == vexo::CLSID_VexoPluginHelper)
            return com::makeObject<Factory<vexohost::VexoPluginHelper>>()->QueryInterface(riid, object);
        return com::CLASS_E_CLASSNOTAVAILABLE;
    });
}

extern "C" com::HRESULT DllCanUnloadNow() {
    return g_liveObjects.load() == 0 && !g_serverLock.isLocked() ? com::S_OK : com::S_FALSE;
}

extern "C" com::HRESULT DllRegisterServer() {
    return com::guarded([] {
        const std::string path = serverPath();
        com::writeTypeLibRegistration(vexo::LIBID_VexoTypeLib, kTypeLibVersion, kTypeLibHelpString, path);
        com::writeClassRegistration({vexo::CLSID_VexoModuleInfo, std::string(vexohost::kModuleInfoProgId),
                                     "VexoModuleInfo", path, vexo::LIBID_VexoTypeLib});
        com::writeClassRegistration({vexo::CLSID_VexoPluginHelper, std::string(vexohost::kPluginHelperProgId),
                                     "VexoPluginHelper", path, vexo::LIBID_VexoTypeLib});
    });
}

extern "C" com::HRESULT DllUnregisterServer() {
    return com::guarded([] {
        com::removeClassRegistration(vexo::CLSID_VexoPluginHelper, vexohost::kPluginHelperProgId);
        com::removeClassRegistration(vexo::CLSID_VexoModuleInfo, vexohost::kModuleInfoProgId);
        com::removeTypeLibRegistration(vexo::LIBID_VexoTypeLib);
    });
}
