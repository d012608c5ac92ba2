// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/app/failurereport.h"

#include "host/files/console.h"

namespace vexohost {

bool FailureReport::report(const QString& text) {
    const QString why = text.section(QStringLiteral(": "), 1);
    if (!m_last.isEmpty() && why == m_last) {
        ++m_repeats;
        return false;
    }
    flush();
    m_last = why;
    printLine(stderr, text);
    return true;
}

void FailureReport::flush() {
    if (m_repeats > 0)
        printLine(stderr, QStringLiteral("  (the same failure %1 more time%2)")
                              .arg(m_repeats)
                              .arg(m_repeats == 1 ? "" : "s"));
    m_repeats = 0;
    m_last.clear();
}

}  // namespace vexohost
