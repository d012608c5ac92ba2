// SPDX-License-Identifier: GPL-3.0-or-later
// The plug-in object's members other than the message filter: names,
// lifecycle, the helper object, the colour dialog, bad input and threads.

#include <QApplication>
#include <QWidget>
#include <algorithm>
#include <functional>
#include <set>
#include <thread>

#include "host/session/vexopluginhelper.h"
#include "platform/com/bstr.h"
#include "platform/com/classfactory.h"
#include "platform/com/object.h"
#include "platform/com/variant.h"
#include "tests/plugin/pluginfixture.h"
#include "tests/support/casename.h"

namespace plugintest {
namespace {

using com::HRESULT;

com::ComPtr<com::IDispatch> defaultDispatch(vexo::IVexoPlugin* plugin) {
    com::ComPtr<com::IDispatch> dispatch;
    EXPECT_EQ(plugin->QueryInterface(com::uuidof<com::IDispatch>(), dispatch.putVoid()), com::S_OK);
    return dispatch;
}

// PluginName is one member seen through the default interface, IVexoPlugin
// and late binding on either.
TEST_F(PluginTest, PluginNameIsNimboOnEveryPath) {
    load();
    com::ComPtr<nimbo::_clsVexoPlugIn> own;
    ASSERT_EQ(m_plugin->QueryInterface(com::uuidof<nimbo::_clsVexoPlugIn>(), own.putVoid()), com::S_OK);
    com::Bstr name;
    EXPECT_EQ(own->get_PluginName(name.put()), com::S_OK);
    EXPECT_EQ(name.toUtf8(), "Nimbo");
    EXPECT_EQ(m_plugin->get_PluginName(name.put()), com::S_OK);
    EXPECT_EQ(name.toUtf8(), "Nimbo");

    for (com::IDispatch* dispatch : {static_cast<com::IDispatch*>(defaultDispatch(m_plugin.get()).get()),
                                     static_cast<com::IDispatch*>(m_plugin.get())}) {
        com::Variant result;
        EXPECT_EQ(com::invokeByName(dispatch, "PluginName", com::DISPATCH_PROPERTYGET, {}, result.put()),
                  com::S_OK);
        EXPECT_EQ(result.toUtf8(), "Nimbo");
    }
    // The default interface has nothing but PluginName.
    EXPECT_EQ(defaultDispatch(m_plugin.get()).get(), static_cast<com::IDispatch*>(own.get()));
    const com::OLECHAR* name16[] = {u"MessageHandle"};
    com::DISPID id;
    EXPECT_EQ(own->GetIDsOfNames(com::IID{}, name16, 1, 0, &id), com::DISP_E_UNKNOWNNAME);
}

// A late-binding host finds every member of the host interfaces by name.
TEST_F(PluginTest, EveryHostMemberIsKnownByName) {
    load();
    com::ComPtr<vexo::IVexoModule> module;
    ASSERT_EQ(m_plugin->QueryInterface(com::uuidof<vexo::IVexoModule>(), module.putVoid()), com::S_OK);
    const std::pair<com::IDispatch*, const char16_t*> members[] = {
        {m_plugin.get(), u"Disable"}, {m_plugin.get(), u"Enable"},        {m_plugin.get(), u"Configure"},
        {m_plugin.get(), u"Init"},    {m_plugin.get(), u"MessageHandle"}, {m_plugin.get(), u"PluginName"},
        {m_plugin.get(), u"Term"},    {module.get(), u"ModuleInfo"},
    };
    std::set<com::DISPID> ids;
    for (const auto& [dispatch, name] : members) {
        const com::OLECHAR* names[] = {name};
        com::DISPID id = com::DISPID_UNKNOWN;
        EXPECT_EQ(dispatch->GetIDsOfNames(com::IID{}, names, 1, 0, &id), com::S_OK);
        EXPECT_NE(id, com::DISPID_UNKNOWN);
        if (dispatch == m_plugin.get()) {
            EXPECT_TRUE(ids.insert(id).second) << "two members share an id";
        }
    }
}

struct Lifecycle {
    const char* member;
    HRESULT (NIMBO_COM_CALL vexo::IVexoPlugin::*call)(com::VARIANT_BOOL*);
    com::VARIANT_BOOL result;
};

void PrintTo(const Lifecycle& c, std::ostream* out) {
    *out << c.member;
}

class PluginLifecycle : public PluginTest, public testing::WithParamInterface<Lifecycle> {};

// Disable, Enable and Term keep no state: their results never change, and
// messages and module information work the same before and after.
TEST_P(PluginLifecycle, AnswersTheSameAndChangesNothing) {
    load();
    const Lifecycle& l = GetParam();
    for (int round = 0; round < 2; ++round) {
        com::VARIANT_BOOL result = 7;
        EXPECT_EQ((m_plugin.get()->*l.call)(&result), com::S_OK);
        EXPECT_EQ(result, l.result);
        com::Variant late;
        EXPECT_EQ(com::invokeByName(m_plugin.get(), l.member, com::DISPATCH_METHOD, {}, late.put()),
                  com::S_OK);
        EXPECT_EQ(late.type(), com::VT_BOOL);
        EXPECT_EQ(late.get().boolVal, l.result);

        HRESULT status;
        EXPECT_EQ(message(15, 1 + round, 255, &status), 0);
        EXPECT_EQ(status, com::S_OK);
        EXPECT_TRUE(moduleInfo(m_plugin.get()));
    }
}

INSTANTIATE_TEST_SUITE_P(Members, PluginLifecycle,
                         testing::Values(Lifecycle{"Disable", &vexo::IVexoPlugin::Disable,
                                                   com::VARIANT_FALSE},
                                         Lifecycle{"Enable", &vexo::IVexoPlugin::Enable, com::VARIANT_TRUE},
                                         Lifecycle{"Term", &vexo::IVexoPlugin::Term, com::VARIANT_TRUE}),
                         [](const auto& info) { return std::string(info.param.member); });

// Init keeps one counted reference to the latest helper and lets go of the
// one before; Term releases nothing.
TEST_F(PluginTest, InitKeepsTheLatestHelperOnly) {
    load();
    auto first = com::makeObject<vexohost::VexoPluginHelper>();
    auto second = com::makeObject<vexohost::VexoPluginHelper>();
    const auto init = [&](vexo::IVexoPluginHelper* helper) {
        com::VARIANT_BOOL result = 7;
        EXPECT_EQ(m_plugin->Init(nullptr, nullptr, &helper, &result), com::S_OK);
        EXPECT_EQ(result, com::VARIANT_TRUE);
    };
    init(first.get());
    EXPECT_EQ(refCount(first.get()), 2u);
    init(second.get());
    EXPECT_EQ(refCount(first.get()), 1u);
    EXPECT_EQ(refCount(second.get()), 2u);

    com::VARIANT_BOOL done;
    EXPECT_EQ(m_plugin->Term(&done), com::S_OK);
    EXPECT_EQ(refCount(second.get()), 2u);

    // A host passing Nothing leaves no helper.
    init(nullptr);
    EXPECT_EQ(refCount(second.get()), 1u);

    // Late binding, the helper by reference as the host passes it.
    com::IDispatch* slot = first.get();
    first->AddRef();
    com::Variant title = com::Variant::fromString("host"), file = com::Variant::fromString("Nimbolux.so");
    com::VARIANT args[3] = {title.get(), file.get(), com::Variant::refDispatch(&slot).get()};
    com::Variant result;
    EXPECT_EQ(com::invokeByName(m_plugin.get(), "Init", com::DISPATCH_METHOD, args, result.put()), com::S_OK);
    EXPECT_TRUE(result.toBool());
    EXPECT_EQ(slot, static_cast<com::IDispatch*>(first.get())) << "the caller's reference is left alone";
    slot->Release();
    EXPECT_EQ(refCount(first.get()), 2u);
    init(nullptr);
    EXPECT_EQ(refCount(first.get()), 1u);
}

std::vector<QWidget*> visibleWindows() {
    std::vector<QWidget*> shown;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->isVisible()) shown.push_back(widget);
    return shown;
}

// Configure shows one modeless dialog, the same one every time.
TEST_F(PluginTest, ConfigureShowsOneDialog) {
    load();
    const std::vector<QWidget*> before = visibleWindows();
    com::VARIANT_BOOL result = 7;
    EXPECT_EQ(m_plugin->Configure(&result), com::S_OK);
    EXPECT_EQ(result, com::VARIANT_TRUE);
    std::vector<QWidget*> after = visibleWindows();
    ASSERT_EQ(after.size(), before.size() + 1);
    QWidget* dialog = nullptr;
    for (QWidget* widget : after)
        if (std::find(before.begin(), before.end(), widget) == before.end()) dialog = widget;
    ASSERT_TRUE(dialog);

    EXPECT_EQ(m_plugin->Configure(&result), com::S_OK);
    EXPECT_EQ(visibleWindows(), after);
    dialog->hide();
    EXPECT_EQ(m_plugin->Configure(&result), com::S_OK);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(visibleWindows().size(), after.size());

    dialog->hide();
    EXPECT_FALSE(releaseAndCanUnload()) << "the dialog lives on";
}

// A dialog that cannot read its pictures fails Configure with the file error;
// the result stays true, and the next Configure tries again.
TEST_F(PluginTest, ConfigureReportsAMissingPictureAndRetries) {
    load({"rot100.gif"});
    com::VARIANT_BOOL result = 7;
    EXPECT_EQ(m_plugin->Configure(&result), com::hr(0x800A0035));
    EXPECT_EQ(result, com::VARIANT_TRUE);
    EXPECT_NE(com::errorInfo().description.find("rot100.gif"), std::string::npos);
    m_copy->restorePicture("rot100.gif");
    result = 7;
    EXPECT_EQ(m_plugin->Configure(&result), com::S_OK);
    EXPECT_EQ(result, com::VARIANT_TRUE);
    for (QWidget* widget : visibleWindows()) widget->hide();
}

// Calls with a null out-parameter or by-reference argument.
struct NullCall {
    const char* name;
    std::function<HRESULT(vexo::IVexoPlugin*)> call;
};

class PluginNullPointer : public PluginTest, public testing::WithParamInterface<NullCall> {};

TEST_P(PluginNullPointer, IsRefusedBeforeAnythingChanges) {
    load();
    auto helper = com::makeObject<vexohost::VexoPluginHelper>();
    vexo::IVexoPluginHelper* slot = helper.get();
    com::VARIANT_BOOL done;
    ASSERT_EQ(m_plugin->Init(nullptr, nullptr, &slot, &done), com::S_OK);

    EXPECT_EQ(GetParam().call(m_plugin.get()), com::E_POINTER);
    EXPECT_EQ(refCount(helper.get()), 2u) << "the helper kept by Init is still there";
    slot = nullptr;
    ASSERT_EQ(m_plugin->Init(nullptr, nullptr, &slot, &done), com::S_OK);
    EXPECT_TRUE(releaseAndCanUnload()) << "a window or dialog was created";
}

int32_t g_msg = 15, g_channel = 1, g_value = 255, g_result;
com::VARIANT_BOOL g_bool;

INSTANTIATE_TEST_SUITE_P(
    Members, PluginNullPointer,
    testing::Values(
        NullCall{"MsgNull",
                 [](auto* p) { return p->MessageHandle(nullptr, &g_channel, &g_value, &g_result); }},
        NullCall{"ChannelNull",
                 [](auto* p) { return p->MessageHandle(&g_msg, nullptr, &g_value, &g_result); }},
        NullCall{"ValueNull",
                 [](auto* p) { return p->MessageHandle(&g_msg, &g_channel, nullptr, &g_result); }},
        NullCall{"ResultNull",
                 [](auto* p) { return p->MessageHandle(&g_msg, &g_channel, &g_value, nullptr); }},
        NullCall{"ByRefNull",
                 [](auto* p) {
                     com::Variant result;
                     com::VARIANT args[3] = {
                         com::Variant::fromInt32(15).get(), {}, com::Variant::fromInt32(9).get()};
                     args[1].vt = com::VT_I4 | com::VT_BYREF;
                     args[1].plVal = nullptr;
                     return com::invokeByName(p, "MessageHandle", com::DISPATCH_METHOD, args, result.put());
                 }},
        NullCall{"InitHelperNull", [](auto* p) { return p->Init(nullptr, nullptr, nullptr, &g_bool); }},
        NullCall{"InitResultNull",
                 [](auto* p) {
                     vexo::IVexoPluginHelper* none = nullptr;
                     return p->Init(nullptr, nullptr, &none, nullptr);
                 }},
        NullCall{"Configure", [](auto* p) { return p->Configure(nullptr); }},
        NullCall{"Enable", [](auto* p) { return p->Enable(nullptr); }},
        NullCall{"Disable", [](auto* p) { return p->Disable(nullptr); }},
        NullCall{"Term", [](auto* p) { return p->Term(nullptr); }},
        NullCall{"PluginName", [](auto* p) { return p->get_PluginName(nullptr); }},
        NullCall{"ModuleInfo",
                 [](auto* p) {
                     com::ComPtr<vexo::IVexoModule> module =
                         com::ComPtr<vexo::IVexoPlugin>(p).as<vexo::IVexoModule>();
                     return module->get_ModuleInfo(nullptr);
                 }}),
    [](const auto& info) { return std::string(info.param.name); });

// A call from a thread other than the object's is refused and touches
// nothing: no result, no helper, no window, no dialog.
TEST_F(PluginTest, CallsFromAnotherThreadAreRefused) {
    load();
    auto helper = com::makeObject<vexohost::VexoPluginHelper>();
    com::ComPtr<vexo::IVexoModule> module = m_plugin.as<vexo::IVexoModule>();
    vexo::IVexoPlugin* plugin = m_plugin.get();
    std::vector<std::pair<const char*, HRESULT>> statuses;
    int32_t msg = 15, channel = 1, value = 255, result = 77;
    com::VARIANT_BOOL flag = 7;
    com::BSTR name = nullptr;
    vexo::IVexoModuleInfo* info = nullptr;
    vexo::IVexoPluginHelper* slot = helper.get();

    std::thread([&] {
        statuses = {
            {"MessageHandle", plugin->MessageHandle(&msg, &channel, &value, &result)},
            {"Init", plugin->Init(nullptr, nullptr, &slot, &flag)},
            {"Configure", plugin->Configure(&flag)},
            {"Enable", plugin->Enable(&flag)},
            {"Disable", plugin->Disable(&flag)},
            {"Term", plugin->Term(&flag)},
            {"PluginName", plugin->get_PluginName(&name)},
            {"ModuleInfo", module->get_ModuleInfo(&info)},
        };
    }).join();

    for (const auto& [member, status] : statuses) EXPECT_EQ(status, com::RPC_E_WRONG_THREAD) << member;
    EXPECT_EQ(result, 77);
    EXPECT_EQ(flag, 7);
    EXPECT_EQ(name, nullptr);
    EXPECT_EQ(info, nullptr);
    EXPECT_EQ(refCount(helper.get()), 1u);
    module = nullptr;
    EXPECT_TRUE(releaseAndCanUnload());
}

}  // namespace
}  // namespace plugintest
