// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/session/vexopluginhelper.h"

#include "platform/com/runtimeerror.h"

namespace vexohost {

VexoPluginHelper::VexoPluginHelper(std::string hostTitle) : m_hostTitle(std::move(hostTitle)) {}

com::HRESULT VexoPluginHelper::get_HostTitle(com::BSTR* result) {
    if (!result) return com::E_POINTER;
    return com::guarded([&] { *result = com::allocBstr(m_hostTitle); });
}

}  // namespace vexohost
