// SPDX-License-Identifier: GPL-3.0-or-later
// The plug-in's members through the vtables of the IDL, through IDispatch by
// the names of the registered libraries, and from another apartment.
#include <atomic>
#include <functional>
#include <map>
#include <string>
#include <thread>

#include "Nimbo.h"
#include "VexoTypeLib.h"
#include "tests/windows/clientcheck.h"
#include "tests/windows/latebinding.h"
#include "tests/windows/typelibwalk.h"

using namespace client;

namespace {

using Libraries = std::map<std::string, std::map<std::string, TypeEntry>>;

GUID guidOf(const Libraries& libraries, const std::string& library, const std::string& name) {
    const auto& types = libraries.at(library);
    const auto found = types.find(name);
    return found == types.end() ? GUID{} : found->second.guid;
}

void checkMessages(IVexoPlugin* plugin) {
    const struct {
        LONG msg, channel, value;
        const char* what;
    } rows[] = {
        {15, 1, 120, "channel 1, the first nimbo"},
        {15, 9, 255, "channel 9, the last nimbo"},
        {15, 10, 5, "channel 10, past the window"},
        {15, 0, 5, "channel 0, StartChannel itself"},
        {15, -1, 5, "channel -1"},
        {14, 3, 5, "message 14"},
        {16, 3, 5, "message 16"},
        {15, 3, 256, "value 256, which no nimbo shows"},
        {15, 3, -1, "value -1"},
        {15, INT_MAX, INT_MIN, "the extremes of 32 bits"},
    };
    for (const auto& row : rows) {
        LONG msg = row.msg, channel = row.channel, value = row.value, result = -7;
        const HRESULT status = plugin->MessageHandle(&msg, &channel, &value, &result);
        check(status == S_OK && result == 0 && msg == row.msg && channel == row.channel && value == row.value,
              std::string("MessageHandle: ") + row.what + " (" + hex(status) + ")");
    }
}

void checkModuleInfo(IVexoModule* module, const Libraries& libraries) {
    Ref<IVexoModuleInfo> info;
    if (!check(module->get_ModuleInfo(info.put()) == S_OK && info, "ModuleInfo gives an object")) return;
    const auto text = [&](HRESULT (__stdcall IVexoModuleInfo::*get)(BSTR*)) {
        Text value;
        return (info.get()->*get)(value.put()) == S_OK ? value.utf8() : std::string("<failed>");
    };
    const auto number = [&](HRESULT (__stdcall IVexoModuleInfo::*get)(LONG*)) {
        LONG value = 12345;
        return (info.get()->*get)(&value) == S_OK ? value : 12345;
    };
    const std::string id = text(&IVexoModuleInfo::get_ModuleId);
    check(id.size() == 38 && id.front() == '{' && id.back() == '}' &&
              id.find_first_of("ABCDEF") == std::string::npos,
          "1 ModuleId in registry form, lower case: " + id);
    check(text(&IVexoModuleInfo::get_DisplayName) == "Nimbo Lux", "2 DisplayName");
    check(text(&IVexoModuleInfo::get_Description) == "coloring Nimbos, Version 2.9.0", "3 Description");
    check(!text(&IVexoModuleInfo::get_Author).empty(), "4 Author");
    check(number(&IVexoModuleInfo::get_StartEnabled) == -1, "5 StartEnabled -1");
    check(number(&IVexoModuleInfo::get_ShowInMenu) == -1, "6 ShowInMenu -1");
    check(number(&IVexoModuleInfo::get_ModuleKind) == 2, "7 ModuleKind 2");
    check(text(&IVexoModuleInfo::get_ToolWindowName) == "NimboForm", "8 ToolWindowName");
    check(number(&IVexoModuleInfo::get_DockPosition) == 0, "10 DockPosition 0");
    check(number(&IVexoModuleInfo::get_UsesProjectData) == 0, "11 UsesProjectData 0");
    check(number(&IVexoModuleInfo::get_ShowToolWindowAtStart) == -1, "12 ShowToolWindowAtStart -1");
    check(number(&IVexoModuleInfo::get_SendsMessages) == 0, "13 SendsMessages 0");

    Ref<ICollection> messages;
    LONG count = 0;
    if (check(info->get_Messages(messages.put()) == S_OK && messages && messages->get_Count(&count) == S_OK &&
                  count == 1,
              "Messages holds one item")) {
        VARIANT item;
        VariantInit(&item);
        const HRESULT status = messages->Item(longValue(1), &item);
        check(status == S_OK && item.vt == VT_I4 && item.lVal == 15, "its item is the 32-bit integer 15");
        VariantClear(&item);
        // A failing member: its run-time error and description reach the caller.
        const HRESULT missing = messages->Item(longValue(2), &item);
        Ref<ISupportErrorInfo> support;
        messages->QueryInterface(IID_ISupportErrorInfo, support.putVoid());
        check(
            missing == static_cast<HRESULT>(0x800A0009) && support &&
                support->InterfaceSupportsErrorInfo(guidOf(libraries, "VexoTypeLib", "ICollection")) == S_OK,
            "Item(2) fails with run-time error 9 (" + hex(missing) + ") and says it has error info");
        check(errorDescription() == "Subscript out of range", "the error info describes it");
        VariantClear(&item);
    }

    Ref<IDispatch> window;
    Ref<IVexoTool> tool;
    if (check(info->get_ToolWindow(window.put()) == S_OK && window &&
                  SUCCEEDED(
                      window->QueryInterface(guidOf(libraries, "VexoTypeLib", "IVexoTool"), tool.putVoid())),
              "9 ToolWindow is the display window, an IVexoTool")) {
        VARIANT_BOOL ask = -1;
        check(tool->ClearProjectData() == S_OK && tool->LoadProjectData() == S_OK &&
                  tool->SaveProjectData() == S_OK && tool->AskToSaveProjectData(&ask) == S_OK &&
                  ask == VARIANT_FALSE && tool->put_ViewMode(1) == S_OK,
              "IVexoTool through its vtable: nothing to clear, load or save; no question");
    }
    // A second call: a new object, the same window.
    Ref<IVexoModuleInfo> second;
    Ref<IDispatch> secondWindow;
    Ref<IUnknown> a, b;
    if (module->get_ModuleInfo(second.put()) == S_OK && second &&
        second->get_ToolWindow(secondWindow.put()) == S_OK && window && secondWindow) {
        window->QueryInterface(IID_IUnknown, a.putVoid());
        secondWindow->QueryInterface(IID_IUnknown, b.putVoid());
    }
    check(second && second.get() != info.get() && a && a.get() == b.get(),
          "a second ModuleInfo is another object with the same window");
}

struct Call {
    const wchar_t* name;
    WORD flags;
    std::function<HRESULT(IDispatch*, const wchar_t*, WORD, VARIANT*)> invoke;
    VARTYPE type;  // of the result; VT_EMPTY for none
    LONG value;    // VT_BOOL / VT_I4 results
};

void checkLateBinding(IDispatch* plugin, IDispatch* module, IDispatch* tool, IDispatch* helper,
                      const Libraries& libraries) {
    const auto none = [](IDispatch* o, const wchar_t* n, WORD f, VARIANT* r) {
        return invokeByName(o, n, f, {}, r);
    };
    Text title(L"comclient"), file(L"Nimbolux.dll");
    IDispatch* helperSlot = helper;
    LONG msg = 15, channel = 2, value = 60;
    const std::vector<std::pair<IDispatch*, Call>> calls = {
        {plugin, {L"Disable", DISPATCH_METHOD, none, VT_BOOL, VARIANT_FALSE}},
        {plugin, {L"Enable", DISPATCH_METHOD, none, VT_BOOL, VARIANT_TRUE}},
        {plugin, {L"Configure", DISPATCH_METHOD, none, VT_BOOL, VARIANT_TRUE}},
        {plugin,
         {L"Init", DISPATCH_METHOD,
          [&](IDispatch* o, const wchar_t* n, WORD f, VARIANT* r) {
              return invokeByName(
                  o, n, f, {textValue(title.get()), textValue(file.get()), objectReference(&helperSlot)}, r);
          },
          VT_BOOL, VARIANT_TRUE}},
        {plugin,
         {L"MessageHandle", DISPATCH_METHOD,
          [&](IDispatch* o, const wchar_t* n, WORD f, VARIANT* r) {
              return invokeByName(o, n, f,
                                  {longReference(&msg), longReference(&channel), longReference(&value)}, r);
          },
          VT_I4, 0}},
        {plugin, {L"PluginName", DISPATCH_PROPERTYGET, none, VT_BSTR, 0}},
        {plugin, {L"Term", DISPATCH_METHOD, none, VT_BOOL, VARIANT_TRUE}},
        {module, {L"ModuleInfo", DISPATCH_PROPERTYGET, none, VT_DISPATCH, 0}},
        {tool, {L"ClearProjectData", DISPATCH_METHOD, none, VT_EMPTY, 0}},
        {tool, {L"LoadProjectData", DISPATCH_METHOD, none, VT_EMPTY, 0}},
        {tool, {L"SaveProjectData", DISPATCH_METHOD, none, VT_EMPTY, 0}},
        {tool, {L"AskToSaveProjectData", DISPATCH_METHOD, none, VT_BOOL, VARIANT_FALSE}},
        {tool,
         {L"ViewMode", DISPATCH_PROPERTYPUT,
          [](IDispatch* o, const wchar_t* n, WORD f, VARIANT* r) {
              return invokeByName(o, n, f, {longValue(1)}, r);
          },
          VT_EMPTY, 0}},
    };
    const auto& vexo = libraries.at("VexoTypeLib");
    for (const auto& [object, call] : calls) {
        VARIANT result;
        DISPID id = DISPID_UNKNOWN;
        HRESULT status = E_FAIL;
        if (object) status = call.invoke(object, call.name, call.flags, &result);
        (void)id;
        bool ok = status == S_OK && result.vt == call.type;
        if (ok && call.type == VT_BOOL) ok = result.boolVal == call.value;
        if (ok && call.type == VT_I4) ok = result.lVal == call.value;
        if (ok && call.type == VT_BSTR) ok = utf8(result.bstrVal) == "Nimbo";
        if (ok && call.type == VT_DISPATCH) ok = result.pdispVal != nullptr;
        check(ok, "Invoke " + utf8(call.name) + " by its name (" + hex(status) + ")");
        if (SUCCEEDED(status)) VariantClear(&result);
    }
    // Every member the library names has the DISPID the object answers for its name.
    for (const auto& [object, name] : std::vector<std::pair<IDispatch*, std::string>>{
             {plugin, "IVexoPlugin"}, {module, "IVexoModule"}, {tool, "IVexoTool"}}) {
        const TypeEntry& entry = vexo.at(name);
        bool same = object != nullptr;
        for (size_t i = 0; same && i < entry.members.size(); ++i) {
            const std::wstring wide(entry.members[i].name.begin(), entry.members[i].name.end());
            LPOLESTR names[] = {const_cast<LPOLESTR>(wide.c_str())};
            DISPID id = DISPID_UNKNOWN;
            same = object->GetIDsOfNames(IID_NULL, names, 1, 0, &id) == S_OK && id == entry.memberIds[i];
        }
        check(same, name + ": GetIDsOfNames gives the library's DISPID for every member");
    }
    VARIANT ignored;
    check(invokeByName(plugin, L"NoSuchMember", DISPATCH_METHOD, {}, &ignored) == DISP_E_UNKNOWNNAME,
          "a member the library does not name is unknown");
}

// A call from a thread of the multithreaded apartment: the proxy that the
// type-library marshaller builds carries it to the plug-in's own thread,
// which pumps messages meanwhile; the raw pointer is refused on that thread.
void checkOtherApartment(IVexoPlugin* plugin, const GUID& iid) {
    IStream* stream = nullptr;
    if (!check(CoMarshalInterThreadInterfaceInStream(iid, plugin, &stream) == S_OK,
               "IVexoPlugin is marshalled by the type library"))
        return;
    std::atomic<bool> done{false};
    HRESULT call = E_FAIL, name = E_FAIL, direct = E_FAIL;
    LONG result = -1;
    std::string pluginName;
    std::thread other([&] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        IVexoPlugin* proxy = nullptr;
        if (CoGetInterfaceAndReleaseStream(stream, iid, reinterpret_cast<void**>(&proxy)) == S_OK) {
            LONG msg = 15, channel = 4, value = 200;
            call = proxy->MessageHandle(&msg, &channel, &value, &result);
            Text text;
            name = proxy->get_PluginName(text.put());
            pluginName = text.utf8();
            proxy->Release();
        }
        VARIANT_BOOL ignored;
        direct = plugin->Disable(&ignored);
        CoUninitialize();
        done = true;
    });
    while (!done) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    other.join();
    check(call == S_OK && result == 0, "MessageHandle through the proxy (" + hex(call) + ")");
    check(name == S_OK && pluginName == "Nimbo", "PluginName through the proxy");
    check(direct == RPC_E_WRONG_THREAD,
          "the unmarshalled pointer is refused on another thread (" + hex(direct) + ")");
}

}  // namespace

void checkPlugin(const Libraries& libraries) {
    CLSID clsid{};
    check(CLSIDFromProgID(L"Nimbo.clsVexoPlugIn", &clsid) == S_OK &&
              IsEqualGUID(clsid, guidOf(libraries, "Nimbo", "clsVexoPlugIn")),
          "Nimbo.clsVexoPlugIn names the class of the type library");
    Ref<IUnknown> object;
    if (!check(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object.putVoid()) == S_OK,
               "CoCreateInstance by the ProgID's class"))
        return;
    Ref<_clsVexoPlugIn> main;
    Ref<IVexoPlugin> plugin;
    Ref<IVexoModule> module;
    const GUID pluginIid = guidOf(libraries, "VexoTypeLib", "IVexoPlugin");
    check(
        object->QueryInterface(guidOf(libraries, "Nimbo", "_clsVexoPlugIn"), main.putVoid()) == S_OK &&
            object->QueryInterface(pluginIid, plugin.putVoid()) == S_OK &&
            object->QueryInterface(guidOf(libraries, "VexoTypeLib", "IVexoModule"), module.putVoid()) == S_OK,
        "the object answers each interface of its class");
    if (!main || !plugin || !module) return;

    Ref<IDispatch> dispatch;
    Ref<ITypeInfo> typeInfo;
    UINT count = 0;
    Text typeName;
    check(object->QueryInterface(IID_IDispatch, dispatch.putVoid()) == S_OK &&
              dispatch->GetTypeInfoCount(&count) == S_OK && count == 1 &&
              dispatch->GetTypeInfo(0, 0, typeInfo.put()) == S_OK &&
              typeInfo->GetDocumentation(MEMBERID_NIL, typeName.put(), nullptr, nullptr, nullptr) == S_OK &&
              typeName.utf8() == "_clsVexoPlugIn",
          "IDispatch is the default interface, with its type information");

    Text name;
    check(main->get_PluginName(name.put()) == S_OK && name.utf8() == "Nimbo",
          "_clsVexoPlugIn.PluginName is \"Nimbo\"");
    check(plugin->get_PluginName(name.put()) == S_OK && name.utf8() == "Nimbo",
          "IVexoPlugin.PluginName is \"Nimbo\"");
    VARIANT_BOOL flag = 1;
    check(plugin->Disable(&flag) == S_OK && flag == VARIANT_FALSE, "Disable is false");
    check(plugin->Enable(&flag) == S_OK && flag == VARIANT_TRUE, "Enable is true");
    check(plugin->Term(&flag) == S_OK && flag == VARIANT_TRUE, "Term is true");
    Ref<IVexoPluginHelper> helper;
    check(
        CoCreateInstance(guidOf(libraries, "VexoTypeLib", "VexoPluginHelper"), nullptr, CLSCTX_INPROC_SERVER,
                         guidOf(libraries, "VexoTypeLib", "IVexoPluginHelper"), helper.putVoid()) == S_OK,
        "the host's server creates a VexoPluginHelper");
    Text title(L"comclient"), file(L"Nimbolux.dll"), hostTitle;
    IVexoPluginHelper* slot = helper.get();
    check(helper && helper->get_HostTitle(hostTitle.put()) == S_OK && hostTitle.utf8() == "vexo-host" &&
              plugin->Init(title.get(), file.get(), &slot, &flag) == S_OK && flag == VARIANT_TRUE,
          "Init keeps the helper and is true");
    checkMessages(plugin.get());
    checkModuleInfo(module.get(), libraries);
    check(plugin->Configure(&flag) == S_OK && flag == VARIANT_TRUE, "Configure shows the dialog and is true");

    Ref<IDispatch> toolWindow;
    Ref<IVexoModuleInfo> info;
    if (module->get_ModuleInfo(info.put()) == S_OK) info->get_ToolWindow(toolWindow.put());
    Ref<IDispatch> tool;
    if (toolWindow) toolWindow->QueryInterface(guidOf(libraries, "VexoTypeLib", "IVexoTool"), tool.putVoid());
    Ref<IDispatch> helperDispatch;
    if (helper) helper->QueryInterface(IID_IDispatch, helperDispatch.putVoid());
    checkLateBinding(reinterpret_cast<IDispatch*>(plugin.get()), reinterpret_cast<IDispatch*>(module.get()),
                     tool.get(), helperDispatch.get(), libraries);
    checkOtherApartment(plugin.get(), pluginIid);
}
