// SPDX-License-Identifier: GPL-3.0-or-later
// The host's creatable classes, as plug-ins create them.

#include "host/session/hostclasses.h"

#include <gtest/gtest.h>

#include "host/session/vexopluginhelper.h"
#include "platform/com/bstr.h"
#include "platform/com/classtable.h"
#include "platform/com/variant.h"

namespace vexohost {
namespace {

using com::HRESULT;

// A fresh module information holds the host's defaults; what is set is read
// back, and Messages is one collection that keeps what is added to it.
TEST(PluginHostClasses, ModuleInfoStartsWithTheHostDefaultsAndKeepsWhatIsSet) {
    registerHostClasses();
    registerHostClasses();  // again: the same classes, still creatable
    com::ComPtr<vexo::IVexoModuleInfo> info;
    ASSERT_EQ(com::CoCreateInstance(vexo::CLSID_VexoModuleInfo, nullptr, com::uuidof<vexo::IVexoModuleInfo>(),
                                    info.putVoid()),
              com::S_OK);

    using I = vexo::IVexoModuleInfo;
    const std::pair<const char*, HRESULT (NIMBO_COM_CALL I::*)(com::BSTR*)> strings[] = {
        {"ModuleId", &I::get_ModuleId},
        {"DisplayName", &I::get_DisplayName},
        {"Description", &I::get_Description},
        {"Author", &I::get_Author},
        {"ToolWindowName", &I::get_ToolWindowName}};
    for (const auto& [name, get] : strings) {
        com::Bstr value("x");
        EXPECT_EQ((info.get()->*get)(value.put()), com::S_OK) << name;
        EXPECT_EQ(value.length(), 0u) << name;
    }
    const std::pair<const char*, HRESULT (NIMBO_COM_CALL I::*)(int32_t*)> numbers[] = {
        {"StartEnabled", &I::get_StartEnabled},
        {"ShowInMenu", &I::get_ShowInMenu},
        {"ModuleKind", &I::get_ModuleKind},
        {"DockPosition", &I::get_DockPosition},
        {"UsesProjectData", &I::get_UsesProjectData},
        {"ShowToolWindowAtStart", &I::get_ShowToolWindowAtStart},
        {"SendsMessages", &I::get_SendsMessages}};
    for (const auto& [name, get] : numbers) {
        int32_t value = 7;
        EXPECT_EQ((info.get()->*get)(&value), com::S_OK) << name;
        EXPECT_EQ(value, 0) << name;
    }
    com::ComPtr<com::IDispatch> window;
    EXPECT_EQ(info->get_ToolWindow(window.put()), com::S_OK);
    EXPECT_FALSE(window);

    // Late binding writes and reads the same properties.
    com::Variant text = com::Variant::fromString("Nimbo Lux"), kind = com::Variant::fromInt32(2);
    com::VARIANT args[1] = {text.get()};
    EXPECT_EQ(com::invokeByName(info.get(), "DisplayName", com::DISPATCH_PROPERTYPUT, args, nullptr),
              com::S_OK);
    args[0] = kind.get();
    EXPECT_EQ(com::invokeByName(info.get(), "ModuleKind", com::DISPATCH_PROPERTYPUT, args, nullptr),
              com::S_OK);
    com::Bstr name;
    EXPECT_EQ(info->get_DisplayName(name.put()), com::S_OK);
    EXPECT_EQ(name.toUtf8(), "Nimbo Lux");
    int32_t number = 0;
    EXPECT_EQ(info->get_ModuleKind(&number), com::S_OK);
    EXPECT_EQ(number, 2);

    com::ComPtr<com::ICollection> first, second;
    ASSERT_EQ(info->get_Messages(first.put()), com::S_OK);
    ASSERT_EQ(info->get_Messages(second.put()), com::S_OK);
    EXPECT_EQ(first, second);
    const com::Variant missing = com::Variant::missing();
    EXPECT_EQ(first->Add(com::Variant::fromInt32(15).get(), missing.get(), missing.get(), missing.get()),
              com::S_OK);
    int32_t count = 0;
    EXPECT_EQ(second->get_Count(&count), com::S_OK);
    EXPECT_EQ(count, 1);

    EXPECT_EQ(info->get_ModuleId(nullptr), com::E_POINTER);
    EXPECT_EQ(info->get_Messages(nullptr), com::E_POINTER);
}

TEST(PluginHostClasses, HelperIsCreatableByProgIdAndNamesTheHost) {
    registerHostClasses();
    com::ComPtr<vexo::IVexoPluginHelper> helper;
    ASSERT_EQ(com::createInstanceByProgId(kPluginHelperProgId, com::uuidof<vexo::IVexoPluginHelper>(),
                                          helper.putVoid()),
              com::S_OK);
    com::Variant title;
    EXPECT_EQ(com::invokeByName(helper.get(), "HostTitle", com::DISPATCH_PROPERTYGET, {}, title.put()),
              com::S_OK);
    EXPECT_EQ(title.toUtf8(), VexoPluginHelper::kDefaultHostTitle);
    EXPECT_EQ(helper->get_HostTitle(nullptr), com::E_POINTER);
}

}  // namespace
}  // namespace vexohost
