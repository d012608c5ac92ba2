#ifndef HOST_INPUT_STDINREADER_H_
#define HOST_INPUT_STDINREADER_H_

#include <QObject>
#include <QString>
#include <memory>

#include "host/input/hostmessage.h"
#include "host/input/showfile.h"

class QSocketNotifier;

namespace vexohost {

// Show lines from a file descriptor (standard input), applied as they arrive:
// each complete line is parsed as a line of a show and its messages are
// emitted at once. A bad line, or one longer than 1 MB, is reported
// (lineError) and skipped; the input goes on. Memory stays the same however
// long the input runs. At the end of the input the last line, if it has no
// newline, is taken too, then finished() follows. GUI thread.
class StdinReader : public QObject {
    Q_OBJECT

public:
    // fd stays owned by the caller and must stay open while the reader runs.
    explicit StdinReader(int fd, QObject* parent = nullptr);
    ~StdinReader() override;

    // Starts watching the descriptor.
    void start();
    // Lines read so far.
    int64_t lines() const { return m_show->linesRead(); }

Q_SIGNALS:
    void messageDue(const vexohost::HostMessage& message);
    // "<stdin>:LINE:COLUMN: what is wrong"
    void lineError(const QString& text);
    void finished();

private:
    void readAvailable();

    const int m_fd;
    std::unique_ptr<ShowFile> m_show;
    std::unique_ptr<QSocketNotifier> m_notifier;
    ShowBatch m_batch;  // reused for every line
};

}  // namespace vexohost

#endif  // HOST_INPUT_STDINREADER_H_
