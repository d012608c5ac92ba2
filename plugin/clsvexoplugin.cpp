// SPDX-License-Identifier: GPL-3.0-or-later
#include "plugin/clsvexoplugin.h"

#include <atomic>
#include <cstdint>

#include "dialog/nimboconf.h"
#include "display/nimboform.h"
#include "platform/com/bstr.h"
#include "platform/com/classtable.h"
#include "platform/com/variant.h"
#include "state/nimbocode.h"

namespace nimbo {
namespace {

std::atomic<int> g_liveObjects{0};

// The channel window ends ten channels after StartChannel.
constexpr int32_t kChannelWindow = 10;
// "Object variable not set": a host object that hands back nothing.
constexpr int kErrObjectNotSet = 91;

// The rare paths of MessageHandle, kept out of line so that rejecting a
// message costs a few instructions and no stack frame.
[[gnu::noinline, gnu::cold]] com::HRESULT failWith(int number) {
    return com::guarded([number] { com::raise(number); });
}

[[gnu::noinline]] com::HRESULT showChannelValue(const int32_t& channel, const int32_t& value) {
    return com::guarded([&] { NimboForm::instance().UpdateNimbo(channel, value); });
}

}  // namespace

clsVexoPlugIn::clsVexoPlugIn() : m_apartment(currentThread()) {
    ++g_liveObjects;
}

clsVexoPlugIn::~clsVexoPlugIn() {
    --g_liveObjects;
}

int clsVexoPlugIn::liveObjects() {
    return g_liveObjects.load();
}

com::HRESULT clsVexoPlugIn::get_PluginName(com::BSTR* result) {
    if (!onOwnThread()) return com::RPC_E_WRONG_THREAD;
    if (!result) return com::E_POINTER;
    return com::guarded([result] { *result = com::allocBstr("Nimbo"); });
}

com::HRESULT clsVexoPlugIn::Disable(com::VARIANT_BOOL* result) {
    if (!onOwnThread()) return com::RPC_E_WRONG_THREAD;
    if (!result) return com::E_POINTER;
    *result = com::VARIANT_FALSE;
    return com::S_OK;
}

com::HRESULT clsVexoPlugIn::Enable(com::VARIANT_BOOL* result) {
    if (!onOwnThread()) return com::RPC_E_WRONG_THREAD;
    if (!result) return com::E_POINTER;
    *result = com::VARIANT_TRUE;
    return com::S_OK;
}

com::HRESULT clsVexoPlugIn::Configure(com::VARIANT_BOOL* result) {
    if (!onOwnThread()) return com::RPC_E_WRONG_THREAD;
    if (!result) return com::E_POINTER;
    // True first: it stays true when creating or showing the dialog fails.
    *result = com::VARIANT_TRUE;
    return com::guarded([] { NimboConf::instance().show(); });
}

com::HRESULT clsVexoPlugIn::Init(com::BSTR, com::BSTR, vexo::IVexoPluginHelper** vexoPluginHelper,
                                 com::VARIANT_BOOL* result) {
    if (!onOwnThread()) return com::RPC_E_WRONG_THREAD;
    if (!vexoPluginHelper || !result) return com::E_POINTER;
    *result = com::VARIANT_FALSE;
    // The new reference is taken before the old one is let go.
    NimboCode.PluginHelper = com::ComPtr<vexo::IVexoPluginHelper>(*vexoPluginHelper);
    *result = com::VARIANT_TRUE;
    return com::S_OK;
}

com::HRESULT clsVexoPlugIn::MessageHandle(int32_t* msg, int32_t* arg1, int32_t* arg2, int32_t* result) {
    if (!onOwnThread()) return com::RPC_E_WRONG_THREAD;
    if (!msg || !arg1 || !arg2 || !result) return com::E_POINTER;
    *result = 0;
    if (*msg != vexo::kMsgChannelValue) return com::S_OK;
    // The end of the channel window must stay in StartChannel's 16-bit range.
    const int32_t start = NimboCode.StartChannel;
    const int32_t end = start + kChannelWindow;
    if (end > INT16_MAX) return failWith(com::kErrOverflow);
    // StartChannel itself drives no nimbo (UpdateNimbo would refuse it with
    // error 340), so it is ignored like every channel outside the window.
    if (*arg1 <= start || *arg1 >= end) return com::S_OK;
    return showChannelValue(*arg1, *arg2);
}

com::HRESULT clsVexoPlugIn::Term(com::VARIANT_BOOL* result) {
    if (!onOwnThread()) return com::RPC_E_WRONG_THREAD;
    if (!result) return com::E_POINTER;
    *result = com::VARIANT_TRUE;
    return com::S_OK;
}

com::HRESULT clsVexoPlugIn::get_ModuleInfo(vexo::IVexoModuleInfo** result) {
    if (!onOwnThread()) return com::RPC_E_WRONG_THREAD;
    if (!result) return com::E_POINTER;
    *result = nullptr;
    return com::guarded([result]() -> com::HRESULT {
        const com::Bstr moduleId(kModuleId), displayName(kDisplayName), description(kDescription),
            author(kAuthor), toolWindowName(kToolWindowName);

        com::ComPtr<vexo::IVexoModuleInfo> info;
        com::HRESULT status = com::CoCreateInstance(vexo::CLSID_VexoModuleInfo, nullptr,
                                                    com::uuidof<vexo::IVexoModuleInfo>(), info.putVoid());
        if (com::FAILED(status)) return status;
        if (!info) com::raise(com::kErrCannotCreateObject, "VexoModuleInfo");

        // One call per property, in the host's order; the first failure
        // ends the run and the partly filled object is released with info.
        const auto step = [&status](auto&& call) {
            if (com::SUCCEEDED(status)) status = call();
        };
        step([&] { return info->put_ModuleId(moduleId.get()); });
        step([&] { return info->put_DisplayName(displayName.get()); });
        step([&] { return info->put_Description(description.get()); });
        step([&] { return info->put_Author(author.get()); });
        step([&] { return info->put_StartEnabled(com::VARIANT_TRUE); });
        step([&] { return info->put_ShowInMenu(com::VARIANT_TRUE); });
        step([&] { return info->put_ModuleKind(2); });
        step([&] { return info->put_ToolWindowName(toolWindowName.get()); });
        step([&] {
            vexo::IVexoTool* window = &NimboForm::instance();
            return info->putref_ToolWindow(window);
        });
        step([&] { return info->put_DockPosition(0); });
        step([&] { return info->put_UsesProjectData(com::VARIANT_FALSE); });
        step([&] { return info->put_ShowToolWindowAtStart(com::VARIANT_TRUE); });
        step([&] { return info->put_SendsMessages(com::VARIANT_FALSE); });

        com::ComPtr<com::ICollection> messages;
        step([&] { return info->get_Messages(messages.put()); });
        if (com::FAILED(status)) return status;
        if (!messages) com::raise(kErrObjectNotSet, "VexoModuleInfo.Messages");
        const com::Variant missing = com::Variant::missing();
        status = messages->Add(com::Variant::fromInt32(vexo::kMsgChannelValue).get(), missing.get(),
                               missing.get(), missing.get());
        if (com::FAILED(status)) return status;

        *result = info.detach();
        return com::S_OK;
    });
}

}  // namespace nimbo
