// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_COM_WIN32_WIDE_H_
#define PLATFORM_COM_WIN32_WIDE_H_

// Text at the edge of the system's API, which speaks UTF-16 (wchar_t), and
// GUIDs in its spelling. For the runtime's Windows sources only.

#include <string>
#include <string_view>

#include "platform/com/guid.h"

namespace com::win32 {

// UTF-8 to UTF-16 and back; malformed input becomes U+FFFD.
std::wstring toWide(std::string_view utf8);
std::string fromWide(std::wstring_view wide);

// The registry form of a GUID, "{xxxxxxxx-...}", as wide text.
std::wstring wideGuid(const GUID& guid);

// The full path of the module (DLL or program) that holds address.
std::wstring modulePath(const void* address);

}  // namespace com::win32

#endif  // PLATFORM_COM_WIN32_WIDE_H_
