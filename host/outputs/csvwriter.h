// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_OUTPUTS_CSVWRITER_H_
#define HOST_OUTPUTS_CSVWRITER_H_

#include <QString>
#include <array>
#include <cstdint>

#include "host/files/bufferedoutput.h"
#include "host/timeline/lanebucket.h"

namespace vexohost {

// The nine channels' values at each change, for spreadsheets and other
// tools (--export-csv): a header "ms,chB,...,chB+8" naming the input
// channels, then a row for each moment that changed a value, its time in ms
// and the nine values as they stand after it (empty until a channel was
// sent). take() appends to a reserved buffer; the output writes it four times
// a second. Owned by the channel timeline. GUI thread.
class CsvWriter {
public:
    // firstChannel: the input channel of the first column.
    bool open(const QString& path, int firstChannel);
    // Lane 0..8 changes to value at ms (never before the moment taken last).
    void take(int64_t ms, int lane, int32_t value);
    // A row at ms whether or not a value changes there.
    void mark(int64_t ms);
    // Writes the last row and the rest, and gives the file its name.
    bool close();
    void abort() { m_out.abort(); }

    int64_t rows() const { return m_rows; }
    const QString& error() const { return m_out.error(); }

private:
    void appendRow();

    BufferedOutput m_out;
    std::array<int32_t, kLanes> m_values{};
    std::array<bool, kLanes> m_set{};
    int64_t m_rowMs = -1;  // the moment of the row not yet written
    int64_t m_rows = 0;
};

}  // namespace vexohost

#endif  // HOST_OUTPUTS_CSVWRITER_H_
