// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/input/showfile.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vexohost {
namespace {

ShowError fileError(const std::string& name, const std::string& what, int error) {
    return ShowError{name, 0, 0, what + ": " + std::strerror(error)};
}

}  // namespace

ShowFile::ShowFile(int fd, bool ownsFd, std::string name, const ShowOptions& options, bool stream)
    : m_fd(fd),
      m_ownsFd(ownsFd),
      m_name(std::move(name)),
      m_stream(stream),
      m_reader(fd),
      m_parser(m_name, options) {}

ShowFile::~ShowFile() {
    if (m_ownsFd) ::close(m_fd);
}

std::unique_ptr<ShowFile> ShowFile::open(const std::string& path, const ShowOptions& options,
                                         ShowError* error, const CheckSink& sink) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        *error = fileError(path, "cannot open", errno);
        return nullptr;
    }
    if (S_ISDIR(info.st_mode)) {
        *error = ShowError{path, 0, 0, "is a folder, not a show file"};
        return nullptr;
    }
    // A device never ends (/dev/zero) or is a terminal: standard input is --stdin.
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) {
        *error = ShowError{path, 0, 0, "is a device, not a show file (for standard input use --stdin)"};
        return nullptr;
    }
    // A FIFO opens at once, writer or not: the show then waits for what it
    // is given without blocking the program (a regular file is not affected).
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0 || ::fstat(fd, &info) != 0) {
        *error = fileError(path, "cannot open", errno);
        if (fd >= 0) ::close(fd);
        return nullptr;
    }
    std::unique_ptr<ShowFile> file(new ShowFile(fd, true, path, options, !S_ISREG(info.st_mode)));
    if (!file->m_stream) {
        if (auto failure = file->check(sink)) {
            *error = std::move(*failure);
            return nullptr;
        }
    }
    return file;
}

std::unique_ptr<ShowFile> ShowFile::stream(int fd, std::string name, const ShowOptions& options) {
    return std::unique_ptr<ShowFile>(new ShowFile(fd, false, std::move(name), options, true));
}

std::optional<int64_t> ShowFile::lastMomentMs() const {
    if (m_stream) return std::nullopt;
    return m_lastMoment;
}

// Every line once, in blocks, keeping nothing but the parser's state and
// what the player wants to know ahead: where the show ends; and what a
// sink takes on the way.
std::optional<ShowError> ShowFile::check(const CheckSink& sink) {
    ::posix_fadvise(m_fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    ShowBatch batch;
    std::string_view line;
    while (true) {
        switch (m_reader.next(&line)) {
            case LineReader::Status::Line:
                if (auto error = m_parser.parseLine(line, m_reader.lineNumber(), &batch)) return error;
                if (!batch.messages.empty()) {
                    m_lastMoment = batch.timeMs;
                    m_messages += batch.messages.size();
                    if (sink) sink(batch);
                }
                continue;
            case LineReader::Status::TooLong:
                return ShowError{m_name, m_reader.lineNumber(), 0, "line longer than 1 MB"};
            case LineReader::Status::NeedData:
                switch (m_reader.fill()) {
                    case LineReader::Fill::Read:
                    case LineReader::Fill::End:
                        continue;
                    case LineReader::Fill::WouldBlock:
                    case LineReader::Fill::Failed:
                        return fileError(m_name, "cannot read", m_reader.error() ? m_reader.error() : EIO);
                }
                continue;
            case LineReader::Status::End:
                break;
        }
        break;
    }
    m_lines = m_reader.lineNumber();
    if (auto error = m_parser.finish(m_lines)) return error;
    m_format = m_parser.format().value_or(ShowFormat::Text);
    m_universe = m_parser.universe();
    m_bytes = m_reader.bytesRead();
    if (::fstat(m_fd, &m_checked) != 0) return fileError(m_name, "cannot read", errno);
    if (uint64_t(m_checked.st_size) != m_bytes)
        return ShowError{m_name, 0, 0, "changed while it was checked"};
    if (::lseek(m_fd, 0, SEEK_SET) != 0) return fileError(m_name, "cannot read", errno);
    m_reader.restart();
    m_parser.restart();
    return std::nullopt;
}

bool ShowFile::restart() {
    if (m_stream || m_failed) return false;
    if (::lseek(m_fd, 0, SEEK_SET) != 0) {
        m_failed = true;
        m_error = fileError(m_name, "cannot read", errno);
        return false;
    }
    m_reader.restart();
    m_parser.restart();
    return true;
}

ShowSource::Step ShowFile::next(ShowBatch* batch) {
    if (m_failed) return Step::Failed;
    return m_stream ? nextStreamed(batch) : nextChecked(batch);
}

bool ShowFile::unchangedSinceCheck() {
    struct stat now {};
    return ::fstat(m_fd, &now) == 0 && now.st_size == m_checked.st_size &&
           now.st_mtim.tv_sec == m_checked.st_mtim.tv_sec && now.st_mtim.tv_nsec == m_checked.st_mtim.tv_nsec;
}

ShowSource::Step ShowFile::changed(const std::string& how) {
    m_failed = true;
    m_error = ShowError{
        m_name, 0, 0,
        "changed while it played (" + how + "); stopped after line " + std::to_string(m_reader.lineNumber())};
    return Step::Failed;
}

ShowSource::Step ShowFile::nextChecked(ShowBatch* batch) {
    std::string_view line;
    while (true) {
        switch (m_reader.next(&line)) {
            case LineReader::Status::Line:
                // The file was checked; a line that no longer reads is a change.
                if (m_parser.parseLine(line, m_reader.lineNumber(), batch))
                    return changed("it was rewritten");
                if (!batch->messages.empty()) return Step::Batch;
                continue;
            case LineReader::Status::TooLong:
                return changed("it was rewritten");
            case LineReader::Status::NeedData:
                switch (m_reader.fill()) {
                    case LineReader::Fill::Read:
                        if (!unchangedSinceCheck()) return changed("it was rewritten");
                        continue;
                    case LineReader::Fill::End:
                        if (m_reader.bytesRead() != uint64_t(m_checked.st_size))
                            return changed("it is shorter than when it was checked");
                        continue;
                    case LineReader::Fill::WouldBlock:
                    case LineReader::Fill::Failed:
                        m_failed = true;
                        m_error = fileError(m_name, "cannot read", m_reader.error() ? m_reader.error() : EIO);
                        return Step::Failed;
                }
                continue;
            case LineReader::Status::End:
                return Step::End;
        }
    }
}

ShowSource::Step ShowFile::nextStreamed(ShowBatch* batch) {
    std::string_view line;
    // One read per call: endless input without newlines still hands the
    // event loop a turn between blocks.
    bool filled = false;
    while (true) {
        switch (m_reader.next(&line)) {
            case LineReader::Status::Line:
                if (auto error = m_parser.parseLine(line, m_reader.lineNumber(), batch)) {
                    m_error = std::move(*error);
                    return Step::LineError;
                }
                if (!batch->messages.empty()) return Step::Batch;
                continue;
            case LineReader::Status::TooLong:
                m_error = ShowError{m_name, m_reader.lineNumber(), 0, "line longer than 1 MB; skipped"};
                return Step::LineError;
            case LineReader::Status::NeedData: {
                if (filled) return Step::Pending;
                filled = true;
                // Read only what is there: the GUI thread never waits on a pipe.
                pollfd ready{m_fd, POLLIN, 0};
                if (::poll(&ready, 1, 0) <= 0) return Step::Pending;
                switch (m_reader.fill()) {
                    case LineReader::Fill::Read:
                    case LineReader::Fill::End:
                        continue;
                    case LineReader::Fill::WouldBlock:
                        return Step::Pending;
                    case LineReader::Fill::Failed:
                        m_failed = true;
                        m_error = fileError(m_name, "cannot read", m_reader.error());
                        return Step::Failed;
                }
                continue;
            }
            case LineReader::Status::End:
                if (!m_finished) {
                    m_finished = true;
                    if (auto error = m_parser.finish(m_reader.lineNumber())) {
                        m_error = std::move(*error);
                        return Step::LineError;
                    }
                }
                return Step::End;
        }
    }
}

}  // namespace vexohost
