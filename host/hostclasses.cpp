#include "host/hostclasses.h"

#include <string>

#include "host/vexomoduleinfo.h"
#include "host/vexopluginhelper.h"
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
