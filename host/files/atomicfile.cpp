// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/files/atomicfile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>

namespace vexohost {
namespace {

QString systemError(const QString& path) {
    return QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
}

}  // namespace

AtomicFile::~AtomicFile() {
    if (m_open) discard();
}

QString AtomicFile::target(const QString& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::path file = fs::absolute(fs::path(path.toLocal8Bit().toStdString()), error);
    // A link to a file not yet there names it too; links of links, up to the
    // system's own limit.
    for (int hops = 0; hops < 40 && fs::is_symlink(fs::symlink_status(file, error)); ++hops) {
        const fs::path to = fs::read_symlink(file, error);
        if (error) break;
        file = to.is_absolute() ? to : file.parent_path() / to;
    }
    const fs::path real = fs::weakly_canonical(file, error);
    return QString::fromLocal8Bit(
        QByteArray::fromStdString((error ? file.lexically_normal() : real).string()));
}

namespace {

// The temporary files being written, for a signal handler to remove: fixed
// slots, so that the handler reads no memory that may be moving.
constexpr int kPartSlots = 16;
char g_parts[kPartSlots][4096];
volatile sig_atomic_t g_partUsed[kPartSlots];

int rememberPart(const QByteArray& file) {
    if (file.size() >= int(sizeof g_parts[0])) return -1;
    for (int k = 0; k < kPartSlots; ++k) {
        if (g_partUsed[k]) continue;
        std::memcpy(g_parts[k], file.constData(), size_t(file.size()) + 1);
        g_partUsed[k] = 1;
        return k;
    }
    return -1;
}

void forgetPart(int* slot) {
    if (*slot >= 0) g_partUsed[*slot] = 0;
    *slot = -1;
}

}  // namespace

void AtomicFile::removePartsNow() {
    for (int k = 0; k < kPartSlots; ++k)
        if (g_partUsed[k]) ::unlink(g_parts[k]);
}

bool AtomicFile::open(const QString& path) {
    m_path = path;
    m_temporary.clear();
    const QByteArray file = target(path).toLocal8Bit();
    struct stat st {};
    const bool exists = ::stat(file.constData(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) return openInPlace(file, S_ISFIFO(st.st_mode));
    // An existing file keeps its mode; one the user may not write is refused, as the shell's > refuses it.
    if (exists && ::access(file.constData(), W_OK) != 0) {
        m_error = systemError(path);
        return false;
    }
    const QFileInfo target(QString::fromLocal8Bit(file));
    removeStaleParts(target);
    m_temporary = target.dir().filePath(QStringLiteral(".%1.%2.part").arg(target.fileName()).arg(::getpid()));
    m_slot = rememberPart(m_temporary.toLocal8Bit());
    m_fd = ::open(m_temporary.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (m_fd < 0 || (exists && ::fchmod(m_fd, st.st_mode & 07777) != 0)) {
        m_error = systemError(path);  // the name the user gave, not ours
        discard();
        return false;
    }
    m_final = QString::fromLocal8Bit(file);
    m_open = true;
    return true;
}

// A device or a FIFO is written as it is. A FIFO is opened without waiting:
// with no reader, open() would block, and no signal would end the wait.
bool AtomicFile::openInPlace(const QByteArray& file, bool fifo) {
    m_fd = ::open(file.constData(), O_WRONLY | O_CLOEXEC | (fifo ? O_NONBLOCK : 0));
    if (m_fd < 0) {
        m_error = fifo && errno == ENXIO ? QStringLiteral("%1: a FIFO that no program reads").arg(m_path)
                                         : systemError(m_path);
        return false;
    }
    if (fifo) ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
    m_final.clear();
    m_open = true;
    return true;
}

// Temporary files of runs that were killed before they could remove them:
// .NAME.PID.part whose process is gone.
void AtomicFile::removeStaleParts(const QFileInfo& target) {
    const QString prefix = QStringLiteral(".%1.").arg(target.fileName());
    const QDir dir = target.dir();
    const QStringList parts = dir.entryList({prefix + QStringLiteral("*.part")}, QDir::Files | QDir::Hidden);
    for (const QString& name : parts) {
        bool number = false;
        const qint64 pid = name.mid(prefix.size(), name.size() - prefix.size() - 5).toLongLong(&number);
        if (number && pid > 0 && pid != ::getpid() && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH)
            QFile::remove(dir.filePath(name));
    }
}

bool AtomicFile::write(const void* data, size_t size) {
    return writeAll(data, size, -1);
}

bool AtomicFile::writeAt(int64_t offset, const void* data, size_t size) {
    return canGoBack() && writeAll(data, size, offset);
}

// All of data, at offset or (-1) where the file stands; a write a signal
// interrupts goes on.
bool AtomicFile::writeAll(const void* data, size_t size, int64_t offset) {
    const auto* bytes = static_cast<const char*>(data);
    for (size_t done = 0; done < size;) {
        const ssize_t n = m_fd < 0 ? (errno = EBADF, -1)
                          : offset < 0
                              ? ::write(m_fd, bytes + done, size - done)
                              : ::pwrite(m_fd, bytes + done, size - done, off_t(offset) + off_t(done));
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
        ::rename(m_temporary.toLocal8Bit().constData(), m_final.toLocal8Bit().constData()) != 0) {
        m_error = systemError(m_path);
        discard();
        return false;
    }
    forgetPart(&m_slot);
    m_temporary.clear();
    m_open = false;
    return true;
}

void AtomicFile::discard() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    if (!m_temporary.isEmpty()) ::unlink(m_temporary.toLocal8Bit().constData());
    forgetPart(&m_slot);
    m_temporary.clear();
    m_open = false;
}

}  // namespace vexohost
