// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/apppath.h"

#include <dlfcn.h>
#include <link.h>

#include <QDir>
#include <QFileInfo>

namespace forms {

QString modulePathOf(const void* address) {
    Dl_info info{};
    link_map* module = nullptr;
    if (!dladdr1(address, &info, reinterpret_cast<void**>(&module), RTLD_DL_LINKMAP) || !module) return {};
    // The main program has an empty name in the link map, and dli_fname is
    // then only what it was started as; the kernel knows its real file.
    const QString file = module->l_name[0] ? QFile::decodeName(module->l_name)
                                           : QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
    return QDir::cleanPath(QFileInfo(file).absolutePath());
}

}  // namespace forms
