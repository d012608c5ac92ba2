// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_OUTPUTS_SHOWWRITER_H_
#define HOST_OUTPUTS_SHOWWRITER_H_

#include <QString>
#include <cstdint>

#include "host/files/bufferedoutput.h"

namespace vexohost {

// What the plug-in was sent, written as a text show to play again
// (--save-show): a line for each moment, "TIME CH=VALUE ...", TIME in ms from
// the start and the channels as the input numbered them, so that --play of
// the file with the same base address shows what the run showed. On a live
// input's wall clock the changes of one frame (in rising channel order, less
// than 20 ms apart) make one moment.
//
// take() only appends to the output's buffer; a timer writes it, not the
// message path. Owned by the run's outputs. GUI thread.
class ShowWriter {
public:
    bool open(const QString& path);
    // A channel's value at ms (never less than the moment before); live: on
    // the wall clock, where one frame's changes may come spread.
    void take(int64_t ms, int64_t channel, int64_t value, bool live);
    // Writes the rest and gives the file its name.
    bool close();
    void abort() { m_out.abort(); }

    int64_t lines() const { return m_lines; }
    const QString& error() const { return m_out.error(); }

private:
    static constexpr int64_t kFrameSpreadMs = 20;  // below a DMX console's frame interval (22.7 ms)

    BufferedOutput m_out;
    int64_t m_lineMs = -1;  // the moment of the line being written
    int64_t m_lastChannel = 0;
    int64_t m_lines = 0;
};

}  // namespace vexohost

#endif  // HOST_OUTPUTS_SHOWWRITER_H_
