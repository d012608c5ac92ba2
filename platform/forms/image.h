// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_IMAGE_H_
#define PLATFORM_FORMS_IMAGE_H_

// The toolkit's back end for this system: Win32 on Windows, Qt Widgets elsewhere.
#if defined(_WIN32)
#include "platform/forms/win32/image.h"
#else
#include "platform/forms/qt/image.h"
#endif

#endif  // PLATFORM_FORMS_IMAGE_H_
