// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef WIN32_CONSOLEHOST_MESSAGELOOP_H_
#define WIN32_CONSOLEHOST_MESSAGELOOP_H_

#include <chrono>
#include <string>

namespace vexohost {

// The console host's thread as a single-threaded apartment: the plug-in,
// its windows and their events all live on it. GUI thread only.
bool enterApartment();
void leaveApartment();

// Runs the message loop until deadline; at least once through what waits.
void pumpUntil(std::chrono::steady_clock::time_point deadline);
// Runs the message loop until no window of this thread is visible.
void runWhileWindowsShow();

std::string utf8(const std::wstring& wide);

}  // namespace vexohost

#endif  // WIN32_CONSOLEHOST_MESSAGELOOP_H_
