#ifndef HOST_INPUT_STDINREADER_H_
#define HOST_INPUT_STDINREADER_H_

#include <QObject>
#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "host/input/hostmessage.h"
#include "host/input/showfile.h"

class QSocketNotifier;

namespace vexohost {

// Show lines from a file descriptor (standard input), applied as they arrive:
// each complete line is parsed as a line of a show file and its messages are
// emitted at once. A bad line is reported (lineError) and skipped; the input
// goes on. At the end of the input the last line, if it has no newline, is
// taken too, then finished() follows. GUI thread.
class StdinReader : public QObject {
    Q_OBJECT

public:
    // fd stays owned by the caller and must stay open while the reader runs.
    explicit StdinReader(int fd, QObject* parent = nullptr);
    ~StdinReader() override;

    // Starts watching the descriptor.
    void start();
    // Lines read so far.
    int lines() const { return m_lineNumber; }

Q_SIGNALS:
    void messageDue(const vexohost::HostMessage& message);
    // "<stdin>:LINE:COLUMN: what is wrong"
    void lineError(const QString& text);
    void finished();

private:
    void readAvailable();
    void takeLine(std::string_view line);

    const int m_fd;
    std::unique_ptr<QSocketNotifier> m_notifier;
    ShowLineParser m_parser{"<stdin>"};
    std::string m_buffer;  // bytes after the last complete line
    size_t m_scanned = 0;  // bytes of m_buffer known to hold no newline
    int m_lineNumber = 0;
    std::vector<ShowEvent> m_events;  // reused for every line
};

}  // namespace vexohost

#endif  // HOST_INPUT_STDINREADER_H_
