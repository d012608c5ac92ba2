// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_INPUT_LINEREADER_H_
#define HOST_INPUT_LINEREADER_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace vexohost {

// The lines of a file descriptor, read in blocks into one buffer of bounded
// size (64 KB, growing to about 1.25 MB only for lines that need it), so
// memory stays the same however long the input runs and each byte is looked
// at once. A line longer than kMaxLineBytes is reported as too long
// as soon as it is seen, and the rest of it is skipped up to its newline
// without being stored.
//
// next() never reads; fill() reads once. A caller on a pipe fills only when
// the descriptor is readable, so neither call blocks there.
// One thread at a time.
class LineReader {
public:
    static constexpr size_t kMaxLineBytes = size_t(1) << 20;

    enum class Status {
        Line,      // *line holds the next line, without its '\n'
        TooLong,   // the line numbered lineNumber() is longer than kMaxLineBytes
        NeedData,  // no complete line is buffered: fill() and ask again
        End,       // the input has ended and every line was returned
    };
    enum class Fill { Read, End, WouldBlock, Failed };

    // fd stays owned by the caller and must stay open while the reader is used.
    explicit LineReader(int fd);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // The view stays valid until the next call of next(), fill() or restart().
    Status next(std::string_view* line);
    // Reads what the descriptor has, up to the free space of the buffer.
    // After End, next() returns the last line if it had no newline, then End.
    Fill fill();
    // Forgets everything buffered and counts lines from 1 again; the caller
    // has moved the descriptor back to the start.
    void restart();

    // The number of the line last returned (1-based).
    int64_t lineNumber() const { return m_lineNumber; }
    // Bytes read from the descriptor since the start.
    uint64_t bytesRead() const { return m_bytesRead; }
    // errno of the last Failed fill.
    int error() const { return m_errno; }

private:
    const int m_fd;
    std::unique_ptr<char[]> m_buffer;
    size_t m_capacity;   // grows from one block up to the longest line and a block
    size_t m_begin = 0;  // the first byte not yet returned
    size_t m_end = 0;    // one past the last byte read
    size_t m_scan = 0;   // bytes from m_begin known to hold no newline
    int64_t m_lineNumber = 0;
    uint64_t m_bytesRead = 0;
    int m_errno = 0;
    bool m_skipping = false;      // inside a line that was too long
    bool m_lastReadFull = false;  // the last read filled all the room it had
    bool m_ended = false;
};

}  // namespace vexohost

#endif  // HOST_INPUT_LINEREADER_H_
