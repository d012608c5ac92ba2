#include "host/input/stdinreader.h"

#include <QSocketNotifier>

namespace vexohost {

StdinReader::StdinReader(int fd, QObject* parent)
    : QObject(parent), m_fd(fd), m_show(ShowFile::stream(fd, "<stdin>", {})) {}

StdinReader::~StdinReader() = default;

void StdinReader::start() {
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &StdinReader::readAvailable);
}

void StdinReader::readAvailable() {
    while (true) {
        switch (m_show->next(&m_batch)) {
            case ShowSource::Step::Batch:
                for (const HostMessage& message : m_batch.messages) Q_EMIT messageDue(message);
                continue;
            case ShowSource::Step::LineError:
                Q_EMIT lineError(QString::fromStdString(m_show->error().toString()));
                continue;
            case ShowSource::Step::Pending:
                return;
            case ShowSource::Step::Failed:
                Q_EMIT lineError(QString::fromStdString(m_show->error().toString()));
                [[fallthrough]];
            case ShowSource::Step::End:
                m_notifier->setEnabled(false);
                Q_EMIT finished();
                return;
        }
    }
}

}  // namespace vexohost
