// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_TEXT_H_
#define PLATFORM_FORMS_TEXT_H_

// The toolkit's text: captions, list entries, message-box prompts and file
// paths. QString with Qt; on Windows a string of UTF-16 code units with the
// same few members (win32/text.h).
#if defined(_WIN32)
#include "platform/forms/win32/text.h"
#else
#include <QString>

namespace forms {
using String = QString;
}  // namespace forms
#endif

#endif  // PLATFORM_FORMS_TEXT_H_
