// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_LABEL_H_
#define PLATFORM_FORMS_LABEL_H_

// The toolkit's back end for this system: Win32 on Windows, Qt Widgets elsewhere.
#if defined(_WIN32)
#include "platform/forms/win32/label.h"
#else
#include "platform/forms/qt/label.h"
#endif

#endif  // PLATFORM_FORMS_LABEL_H_
