// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/recording/recordingprogress.h"

#include <unistd.h>

#include <algorithm>
#include <string>

namespace vexohost {
namespace {

constexpr int kWidth = 40;

}  // namespace

RecordingProgress::RecordingProgress(FILE* to) : m_to(to), m_terminal(isatty(fileno(to))) {}

void RecordingProgress::show(int64_t doneMs, int64_t totalMs) {
    if (!m_terminal || totalMs <= 0) return;
    const int percent = int(std::clamp<int64_t>(doneMs * 100 / std::max<int64_t>(totalMs, 1), 0, 100));
    const int filled = percent * kWidth / 100;
    std::fprintf(m_to, "\rrecording [%s%s] %3d%%", std::string(size_t(filled), '#').c_str(),
                 std::string(size_t(kWidth - filled), '.').c_str(), percent);
    std::fflush(m_to);
    m_drawn = true;
}

void RecordingProgress::end() {
    if (m_drawn) std::fprintf(m_to, "\n");
    m_drawn = false;
}

}  // namespace vexohost
