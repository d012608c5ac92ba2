// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef WIN32_CONSOLEHOST_WINDOWSHOT_H_
#define WIN32_CONSOLEHOST_WINDOWSHOT_H_

#include <string>

struct HWND__;

namespace vexohost {

// Writes the client area of window, as the window paints it (PrintWindow),
// to a PNG file at path: into a temporary file beside it first, then put in
// its place, so that a failure leaves no half-written file. Returns an
// empty string on success, else what went wrong.
std::string writeWindowShot(HWND__* window, const std::wstring& path);

}  // namespace vexohost

#endif  // WIN32_CONSOLEHOST_WINDOWSHOT_H_
