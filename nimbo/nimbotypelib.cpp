// SPDX-License-Identifier: GPL-3.0-or-later
#include "nimbo/nimbotypelib.h"

#include "platform/com/dispatchbuilder.h"

template <>
const com::DispatchTable& com::dispatchTable<nimbo::_clsVexoPlugIn>() {
    using I = nimbo::_clsVexoPlugIn;
    static const auto table = makeDispatchTable<I>(propertyGet("PluginName", &I::get_PluginName));
    return table;
}
