// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_INPUT_SHOWLINE_H_
#define HOST_INPUT_SHOWLINE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/input/hostmessage.h"

namespace vexohost {

// What one line of a show does: the host messages due at one moment.
struct ShowBatch {
    int64_t timeMs = 0;                 // from the start of the show
    int64_t line = 0;                   // where it came from
    std::vector<HostMessage> messages;  // reused from line to line; empty for a line that does nothing
};

// One host message at a moment of the show, for shows held in memory.
struct ShowEvent {
    int64_t timeMs = 0;  // from the start of the show
    int32_t msg = 0;
    int32_t arg1 = 0;
    int32_t arg2 = 0;
    int64_t line = 0;  // where it came from, for messages

    HostMessage message() const { return {msg, arg1, arg2}; }
    friend bool operator==(const ShowEvent&, const ShowEvent&) = default;
};

struct ShowError {
    std::string file;
    int64_t line = 0;  // 0: the file as a whole
    int column = 0;    // 1-based; 0: the line as a whole
    std::string message;

    // "FILE:LINE:COLUMN: message", "FILE:LINE: message" or "FILE: message"
    std::string toString() const;
};

enum class ShowFormat {
    Text,       // our show format
    Recording,  // a file written by ola_recorder
};

struct ShowOptions {
    // For files recorded by ola_recorder: the universe to play; nothing means
    // the first universe in the file.
    std::optional<unsigned> universe;
};

}  // namespace vexohost

#endif  // HOST_INPUT_SHOWLINE_H_
