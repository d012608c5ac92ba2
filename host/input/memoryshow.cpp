// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/input/memoryshow.h"

namespace vexohost {

ShowSource::Step MemoryShow::next(ShowBatch* batch) {
    if (m_next == m_events.size()) return Step::End;
    batch->messages.clear();
    batch->timeMs = m_events[m_next].timeMs;
    batch->line = m_events[m_next].line;
    for (; m_next < m_events.size() && m_events[m_next].timeMs == batch->timeMs; ++m_next)
        batch->messages.push_back(m_events[m_next].message());
    return Step::Batch;
}

bool MemoryShow::restart() {
    m_next = 0;
    return true;
}

std::optional<int64_t> MemoryShow::lastMomentMs() const {
    return m_events.empty() ? 0 : m_events.back().timeMs;
}

}  // namespace vexohost
