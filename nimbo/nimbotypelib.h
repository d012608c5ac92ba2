// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef NIMBO_NIMBOTYPELIB_H_
#define NIMBO_NIMBOTYPELIB_H_

// The plug-in's own type library Nimbo 1.0 ("Coloring Nimbos"): the one
// creatable class clsVexoPlugIn with its default dual interface
// _clsVexoPlugIn, and the host's IVexoPlugin and IVexoModule beside it.
// Hosts find the class by CLSID_clsVexoPlugIn or by the ProgID.

#include <string_view>

#include "platform/com/automation.h"
#include "platform/com/dispatch.h"

namespace nimbo {

constexpr com::GUID LIBID_Nimbo = com::makeGuid("6624892d-5e1a-48ce-83eb-409766e22054");
constexpr std::string_view kTypeLibVersion = "1.0";
constexpr std::string_view kTypeLibHelpString = "Coloring Nimbos";

constexpr com::CLSID CLSID_clsVexoPlugIn = com::makeGuid("2a3648be-24be-49a3-b4e4-cf2ea5a4ae92");
constexpr std::string_view kPluginProgId = "Nimbo.clsVexoPlugIn";

// The default interface of clsVexoPlugIn: the read-only PluginName.
struct _clsVexoPlugIn : com::IDispatch {
    static constexpr com::IID iid = com::makeGuid("bf18918e-18c1-4e97-8ee0-9bca0feb34d1");

    // A new BSTR that the caller frees.
    virtual com::HRESULT NIMBO_COM_CALL get_PluginName(com::BSTR* result) = 0;

protected:
    ~_clsVexoPlugIn() = default;
};

}  // namespace nimbo

template <>
const com::DispatchTable& com::dispatchTable<nimbo::_clsVexoPlugIn>();

#endif  // NIMBO_NIMBOTYPELIB_H_
