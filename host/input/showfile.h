// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_INPUT_SHOWFILE_H_
#define HOST_INPUT_SHOWFILE_H_

#include <sys/stat.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "host/input/linereader.h"
#include "host/input/showparser.h"
#include "host/input/showsource.h"

namespace vexohost {

// A show played from its file in blocks, in either format, so memory does
// not grow with the show's length.
//
// A regular file is checked whole when it is opened: the check reads every
// line and keeps nothing, and an error in it means nothing plays. Should the
// file then change while it plays (shorter, longer or rewritten in place),
// playback ends with a message rather than playing something else; a file
// replaced by a new one under the same name plays on as it was checked.
//
// A pipe, FIFO or terminal cannot be checked ahead: it is read as it comes,
// and a bad line is reported and skipped. GUI thread.
class ShowFile : public ShowSource {
public:
    // What the check sees of a file: each moment, in order. It is handed
    // every moment of a valid file, and then some of an invalid one.
    using CheckSink = std::function<void(const ShowBatch&)>;
    // The checked file, or nullptr with *error set. sink, when given, sees
    // the moments as the check reads them (an overview is built on the way).
    static std::unique_ptr<ShowFile> open(const std::string& path, const ShowOptions& options,
                                          ShowError* error, const CheckSink& sink = {});
    // A descriptor read as it comes, named `name` in messages (standard input).
    // fd stays owned by the caller and must stay open while the show is used.
    static std::unique_ptr<ShowFile> stream(int fd, std::string name, const ShowOptions& options);
    ~ShowFile() override;

    Step next(ShowBatch* batch) override;
    const ShowError& error() const override { return m_error; }
    bool restart() override;
    bool canRestart() const override { return !m_stream; }
    std::optional<int64_t> lastMomentMs() const override;
    int readyDescriptor() const override { return m_stream ? m_fd : -1; }

    bool isStream() const { return m_stream; }
    // Known for a checked file; for a stream once its first line is read.
    std::optional<ShowFormat> format() const { return m_stream ? m_parser.format() : m_format; }
    // For a recording: the universe played.
    std::optional<unsigned> universe() const { return m_stream ? m_parser.universe() : m_universe; }
    // Lines read so far.
    int64_t linesRead() const { return m_reader.lineNumber(); }
    // What the check found in a checked file.
    int64_t lines() const { return m_lines; }
    uint64_t messages() const { return m_messages; }
    uint64_t bytes() const { return m_bytes; }

private:
    ShowFile(int fd, bool ownsFd, std::string name, const ShowOptions& options, bool stream);

    std::optional<ShowError> check(const CheckSink& sink);
    Step nextChecked(ShowBatch* batch);
    Step nextStreamed(ShowBatch* batch);
    Step changed(const std::string& how);
    bool unchangedSinceCheck();

    const int m_fd;
    const bool m_ownsFd;
    const std::string m_name;
    const bool m_stream;
    LineReader m_reader;
    ShowParser m_parser;
    ShowError m_error;
    bool m_failed = false;
    bool m_finished = false;  // a stream's end was seen and its last error reported
    // The check's findings.
    struct stat m_checked {};
    std::optional<ShowFormat> m_format;
    std::optional<unsigned> m_universe;
    int64_t m_lastMoment = 0;
    int64_t m_lines = 0;
    uint64_t m_messages = 0;
    uint64_t m_bytes = 0;
};

}  // namespace vexohost

#endif  // HOST_INPUT_SHOWFILE_H_
