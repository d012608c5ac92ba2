// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_SESSION_VEXOPLUGINHELPER_H_
#define HOST_SESSION_VEXOPLUGINHELPER_H_

#include <string>

#include "host/session/hostclasses.h"
#include "platform/com/object.h"
#include "vexo/vexotypelib.h"

namespace vexohost {

// The helper object the host hands to a plug-in's Init. Plug-ins may keep a
// counted reference to it for as long as they like.
class VexoPluginHelper : public com::ComObject<com::Dual<vexo::IVexoPluginHelper>> {
public:
    static constexpr const char* kDefaultHostTitle = kHostTitle;

    explicit VexoPluginHelper(std::string hostTitle = kDefaultHostTitle);

    // A new BSTR with the host's title, freed by the caller.
    com::HRESULT NIMBO_COM_CALL get_HostTitle(com::BSTR* result) override;

private:
    const std::string m_hostTitle;
};

}  // namespace vexohost

#endif  // HOST_SESSION_VEXOPLUGINHELPER_H_
