// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLUGIN_CLSVEXOPLUGIN_H_
#define PLUGIN_CLSVEXOPLUGIN_H_

#include <string_view>

#include "nimbo/nimbotypelib.h"
#include "platform/com/dispatch.h"
#include "platform/com/object.h"
#include "vexo/vexotypelib.h"

namespace nimbo {

// The module identity the plug-in reports in its module information.
constexpr std::string_view kModuleId = "{84be0ec3-7a0a-4ab8-b487-da838aceb20d}";
constexpr std::string_view kDisplayName = "Nimbo Lux";
constexpr std::string_view kDescription = "coloring Nimbos, Version 2.9.0";
constexpr std::string_view kAuthor = "Nimbo Lux developers";
constexpr std::string_view kToolWindowName = "NimboForm";

// The plug-in's one public class, which the host creates and drives.
//
// It keeps no plug-in state of its own: the helper object goes into
// NimboCode.PluginHelper, and the display window and the colour dialog are
// the single instances of NimboForm and NimboConf, created on first use and
// kept until the plug-in is unloaded.
//
// Every member runs on the thread that created the object (the host's
// single-threaded apartment); a call from any other thread is refused with
// RPC_E_WRONG_THREAD before it touches anything. A null out-parameter or
// by-reference argument gives E_POINTER, also before anything changes. Any
// other failure reaches the host as the status of its run-time error, with
// the description in com::errorInfo(); a result already assigned stays.
class clsVexoPlugIn : public com::ComObject<com::Dual<_clsVexoPlugIn>, com::Dual<vexo::IVexoPlugin>,
                                            com::Dual<vexo::IVexoModule>> {
public:
    clsVexoPlugIn();
    ~clsVexoPlugIn() override;

    // How many objects of the class are alive in this server.
    static int liveObjects();

    // _clsVexoPlugIn and IVexoPlugin: both declare it, this one serves both.
    com::HRESULT NIMBO_COM_CALL get_PluginName(com::BSTR* result) override;

    // IVexoPlugin
    com::HRESULT NIMBO_COM_CALL Disable(com::VARIANT_BOOL* result) override;
    com::HRESULT NIMBO_COM_CALL Enable(com::VARIANT_BOOL* result) override;
    com::HRESULT NIMBO_COM_CALL Configure(com::VARIANT_BOOL* result) override;
    // *vexoPluginHelper (may be null) replaces the helper kept by an earlier
    // Init, which is released; the plug-in keeps its own counted reference.
    com::HRESULT NIMBO_COM_CALL Init(com::BSTR callingAppTitle, com::BSTR myFilename,
                                     vexo::IVexoPluginHelper** vexoPluginHelper,
                                     com::VARIANT_BOOL* result) override;
    // Passes a channel value (message 15) for the nimbos' channels on to the
    // display window; ignores everything else.
    com::HRESULT NIMBO_COM_CALL MessageHandle(int32_t* msg, int32_t* arg1, int32_t* arg2,
                                              int32_t* result) override;
    com::HRESULT NIMBO_COM_CALL Term(com::VARIANT_BOOL* result) override;

    // IVexoModule: a new VexoModuleInfo, owned by the caller.
    com::HRESULT NIMBO_COM_CALL get_ModuleInfo(vexo::IVexoModuleInfo** result) override;

private:
    // The calling thread's identity, read in one instruction instead of a
    // call, as every message passes this check: its thread pointer (the
    // value that pthread_self() returns), on Windows its thread environment
    // block (what NtCurrentTeb() returns).
    static const void* currentThread() {
#if defined(_WIN64)
        const void* block;
        asm("mov %%gs:0x30, %0" : "=r"(block));
        return block;
#elif defined(_WIN32)
        const void* block;
        asm("mov %%fs:0x18, %0" : "=r"(block));
        return block;
#else
        return __builtin_thread_pointer();
#endif
    }
    bool onOwnThread() const {
        return currentThread() == m_apartment;
    }

    // The thread that created the object: its apartment, not plug-in state.
    const void* const m_apartment;
};

}  // namespace nimbo

#endif  // PLUGIN_CLSVEXOPLUGIN_H_
