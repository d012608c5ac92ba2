// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/files/bufferedoutput.h"

#include <charconv>

namespace vexohost {

void appendNumber(std::string& to, int64_t n) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    to.append(digits, end);
}

BufferedOutput::BufferedOutput(QObject* parent) : QObject(parent) {
    m_flush.setInterval(250);
    connect(&m_flush, &QTimer::timeout, this, &BufferedOutput::flush);
}

bool BufferedOutput::open(const QString& path) {
    if (!m_file.open(path)) return false;
    m_flush.start();
    m_buffer.reserve(kBuffer);
    return true;
}

bool BufferedOutput::flush() {
    if (m_failed) return false;
    const size_t complete = m_buffer.rfind('\n') + 1;
    if (complete == 0) return true;
    if (!m_file.write(m_buffer.data(), complete)) {
        m_failed = true;
        return false;
    }
    m_buffer.erase(0, complete);
    return true;
}

bool BufferedOutput::close() {
    m_flush.stop();
    if (!m_buffer.empty() && m_buffer.back() != '\n') m_buffer += '\n';
    if (!flush() || !m_file.commit()) {
        m_file.discard();
        return false;
    }
    return true;
}

}  // namespace vexohost
