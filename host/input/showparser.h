// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_INPUT_SHOWPARSER_H_
#define HOST_INPUT_SHOWPARSER_H_

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/input/recordingparser.h"
#include "host/input/showline.h"
#include "host/input/textlineparser.h"

namespace vexohost {

// Reads a show of either format one line at a time, keeping only what the
// next line needs: a first line "OLA Show" makes it a recording of
// ola_recorder, anything else our text format.
class ShowParser {
public:
    ShowParser(std::string file, const ShowOptions& options);

    // Fills *out with the line's moment; lines that do nothing leave
    // out->messages empty, and so does an error.
    std::optional<ShowError> parseLine(std::string_view line, int64_t lineNumber, ShowBatch* out);
    // Whether the whole show was valid; lines is the number of lines read.
    std::optional<ShowError> finish(int64_t lines) const;
    // Back to the start of the show.
    void restart();

    // Known once the first line has been read.
    std::optional<ShowFormat> format() const { return m_format; }
    // For a recording: the universe played, once its first frame has been read.
    std::optional<unsigned> universe() const { return m_recording.universe(); }

private:
    std::optional<ShowFormat> m_format;
    TextLineParser m_text;
    RecordingParser m_recording;
};

// A whole show text parsed in memory, for tools and tests.
struct Show {
    std::vector<ShowEvent> events;   // in time order
    std::optional<ShowError> error;  // set when the text is not a valid show; events then empty
    ShowFormat format = ShowFormat::Text;
    unsigned universe = 0;  // the universe played, for recordings
};
Show parseShow(std::string_view text, const std::string& file, const ShowOptions& options = {});

}  // namespace vexohost

#endif  // HOST_INPUT_SHOWPARSER_H_
