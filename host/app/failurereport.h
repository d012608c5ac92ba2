// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_APP_FAILUREREPORT_H_
#define HOST_APP_FAILUREREPORT_H_

#include <QString>

namespace vexohost {

// Failures of the run, told on standard error as "WHAT: why". The same why
// again and again is said once; the repeats are counted and the count is
// said when another failure comes or the run ends (flush()).
class FailureReport {
public:
    // Returns true when the text was printed, false when it only counted.
    bool report(const QString& text);
    // Says how often the last failure repeated, if it did.
    void flush();

private:
    QString m_last;  // the why of the last failure printed
    int m_repeats = 0;
};

}  // namespace vexohost

#endif  // HOST_APP_FAILUREREPORT_H_
