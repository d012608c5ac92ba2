// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_WIN32_APPPATH_H_
#define PLATFORM_FORMS_WIN32_APPPATH_H_

#include "platform/forms/win32/text.h"

namespace forms {

// The folder of the DLL or program whose code or data holds address, as an
// absolute path without a trailing separator.
String modulePathOf(const void* address);

namespace {
// One per module that includes this header.
[[maybe_unused]] const char kModuleAnchor = 0;
}  // namespace

// App.Path: the folder of the module whose code calls it (a plug-in gets its
// own folder, not the host's).
[[maybe_unused]] static inline String appPath() {
    return modulePathOf(&kModuleAnchor);
}

}  // namespace forms

#endif  // PLATFORM_FORMS_WIN32_APPPATH_H_
