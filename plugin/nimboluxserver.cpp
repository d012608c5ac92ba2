// SPDX-License-Identifier: GPL-3.0-or-later
// The in-process server Nimbolux.so: the four exports through which a host
// registers the plug-in and creates clsVexoPlugIn.

#include <atomic>
#include <filesystem>
#include <string>
#include <string_view>

#include "dialog/nimboconf.h"
#include "display/nimboform.h"
#include "nimbo/nimbotypelib.h"
#include "platform/com/classfactory.h"
#include "platform/com/exports.h"
#include "platform/com/registry.h"
#include "platform/com/server.h"
#include "plugin/clsvexoplugin.h"

namespace nimbo {
namespace {

com::ServerLock g_serverLock;
std::atomic<int> g_liveFactories{0};

// A class object counts as a live object of the server: a host that holds
// one may still call it, so the server must stay loaded.
class PluginFactory : public com::ClassFactory<clsVexoPlugIn> {
public:
    PluginFactory() : ClassFactory(&g_serverLock) { ++g_liveFactories; }
    ~PluginFactory() override { --g_liveFactories; }
};

std::string serverPath() {
    return com::modulePathOf(reinterpret_cast<const void*>(&DllRegisterServer));
}

#if defined(_WIN32)
constexpr std::string_view kVexoTypeLibVersion = "2.2";
constexpr std::string_view kVexoTypeLibHelpString = "Vexo host contract";

bool fileExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(std::u8string(path.begin(), path.end()), error);
}
#endif

}  // namespace
}  // namespace nimbo

extern "C" com::HRESULT DllGetClassObject(const com::CLSID& clsid, const com::IID& riid, void** object) {
    if (!object) return com::E_POINTER;
    *object = nullptr;
    if (clsid != nimbo::CLSID_clsVexoPlugIn) return com::CLASS_E_CLASSNOTAVAILABLE;
    return com::guarded(
        [&] { return com::makeObject<nimbo::PluginFactory>()->QueryInterface(riid, object); });
}

extern "C" com::HRESULT DllCanUnloadNow() {
    // The windows hold code of this server (their event procedures, and the
    // shutdown hooks that release them), so they keep it loaded too.
    const bool idle = nimbo::clsVexoPlugIn::liveObjects() == 0 && nimbo::g_liveFactories.load() == 0 &&
                      !nimbo::g_serverLock.isLocked() && !nimbo::NimboForm::existingInstance() &&
                      !nimbo::NimboConf::existingInstance();
    return idle ? com::S_OK : com::S_FALSE;
}

extern "C" com::HRESULT DllRegisterServer() {
    return com::guarded([] {
        const std::string path = nimbo::serverPath();
#if defined(_WIN32)
        // The plug-in carries its host's type library too: registered with
        // the plug-in where no host has registered it (or its file is gone),
        // so that the interfaces the plug-in's library refers to resolve, and
        // registered first, so that those interfaces stay the host's.
        const std::string host =
            com::typeLibRegistrationPath(vexo::LIBID_VexoTypeLib, nimbo::kVexoTypeLibVersion);
        if (host.empty() || host == path || !nimbo::fileExists(host))
            com::writeTypeLibRegistration(vexo::LIBID_VexoTypeLib, nimbo::kVexoTypeLibVersion,
                                          nimbo::kVexoTypeLibHelpString, path);
#endif
        com::writeTypeLibRegistration(nimbo::LIBID_Nimbo, nimbo::kTypeLibVersion, nimbo::kTypeLibHelpString,
                                      path);
        com::writeClassRegistration({nimbo::CLSID_clsVexoPlugIn, std::string(nimbo::kPluginProgId),
                                     std::string(nimbo::kPluginProgId), path, nimbo::LIBID_Nimbo});
    });
}

extern "C" com::HRESULT DllUnregisterServer() {
    return com::guarded([] {
        com::removeClassRegistration(nimbo::CLSID_clsVexoPlugIn, nimbo::kPluginProgId);
        com::removeTypeLibRegistration(nimbo::LIBID_Nimbo);
#if defined(_WIN32)
        // The host's library goes only where it is the plug-in's registration.
        if (com::typeLibRegistrationPath(vexo::LIBID_VexoTypeLib, nimbo::kVexoTypeLibVersion) ==
            nimbo::serverPath())
            com::removeTypeLibRegistration(vexo::LIBID_VexoTypeLib);
#endif
    });
}
