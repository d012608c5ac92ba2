// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_INPUT_TEXTLINEPARSER_H_
#define HOST_INPUT_TEXTLINEPARSER_H_

#include <optional>
#include <string>
#include <string_view>

#include "host/input/showline.h"

namespace vexohost {

// Reads our show format one line at a time, keeping only the time of the
// previous line. One moment per line:
//
//   TIME  CHANNEL=VALUE [CHANNEL=VALUE ...]     message 15 for each pair
//   TIME  msg M A1 A2                           a raw host message
//
// TIME is milliseconds from the start (1500) or after the previous line
// (+250); times never go back. Numbers are 32-bit signed integers. '#' starts
// a comment; blank lines are ignored.
class TextLineParser {
public:
    explicit TextLineParser(std::string file = {}) : m_file(std::move(file)) {}

    // Fills *out with the line's moment; a blank line leaves out->messages
    // empty. On error out->messages is empty and the time stays as it was.
    std::optional<ShowError> parseLine(std::string_view line, int64_t lineNumber, ShowBatch* out);
    // Back to the start of a show.
    void restart() { m_time = 0; }

private:
    std::string m_file;
    int64_t m_time = 0;
};

}  // namespace vexohost

#endif  // HOST_INPUT_TEXTLINEPARSER_H_
