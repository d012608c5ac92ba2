// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/outputs/csvwriter.h"

namespace vexohost {

bool CsvWriter::open(const QString& path, int firstChannel) {
    if (!m_out.open(path)) return false;
    std::string& buffer = m_out.buffer();
    buffer = "ms";
    for (int lane = 0; lane < kLanes; ++lane) {
        buffer += ",ch";
        appendNumber(buffer, firstChannel + lane);
    }
    buffer += '\n';
    return true;
}

void CsvWriter::take(int64_t ms, int lane, int32_t value) {
    const auto k = size_t(lane);
    if (m_set[k] && m_values[k] == value) return;
    // The changes of one moment make one row, written when the next begins.
    if (m_rowMs >= 0 && ms != m_rowMs) appendRow();
    m_rowMs = ms;
    m_values[k] = value;
    m_set[k] = true;
}

void CsvWriter::mark(int64_t ms) {
    if (m_rowMs >= 0 && ms != m_rowMs) appendRow();
    m_rowMs = ms;
}

void CsvWriter::appendRow() {
    std::string& buffer = m_out.buffer();
    appendNumber(buffer, m_rowMs);
    for (int lane = 0; lane < kLanes; ++lane) {
        buffer += ',';
        if (m_set[size_t(lane)]) appendNumber(buffer, m_values[size_t(lane)]);
    }
    buffer += '\n';
    ++m_rows;
    m_out.flushIfFull();
}

bool CsvWriter::close() {
    if (m_rowMs >= 0) appendRow();
    m_rowMs = -1;
    return m_out.close();
}

}  // namespace vexohost
