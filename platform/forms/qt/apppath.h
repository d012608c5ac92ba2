// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_QT_APPPATH_H_
#define PLATFORM_FORMS_QT_APPPATH_H_

#include <QString>

namespace forms {

// The folder of the executable or shared library whose code or data holds
// address, as an absolute path without a trailing separator.
QString modulePathOf(const void* address);

namespace {
// One per module that includes this header: internal linkage keeps the
// dynamic linker from unifying it across the host and a plug-in.
[[maybe_unused]] const char kModuleAnchor = 0;
}  // namespace

// App.Path: the folder of the module whose code calls it (a plug-in gets its
// own folder, not the host's). Static so that each module keeps its own copy.
[[maybe_unused]] static inline QString appPath() {
    return modulePathOf(&kModuleAnchor);
}

}  // namespace forms

#endif  // PLATFORM_FORMS_QT_APPPATH_H_
