// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/app/showwriter.h"

#include <charconv>

namespace vexohost {
namespace {

void appendNumber(std::string& to, int64_t n) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    to.append(digits, end);
}

}  // namespace

ShowWriter::ShowWriter(QObject* parent) : QObject(parent) {
    m_flush.setInterval(250);
    connect(&m_flush, &QTimer::timeout, this, &ShowWriter::flush);
}

bool ShowWriter::open(const QString& path) {
    if (!m_file.open(path)) return false;
    m_flush.start();
    m_buffer.reserve(kBuffer);
    m_buffer = "# what a live input sent to vexo-host: TIME (ms from the start) CHANNEL=VALUE ...\n";
    return true;
}

void ShowWriter::take(int64_t ms, int64_t channel, int64_t value) {
    // A frame's changes come at once in channel order: one that takes a busy
    // GUI past a millisecond to pass on stays one moment.
    const bool sameFrame = m_lineMs >= 0 && channel > m_lastChannel && ms - m_lineMs < kFrameSpreadMs;
    m_lastChannel = channel;
    if (ms != m_lineMs && !sameFrame) {
        if (m_lineMs >= 0) m_buffer += '\n';
        appendNumber(m_buffer, ms);
        m_lineMs = ms;
        ++m_lines;
    }
    m_buffer += ' ';
    appendNumber(m_buffer, channel);
    m_buffer += '=';
    appendNumber(m_buffer, value);
    // Far more than a timer's worth: written at once rather than grown.
    if (m_buffer.size() > kBuffer - 64) flush();
}

bool ShowWriter::flush() {
    if (m_failed) return false;
    // The line being written stays until its moment is over.
    const size_t complete = m_buffer.rfind('\n') + 1;
    if (complete == 0) return true;
    if (!m_file.write(m_buffer.data(), complete)) {
        m_failed = true;
        return false;
    }
    m_buffer.erase(0, complete);
    return true;
}

bool ShowWriter::close() {
    m_flush.stop();
    if (m_lineMs >= 0) m_buffer += '\n';
    m_lineMs = -1;
    if (!flush() || !m_file.commit()) {
        m_file.discard();
        return false;
    }
    return true;
}

}  // namespace vexohost
