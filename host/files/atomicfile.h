// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_FILES_ATOMICFILE_H_
#define HOST_FILES_ATOMICFILE_H_

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

class QFileInfo;

namespace vexohost {

// An output file that appears under its name only when it is complete: it
// is written under a temporary name beside the final one and renamed by
// commit(); discard() (or destruction without commit) removes it, so a
// failure never leaves a half-written file and an earlier file of that name
// stays. A symbolic link is written through to the file it names. A new file
// gets mode 0666 less the umask, a replaced one keeps its mode, and one the
// user may not write is refused. A path that is not a regular file (a device,
// a FIFO) is written in place; a FIFO no program reads is refused rather than
// waited for. Temporary files left by killed runs are removed on the way.
class AtomicFile {
public:
    AtomicFile() = default;
    ~AtomicFile();  // discard() unless committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // The file a path names: absolute, with every symbolic link followed, to
    // a file that may not exist yet.
    static QString target(const QString& path);

    // Opens the file for writing. False with error() set when it cannot be made.
    bool open(const QString& path);
    // Writes all of data, going on after a signal interrupts the write. False
    // with error() set ("PATH: No space left on device") when it cannot.
    bool write(const void* data, size_t size);
    // Writes data over what was written at offset; false for a file written
    // in place (a device or a FIFO), which cannot go back.
    bool writeAt(int64_t offset, const void* data, size_t size);
    bool canGoBack() const { return m_open && !m_temporary.isEmpty(); }
    // Closes the file and gives it its final name.
    bool commit();
    // Closes the file and removes the temporary one.
    void discard();

    const QString& path() const { return m_path; }
    const QString& error() const { return m_error; }

    // Removes every temporary file still being written in this process.
    // Safe in a signal handler that ends the process.
    static void removePartsNow();

private:
    bool openInPlace(const QByteArray& file, bool fifo);
    bool writeAll(const void* data, size_t size, int64_t offset);
    static void removeStaleParts(const QFileInfo& target);

    QString m_path;       // as the user named it
    QString m_final;      // the file it names, links resolved; empty when written in place
    QString m_temporary;  // empty when written in place
    int m_fd = -1;
    int m_slot = -1;  // where removePartsNow() finds the temporary file
    bool m_open = false;
    QString m_error;
};

}  // namespace vexohost

#endif  // HOST_FILES_ATOMICFILE_H_
