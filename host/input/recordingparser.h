// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_INPUT_RECORDINGPARSER_H_
#define HOST_INPUT_RECORDINGPARSER_H_

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "host/input/showline.h"
#include "host/input/universe.h"

namespace vexohost {

// Reads a file written by ola_recorder one line at a time, after its first
// line "OLA Show": frame lines "UNIVERSE v1,v2,..." each followed by a line
// with the wait in ms before the next frame. It keeps only the last frame of
// the chosen universe (512 values): a frame of that universe becomes message
// 15 for every slot that changed since its previous frame (every slot of its
// first frame), channel = slot + 1; a shorter frame changes only the slots it
// carries. Frames of other universes only take time.
class RecordingParser {
public:
    static constexpr size_t kMaxSlots = kUniverseSize;

    // universe: the one to play; nothing means the first one in the file.
    RecordingParser(std::string file, std::optional<unsigned> universe);

    // Fills *out with the line's moment (no messages for a wait line, a frame
    // of another universe, or one that changes nothing).
    std::optional<ShowError> parseLine(std::string_view line, int64_t lineNumber, ShowBatch* out);
    // Whether the recording held what was asked for; lastLine is its last line.
    std::optional<ShowError> finish(int64_t lastLine) const;
    // Back to the line after "OLA Show".
    void restart();

    // The universe played, once its first frame has been read.
    std::optional<unsigned> universe() const { return m_chosen; }

private:
    std::string m_file;
    std::optional<unsigned> m_asked;
    std::optional<unsigned> m_chosen;
    std::array<uint8_t, kMaxSlots> m_frame{};  // the frame being read
    std::array<uint8_t, kMaxSlots> m_last{};   // the chosen universe's last frame
    size_t m_lastSize = 0;
    bool m_seen = false;  // a frame of the chosen universe was read
    int64_t m_time = 0;
    bool m_expectFrame = true;
};

}  // namespace vexohost

#endif  // HOST_INPUT_RECORDINGPARSER_H_
