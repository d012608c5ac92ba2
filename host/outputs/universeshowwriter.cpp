// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/outputs/universeshowwriter.h"

#include <algorithm>
#include <cstring>

namespace vexohost {

bool UniverseShowWriter::open(const QString& path, unsigned universe) {
    if (!m_out.open(path)) return false;
    m_universe = universe;
    m_out.buffer() = "OLA Show\n";
    return true;
}

void UniverseShowWriter::takeFrame(int64_t ms, unsigned universe, const uint8_t* slots, unsigned size) {
    writePending();
    size = std::min<unsigned>(size, kUniverseSize);
    m_universe = universe;
    std::memcpy(m_slots.data(), slots, size);
    m_size = size;
    writeFrame(ms);
}

void UniverseShowWriter::take(int64_t ms, int64_t channel, int64_t value) {
    if (channel < 1 || channel > kUniverseSize || value < 0 || value > 255) return;
    const auto slot = size_t(channel - 1);
    if (slot < m_size && m_slots[slot] == value) return;
    if (m_pendingMs >= 0 && ms != m_pendingMs) writePending();
    // Slots a frame did not carry are 0 to OLA: a change beyond them carries them.
    for (size_t k = m_size; k < slot; ++k) m_slots[k] = 0;
    m_size = std::max(m_size, unsigned(slot + 1));
    m_slots[slot] = uint8_t(value);
    m_pendingMs = ms;
}

void UniverseShowWriter::writePending() {
    if (m_pendingMs < 0) return;
    const int64_t ms = m_pendingMs;
    m_pendingMs = -1;
    writeFrame(ms);
}

void UniverseShowWriter::writeFrame(int64_t ms) {
    if (m_size == 0) return;  // OLA has no frame of no slots
    std::string& buffer = m_out.buffer();
    if (m_lastFrameMs >= 0) {
        appendNumber(buffer, std::max<int64_t>(0, ms - m_lastFrameMs));
        buffer += '\n';
    }
    m_lastFrameMs = std::max(ms, m_lastFrameMs);
    appendNumber(buffer, m_universe);
    buffer += ' ';
    for (unsigned k = 0; k < m_size; ++k) {
        if (k > 0) buffer += ',';
        appendNumber(buffer, m_slots[k]);
    }
    buffer += '\n';
    ++m_frames;
    m_out.flushIfFull();
}

bool UniverseShowWriter::close() {
    writePending();
    return m_out.close();
}

}  // namespace vexohost
