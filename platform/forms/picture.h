// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_PICTURE_H_
#define PLATFORM_FORMS_PICTURE_H_

// The toolkit's back end for this system: Win32 on Windows, Qt Widgets elsewhere.
#if defined(_WIN32)
#include "platform/forms/win32/picture.h"
#else
#include "platform/forms/qt/picture.h"
#endif

#endif  // PLATFORM_FORMS_PICTURE_H_
