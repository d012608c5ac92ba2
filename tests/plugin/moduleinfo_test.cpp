// SPDX-License-Identifier: GPL-3.0-or-later
// The module information the plug-in gives the host.

#include "host/session/vexomoduleinfo.h"
#include "platform/com/bstr.h"
#include "platform/com/classfactory.h"
#include "platform/com/classtable.h"
#include "platform/com/variant.h"
#include "tests/plugin/pluginfixture.h"
#include "tests/support/casename.h"

namespace plugintest {
namespace {

using com::HRESULT;

std::string text(vexo::IVexoModuleInfo* info,
                 HRESULT (NIMBO_COM_CALL vexo::IVexoModuleInfo::*get)(com::BSTR*)) {
    com::Bstr value;
    EXPECT_EQ((info->*get)(value.put()), com::S_OK);
    return value.toUtf8();
}

int32_t number(vexo::IVexoModuleInfo* info, HRESULT (NIMBO_COM_CALL vexo::IVexoModuleInfo::*get)(int32_t*)) {
    int32_t value = 12345;
    EXPECT_EQ((info->*get)(&value), com::S_OK);
    return value;
}

std::vector<int32_t> messages(vexo::IVexoModuleInfo* info) {
    com::ComPtr<com::ICollection> list;
    EXPECT_EQ(info->get_Messages(list.put()), com::S_OK);
    int32_t count = 0;
    list->get_Count(&count);
    std::vector<int32_t> items;
    for (int32_t i = 1; i <= count; ++i) {
        com::Variant item;
        EXPECT_EQ(list->Item(com::Variant::fromInt32(i).get(), item.put()), com::S_OK);
        EXPECT_EQ(item.type(), com::VT_I4);
        items.push_back(item.toInt32());
    }
    return items;
}

com::ComPtr<com::IUnknown> identity(com::IUnknown* object) {
    com::ComPtr<com::IUnknown> unknown;
    if (object) object->QueryInterface(com::uuidof<com::IUnknown>(), unknown.putVoid());
    return unknown;
}

TEST_F(PluginTest, ModuleInfoCarriesTheModuleAndAsksForMessage15) {
    load();
    const auto info = moduleInfo(m_plugin.get());
    ASSERT_TRUE(info);
    using I = vexo::IVexoModuleInfo;
    const std::string id = text(info.get(), &I::get_ModuleId);
    EXPECT_EQ(id.size(), 38u);
    EXPECT_TRUE(com::parseGuid(id)) << id;
    EXPECT_EQ(com::formatGuid(*com::parseGuid(id)), id) << "registry form, lower case";
    EXPECT_EQ(text(info.get(), &I::get_DisplayName), "Nimbo Lux");
    EXPECT_EQ(text(info.get(), &I::get_Description), "coloring Nimbos, Version 2.9.0");
    EXPECT_FALSE(text(info.get(), &I::get_Author).empty());
    EXPECT_EQ(number(info.get(), &I::get_StartEnabled), -1);
    EXPECT_EQ(number(info.get(), &I::get_ShowInMenu), -1);
    EXPECT_EQ(number(info.get(), &I::get_ModuleKind), 2);
    EXPECT_EQ(text(info.get(), &I::get_ToolWindowName), "NimboForm");
    EXPECT_EQ(number(info.get(), &I::get_DockPosition), 0);
    EXPECT_EQ(number(info.get(), &I::get_UsesProjectData), 0);
    EXPECT_EQ(number(info.get(), &I::get_ShowToolWindowAtStart), -1);
    EXPECT_EQ(number(info.get(), &I::get_SendsMessages), 0);
    EXPECT_EQ(messages(info.get()), std::vector<int32_t>{15});

    // The tool window: the display window, created now but not shown, and a
    // tool window the host can call by name.
    const auto window = toolWindow(info.get());
    ASSERT_TRUE(window);
    EXPECT_FALSE(windowVisible(window.get()));
    com::Variant asked;
    EXPECT_EQ(com::invokeByName(window.get(), "AskToSaveProjectData", com::DISPATCH_METHOD, {}, asked.put()),
              com::S_OK);
    EXPECT_EQ(asked.type(), com::VT_BOOL);
    EXPECT_FALSE(asked.toBool());
}

// Each call makes a new object that the host owns; all name the same window.
TEST_F(PluginTest, EveryModuleInfoIsNewAndNamesTheOneWindow) {
    load();
    const auto first = moduleInfo(m_plugin.get());
    const auto second = moduleInfo(m_plugin.get());
    ASSERT_TRUE(first && second);
    EXPECT_NE(identity(first.get()), identity(second.get()));
    EXPECT_EQ(refCount(first.get()), 1u) << "the plug-in keeps no reference";
    EXPECT_EQ(identity(toolWindow(first.get()).get()), identity(toolWindow(second.get()).get()));
    EXPECT_EQ(messages(first.get()), std::vector<int32_t>{15});
    EXPECT_EQ(messages(second.get()), std::vector<int32_t>{15});

    // Late binding: the property through IVexoModule's own IDispatch.
    com::ComPtr<vexo::IVexoModule> module;
    ASSERT_EQ(m_plugin->QueryInterface(com::uuidof<vexo::IVexoModule>(), module.putVoid()), com::S_OK);
    com::Variant third;
    ASSERT_EQ(com::invokeByName(module.get(), "ModuleInfo", com::DISPATCH_PROPERTYGET, {}, third.put()),
              com::S_OK);
    ASSERT_EQ(third.type(), com::VT_DISPATCH);
    EXPECT_NE(identity(third.object()), identity(first.get()));
}

// A VexoModuleInfo that counts its live objects, and can fail one property.
int g_liveInfos = 0;
bool g_failDescription = false;

class CountedModuleInfo : public vexohost::VexoModuleInfo {
public:
    CountedModuleInfo() { ++g_liveInfos; }
    ~CountedModuleInfo() override { --g_liveInfos; }
    HRESULT NIMBO_COM_CALL put_Description(com::BSTR value) override {
        return g_failDescription ? com::E_INVALIDARG : VexoModuleInfo::put_Description(value);
    }
};

enum class Failure { HostClassMissing, PropertyRefused, PicturesMissing };

struct ModuleInfoFailure {
    Failure failure;
    HRESULT status;
};

void PrintTo(const ModuleInfoFailure& c, std::ostream* out) {
    constexpr const char* kWords[] = {"host class missing", "property refused", "pictures missing"};
    *out << kWords[int(c.failure)];
}

class PluginModuleInfoFails : public PluginTest, public testing::WithParamInterface<ModuleInfoFailure> {
protected:
    void TearDown() override {
        g_failDescription = false;
        PluginTest::TearDown();
    }
};

// Whatever step fails, the status reaches the host unchanged, no object is
// returned and the partly filled one is released.
TEST_P(PluginModuleInfoFails, ReturnsNoObjectAndTheFailingStatus) {
    const ModuleInfoFailure& f = GetParam();
    load(f.failure == Failure::PicturesMissing ? QStringList{"weiss100.gif"} : QStringList{});
    if (f.failure == Failure::HostClassMissing)
        com::unregisterClass(vexo::CLSID_VexoModuleInfo);
    else
        com::registerClass(vexo::CLSID_VexoModuleInfo, {}, com::makeClassFactory<CountedModuleInfo>());
    g_failDescription = f.failure == Failure::PropertyRefused;

    com::ComPtr<vexo::IVexoModule> module;
    ASSERT_EQ(m_plugin->QueryInterface(com::uuidof<vexo::IVexoModule>(), module.putVoid()), com::S_OK);
    vexo::IVexoModuleInfo* info = reinterpret_cast<vexo::IVexoModuleInfo*>(&g_liveInfos);  // not null
    EXPECT_EQ(module->get_ModuleInfo(&info), f.status);
    EXPECT_EQ(info, nullptr);
    EXPECT_EQ(g_liveInfos, 0);
    if (f.failure == Failure::PicturesMissing) {
        EXPECT_NE(com::errorInfo().description.find("weiss100.gif"), std::string::npos);
    }
    module = nullptr;
    // Every one of these steps comes before the window exists.
    EXPECT_TRUE(releaseAndCanUnload());
}

INSTANTIATE_TEST_SUITE_P(Steps, PluginModuleInfoFails,
                         testing::Values(ModuleInfoFailure{Failure::HostClassMissing,
                                                           com::REGDB_E_CLASSNOTREG},
                                         ModuleInfoFailure{Failure::PropertyRefused, com::E_INVALIDARG},
                                         ModuleInfoFailure{Failure::PicturesMissing, com::hr(0x800A0035)}),
                         testsupport::CaseName());

}  // namespace
}  // namespace plugintest
