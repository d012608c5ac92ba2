// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_OUTPUTS_UNIVERSESHOWWRITER_H_
#define HOST_OUTPUTS_UNIVERSESHOWWRITER_H_

#include <QString>
#include <array>
#include <cstdint>

#include "host/files/bufferedoutput.h"
#include "host/input/universe.h"

namespace vexohost {

// What a live universe sent, whole, in ola_recorder's format, so that OLA's
// own tools play it (ola_recorder --playback) and vexo-host --play reads it:
// "OLA Show", then a line "UNIVERSE v1,v2,..." for each frame, and between
// two frames a line with the wait in ms from one to the next. Each wait is
// the difference of the frames' times from the start, so the waits add up to
// the times with no drift.
//
// A frame is written as it came (its slots, as many as it had). A channel
// changed by other means (a fader, the zeros of a reset) changes the
// universe as written: the frame of such changes follows once their moment
// is over. Owned by the run's outputs; appends to a buffer reserved at open,
// which a timer writes. GUI thread.
class UniverseShowWriter {
public:
    // universe: the one written until a frame says another.
    bool open(const QString& path, unsigned universe);
    // A frame of universe at ms (never less than the time before).
    void takeFrame(int64_t ms, unsigned universe, const uint8_t* slots, unsigned size);
    // Channel 1..512 of the universe is value (0..255) at ms; others are not
    // the universe's and are left out.
    void take(int64_t ms, int64_t channel, int64_t value);
    // Writes the last frame and the rest, and gives the file its name.
    bool close();
    void abort() { m_out.abort(); }

    int64_t frames() const { return m_frames; }
    unsigned universe() const { return m_universe; }
    const QString& error() const { return m_out.error(); }

private:
    void writeFrame(int64_t ms);
    void writePending();

    BufferedOutput m_out;
    std::array<uint8_t, kUniverseSize> m_slots{};
    unsigned m_size = 0;  // slots the universe has as written
    unsigned m_universe = 1;
    int64_t m_lastFrameMs = -1;
    int64_t m_pendingMs = -1;  // a frame of channel changes waits for its moment to end
    int64_t m_frames = 0;
};

}  // namespace vexohost

#endif  // HOST_OUTPUTS_UNIVERSESHOWWRITER_H_
