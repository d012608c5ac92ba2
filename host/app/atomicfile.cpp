// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/app/atomicfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

namespace vexohost {
namespace {

QString systemError(const QString& path) {
    return QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
}

}  // namespace

AtomicFile::~AtomicFile() {
    if (m_open) discard();
}

bool AtomicFile::open(const QString& path) {
    m_path = path;
    struct stat st {};
    const bool inPlace = ::stat(path.toLocal8Bit().constData(), &st) == 0 && !S_ISREG(st.st_mode);
    const QFileInfo target(path);
    m_temporary =
        inPlace ? QString()
                : target.dir().filePath(QStringLiteral(".%1.%2.part").arg(target.fileName()).arg(::getpid()));
    const QString written = inPlace ? path : m_temporary;
    m_fd = ::open(written.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (m_fd < 0) {
        m_error = systemError(path);  // the name the user gave, not ours
        m_temporary.clear();
        return false;
    }
    m_open = true;
    return true;
}

bool AtomicFile::write(const void* data, size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    for (size_t done = 0; done < size;) {
        const ssize_t n = m_fd >= 0 ? ::write(m_fd, bytes + done, size - done) : (errno = EBADF, -1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            m_error = systemError(m_path);
            return false;
        }
        done += size_t(n);
    }
    return true;
}

bool AtomicFile::commit() {
    if (!m_open) return false;
    if (m_fd >= 0 && ::close(m_fd) != 0) {
        m_fd = -1;
        m_error = systemError(m_path);
        discard();
        return false;
    }
    m_fd = -1;
    if (!m_temporary.isEmpty() &&
        ::rename(m_temporary.toLocal8Bit().constData(), m_path.toLocal8Bit().constData()) != 0) {
        m_error = systemError(m_path);
        discard();
        return false;
    }
    m_temporary.clear();
    m_open = false;
    return true;
}

void AtomicFile::discard() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    if (!m_temporary.isEmpty()) ::unlink(m_temporary.toLocal8Bit().constData());
    m_temporary.clear();
    m_open = false;
}

}  // namespace vexohost
