// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/files/console.h"

#include "host/session/hostclasses.h"

namespace vexohost {

void printLine(FILE* to, const QString& text) {
    std::fprintf(to, "%s\n", text.toLocal8Bit().constData());
    std::fflush(to);
}

void printError(const QString& text) {
    printLine(stderr, QString::fromLatin1(kHostTitle) + QStringLiteral(": ") + text);
}

}  // namespace vexohost
