#include "host/input/stdinreader.h"

#include <unistd.h>

#include <QSocketNotifier>
#include <algorithm>

namespace vexohost {

StdinReader::StdinReader(int fd, QObject* parent) : QObject(parent), m_fd(fd) {}

StdinReader::~StdinReader() = default;

void StdinReader::start() {
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &StdinReader::readAvailable);
}

void StdinReader::takeLine(std::string_view line) {
    m_events.clear();
    if (auto error = m_parser.parseLine(line, ++m_lineNumber, &m_events))
        Q_EMIT lineError(QString::fromStdString(error->toString()));
    for (const ShowEvent& e : m_events) Q_EMIT messageDue(e.message());
}

void StdinReader::readAvailable() {
    char block[4096];
    const ssize_t n = ::read(m_fd, block, sizeof block);
    if (n <= 0) {
        m_notifier->setEnabled(false);
        if (!m_buffer.empty()) takeLine(m_buffer);
        m_buffer.clear();
        m_scanned = 0;
        Q_EMIT finished();
        return;
    }
    m_buffer.append(block, size_t(n));
    // Complete lines are taken in place; what is left of the last one moves
    // to the front once.
    size_t start = 0;
    for (size_t newline; (newline = m_buffer.find('\n', std::max(start, m_scanned))) != std::string::npos;) {
        takeLine(std::string_view(m_buffer).substr(start, newline - start));
        start = newline + 1;
    }
    m_buffer.erase(0, start);
    m_scanned = m_buffer.size();
}

}  // namespace vexohost
