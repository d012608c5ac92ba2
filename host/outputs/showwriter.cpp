// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/outputs/showwriter.h"

namespace vexohost {

bool ShowWriter::open(const QString& path) {
    if (!m_out.open(path)) return false;
    m_out.buffer() = "# what vexo-host sent the plug-in: TIME (ms from the start) CHANNEL=VALUE ...\n";
    return true;
}

void ShowWriter::take(int64_t ms, int64_t channel, int64_t value, bool live) {
    std::string& buffer = m_out.buffer();
    // A frame's changes come at once in channel order: one that takes a busy
    // GUI past a millisecond to pass on stays one moment.
    const bool sameFrame = live && m_lineMs >= 0 && channel > m_lastChannel && ms - m_lineMs < kFrameSpreadMs;
    m_lastChannel = channel;
    if (ms != m_lineMs && !sameFrame) {
        if (m_lineMs >= 0) buffer += '\n';
        appendNumber(buffer, ms);
        m_lineMs = ms;
        ++m_lines;
    }
    buffer += ' ';
    appendNumber(buffer, channel);
    buffer += '=';
    appendNumber(buffer, value);
    m_out.flushIfFull();
}

bool ShowWriter::close() {
    m_lineMs = -1;
    return m_out.close();
}

}  // namespace vexohost
