// SPDX-License-Identifier: GPL-3.0-or-later
// Nimbolux.so as an in-process server: its exports, its registration and the
// version block in the file.

#include "host/session/versioninfo.h"
#include "platform/com/bstr.h"
#include "platform/com/classfactory.h"
#include "platform/com/classtable.h"
#include "platform/com/registry.h"
#include "tests/plugin/pluginfixture.h"

namespace plugintest {
namespace {

using com::HRESULT;

TEST_F(PluginTest, ServerUnloadsOnlyWhenNothingOfItIsInUse) {
    load();
    com::Server& server = m_copy->server();
    EXPECT_EQ(server.canUnloadNow(), com::S_FALSE) << "an object is alive";
    m_plugin = nullptr;
    EXPECT_EQ(server.canUnloadNow(), com::S_OK);

    com::ComPtr<com::IClassFactory> factory;
    EXPECT_EQ(server.getClassObject(com::IID{}, com::uuidof<com::IClassFactory>(), factory.putVoid()),
              com::CLASS_E_CLASSNOTAVAILABLE);
    ASSERT_EQ(server.getClassObject(kPluginClsid, com::uuidof<com::IClassFactory>(), factory.putVoid()),
              com::S_OK);
    EXPECT_EQ(server.canUnloadNow(), com::S_FALSE) << "a class object is alive";

    com::ComPtr<com::IUnknown> object;
    EXPECT_EQ(factory->CreateInstance(factory.get(), com::uuidof<com::IUnknown>(), object.putVoid()),
              com::CLASS_E_NOAGGREGATION);
    EXPECT_EQ(factory->CreateInstance(nullptr, com::uuidof<nimbo::_clsVexoPlugIn>(), object.putVoid()),
              com::S_OK);
    EXPECT_TRUE(object);
    object = nullptr;

    EXPECT_EQ(factory->LockServer(1), com::S_OK);
    factory = nullptr;
    EXPECT_EQ(server.canUnloadNow(), com::S_FALSE) << "the server is locked";
    ASSERT_EQ(server.getClassObject(kPluginClsid, com::uuidof<com::IClassFactory>(), factory.putVoid()),
              com::S_OK);
    EXPECT_EQ(factory->LockServer(0), com::S_OK);
    factory = nullptr;
    EXPECT_EQ(server.canUnloadNow(), com::S_OK);
}

// DllRegisterServer writes the class, its ProgID and the type library;
// creation by ProgID then goes through the registry to this file; and
// DllUnregisterServer removes exactly what was written.
TEST_F(PluginTest, RegistrationRoundTrip) {
    load();
    m_plugin = nullptr;
    com::Registry& registry = com::registry();
    registry.setValue("Other\\Key", "", "kept");
    const std::string clsid = com::formatGuid(kPluginClsid);
    const std::string libid = com::formatGuid(kPluginLibid);

    com::ComPtr<vexo::IVexoPlugin> byProgId;
    EXPECT_EQ(com::createInstanceByProgId("Nimbo.clsVexoPlugIn", com::uuidof<vexo::IVexoPlugin>(),
                                          byProgId.putVoid()),
              com::CO_E_CLASSSTRING);

    ASSERT_EQ(m_copy->server().registerServer(), com::S_OK);
    const std::pair<std::string, std::string> entries[] = {
        {"CLSID\\" + clsid + "\\InprocServer32", m_copy->path()},
        {"CLSID\\" + clsid + "\\ProgID", "Nimbo.clsVexoPlugIn"},
        {"CLSID\\" + clsid + "\\TypeLib", libid},
        {"Nimbo.clsVexoPlugIn\\CLSID", clsid},
        {"TypeLib\\" + libid + "\\1.0", "Coloring Nimbos"},
        {"TypeLib\\" + libid + "\\1.0\\0\\linux64", m_copy->path()},
    };
    for (const auto& [key, value] : entries) EXPECT_EQ(registry.value(key), value) << key;
    EXPECT_EQ(registry.value("CLSID\\" + clsid + "\\InprocServer32", "ThreadingModel"), "Apartment");

    ASSERT_EQ(com::createInstanceByProgId("nimbo.clsvexoplugin", com::uuidof<vexo::IVexoPlugin>(),
                                          byProgId.putVoid()),
              com::S_OK);
    com::Bstr name;
    EXPECT_EQ(byProgId->get_PluginName(name.put()), com::S_OK);
    EXPECT_EQ(name.toUtf8(), "Nimbo");
    EXPECT_EQ(m_copy->server().canUnloadNow(), com::S_FALSE) << "the object came from this copy";
    byProgId = nullptr;

    ASSERT_EQ(m_copy->server().unregisterServer(), com::S_OK);
    for (const auto& [key, value] : entries) EXPECT_FALSE(registry.value(key)) << key;
    EXPECT_FALSE(registry.keyExists("CLSID\\" + clsid));
    EXPECT_FALSE(registry.keyExists("Nimbo.clsVexoPlugIn"));
    EXPECT_FALSE(registry.keyExists("TypeLib\\" + libid));
    EXPECT_EQ(registry.value("Other\\Key"), "kept");
    EXPECT_EQ(com::createInstanceByProgId("Nimbo.clsVexoPlugIn", com::uuidof<vexo::IVexoPlugin>(),
                                          byProgId.putVoid()),
              com::CO_E_CLASSSTRING);
}

TEST(PluginFile, CarriesItsVersionBlock) {
    std::string error;
    const auto info = vexohost::readVersionInfo(NIMBO_PLUGIN_FILE, &error);
    ASSERT_TRUE(info) << error;
    const std::pair<const char*, const char*> expected[] = {
        {"FileVersion", "2.09"},          {"ProductVersion", "2.09"},   {"FileVersionBinary", "2.9.0.0"},
        {"Translation", "0x0407 0x04B0"}, {"InternalName", "Nimbolux"}, {"OriginalFilename", "Nimbolux.so"},
        {"ProductName", "Nimbos"},        {"OLESelfRegister", ""},
    };
    for (const auto& [key, value] : expected) EXPECT_EQ(info->value(key), value) << key;
}

}  // namespace
}  // namespace plugintest
