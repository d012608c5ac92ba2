#ifndef HOST_INPUT_SHOWFILE_H_
#define HOST_INPUT_SHOWFILE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/input/hostmessage.h"

namespace vexohost {

// One host message at a moment of the show.
struct ShowEvent {
    int64_t timeMs = 0;  // from the start of the show
    int32_t msg = 0;
    int32_t arg1 = 0;
    int32_t arg2 = 0;
    int line = 0;  // where it came from, for messages

    HostMessage message() const { return {msg, arg1, arg2}; }
    friend bool operator==(const ShowEvent&, const ShowEvent&) = default;
};

struct ShowError {
    std::string file;
    int line = 0;
    int column = 0;  // 1-based
    std::string message;

    // "FILE:LINE:COLUMN: message"
    std::string toString() const;
};

// Reads our show format one line at a time; also used for live lines on
// standard input. One event per line:
//
//   TIME  CHANNEL=VALUE [CHANNEL=VALUE ...]     message 15 for each pair
//   TIME  msg M A1 A2                           a raw host message
//
// TIME is milliseconds from the start (1500) or after the previous line
// (+250); times never go back. Numbers are 32-bit signed integers. '#' starts
// a comment; blank lines are ignored.
class ShowLineParser {
public:
    explicit ShowLineParser(std::string file = {}) : m_file(std::move(file)) {}

    // Appends the line's events to out; on error appends nothing.
    std::optional<ShowError> parseLine(std::string_view line, int lineNumber, std::vector<ShowEvent>* out);

private:
    std::string m_file;
    int64_t m_time = 0;
};

struct ShowOptions {
    // For files recorded by ola_recorder: the universe to play; nothing means
    // the first universe in the file.
    std::optional<unsigned> universe;
};

struct Show {
    std::vector<ShowEvent> events;   // in time order
    std::optional<ShowError> error;  // set when the text is not a valid show; events then empty
    bool fromOlaRecorder = false;
    unsigned universe = 0;  // the universe played, for recorder files
};

// Parses a whole show text: our format, or a file written by ola_recorder
// (first line "OLA Show": frame lines "UNIVERSE v1,v2,..." each followed by
// a line with the wait in ms). A recorder frame of the chosen universe becomes
// message 15 for every slot that changed since that universe's previous frame
// (every slot of its first frame), channel = slot + 1.
Show parseShow(std::string_view text, const std::string& file, const ShowOptions& options = {});

// Reads and parses a file; a file that cannot be read is an error at line 0.
Show loadShow(const std::string& path, const ShowOptions& options = {});

}  // namespace vexohost

#endif  // HOST_INPUT_SHOWFILE_H_
