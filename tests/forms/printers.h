// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESTS_FORMS_PRINTERS_H_
#define TESTS_FORMS_PRINTERS_H_

#include <QString>
#include <ostream>

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

#endif  // TESTS_FORMS_PRINTERS_H_
