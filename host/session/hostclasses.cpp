// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/session/hostclasses.h"

#include <string>

#include "host/session/vexomoduleinfo.h"
#include "host/session/vexopluginhelper.h"
#include "platform/com/classfactory.h"
#include "platform/com/classtable.h"

namespace vexohost {

void registerHostClasses() {
    com::registerClass(vexo::CLSID_VexoModuleInfo, std::string(kModuleInfoProgId),
                       com::makeClassFactory<VexoModuleInfo>());
    com::registerClass(vexo::CLSID_VexoPluginHelper, std::string(kPluginHelperProgId),
                       com::makeClassFactory<VexoPluginHelper>());
}

}  // namespace vexohost
