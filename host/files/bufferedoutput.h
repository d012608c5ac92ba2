// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_FILES_BUFFEREDOUTPUT_H_
#define HOST_FILES_BUFFEREDOUTPUT_H_

#include <QObject>
#include <QString>
#include <QTimer>
#include <string>

#include "host/files/atomicfile.h"

namespace vexohost {

// A text file written as a run goes, off the message path: lines are
// appended to a buffer reserved at open(), and a timer writes the complete
// ones four times a second (a line still being made waits). The file appears
// under its name only when close() has completed it (AtomicFile). Owned by
// the writer of one kind of file. GUI thread.
class BufferedOutput : public QObject {
    Q_OBJECT

public:
    static constexpr size_t kBuffer = 1 << 20;  // far more than a second of a busy universe

    explicit BufferedOutput(QObject* parent = nullptr);

    bool open(const QString& path);
    // Where lines are appended; written up to its last '\n'.
    std::string& buffer() { return m_buffer; }
    // Writes early when the buffer nears what was reserved, so it never grows.
    void flushIfFull() {
        if (m_buffer.size() > kBuffer - 4096) flush();
    }
    // Writes the complete lines. False when the write failed (error()).
    bool flush();
    // Writes the rest and gives the file its name.
    bool close();
    void abort() { m_file.discard(); }
    const QString& error() const { return m_file.error(); }

private:
    AtomicFile m_file;
    QTimer m_flush;
    std::string m_buffer;
    bool m_failed = false;
};

// Appends n in decimal.
void appendNumber(std::string& to, int64_t n);

}  // namespace vexohost

#endif  // HOST_FILES_BUFFEREDOUTPUT_H_
