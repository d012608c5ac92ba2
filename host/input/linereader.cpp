// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/input/linereader.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vexohost {
namespace {

// At most room for the longest line and one block read after it; a reader
// starts with a block and grows only when a line does not fit.
constexpr size_t kBlock = size_t(64) << 10;
constexpr size_t kCapacity = LineReader::kMaxLineBytes + 4 * kBlock;

}  // namespace

LineReader::LineReader(int fd) : m_fd(fd), m_buffer(new char[kBlock]), m_capacity(kBlock) {}

LineReader::~LineReader() = default;

void LineReader::restart() {
    m_begin = m_end = m_scan = 0;
    m_lineNumber = 0;
    m_bytesRead = 0;
    m_errno = 0;
    m_skipping = m_ended = m_lastReadFull = false;
}

LineReader::Status LineReader::next(std::string_view* line) {
    char* const buffer = m_buffer.get();
    while (true) {
        const size_t buffered = m_end - m_begin;
        const void* newline = std::memchr(buffer + m_begin + m_scan, '\n', buffered - m_scan);
        if (newline) {
            const size_t length = size_t(static_cast<const char*>(newline) - (buffer + m_begin));
            const size_t start = m_begin;
            m_begin += length + 1;
            m_scan = 0;
            if (m_skipping) {
                // The end of a line already reported as too long.
                m_skipping = false;
                continue;
            }
            if (length > kMaxLineBytes) {
                ++m_lineNumber;
                return Status::TooLong;
            }
            *line = std::string_view(buffer + start, length);
            ++m_lineNumber;
            return Status::Line;
        }
        m_scan = buffered;
        if (m_skipping || buffered > kMaxLineBytes) {
            const bool reported = m_skipping;
            m_begin = m_end = m_scan = 0;
            m_skipping = !m_ended;
            if (!reported) {
                ++m_lineNumber;
                return Status::TooLong;
            }
            return m_ended ? Status::End : Status::NeedData;
        }
        if (!m_ended) return Status::NeedData;
        if (buffered == 0) return Status::End;
        // The last line has no newline.
        *line = std::string_view(buffer + m_begin, buffered);
        m_begin = m_end;
        m_scan = 0;
        ++m_lineNumber;
        return Status::Line;
    }
}

LineReader::Fill LineReader::fill() {
    if (m_ended) return Fill::End;
    char* const buffer = m_buffer.get();
    if (m_begin > 0) {
        // Only the start of one line moves, at most once per block.
        std::memmove(buffer, buffer + m_begin, m_end - m_begin);
        m_end -= m_begin;
        m_begin = 0;
    }
    if (m_end == m_capacity && m_capacity == kCapacity)
        return Fill::Read;  // next() has a long line to report
    // A line that fills the buffer, or input that filled the last read:
    // larger reads, up to room for the longest line.
    if ((m_end == m_capacity || m_lastReadFull) && m_capacity < kCapacity) {
        m_capacity = std::min(kCapacity, 2 * m_capacity);
        std::unique_ptr<char[]> larger(new char[m_capacity]);
        std::memcpy(larger.get(), buffer, m_end);
        m_buffer = std::move(larger);
    }
    char* const free = m_buffer.get() + m_end;
    while (true) {
        const ssize_t n = ::read(m_fd, free, m_capacity - m_end);
        m_lastReadFull = n > 0 && size_t(n) == m_capacity - m_end;
        if (n > 0) {
            m_end += size_t(n);
            m_bytesRead += uint64_t(n);
            return Fill::Read;
        }
        if (n == 0) {
            m_ended = true;
            return Fill::End;
        }
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return Fill::WouldBlock;
        m_errno = errno;
        return Fill::Failed;
    }
}

}  // namespace vexohost
