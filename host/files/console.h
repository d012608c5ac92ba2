// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_FILES_CONSOLE_H_
#define HOST_FILES_CONSOLE_H_

#include <QString>
#include <cstdio>

namespace vexohost {

// One line to a console stream, in the locale's encoding, flushed at once so
// that the lines of stdout and stderr keep their order in a terminal.
void printLine(FILE* to, const QString& text);
// "vexo-host: text" on standard error.
void printError(const QString& text);

}  // namespace vexohost

#endif  // HOST_FILES_CONSOLE_H_
