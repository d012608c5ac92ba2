// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_APP_ATOMICFILE_H_
#define HOST_APP_ATOMICFILE_H_

#include <QString>
#include <cstddef>

namespace vexohost {

// An output file that appears under its name only when it is complete: it
// is written under a temporary name beside the final one and renamed by
// commit(); discard() (or destruction without commit) removes it, so a
// failure never leaves a half-written file and an earlier file of that name
// stays. A path that is not a regular file (a device, a pipe) is written in
// place. The file is created with mode 0666 less the umask.
class AtomicFile {
public:
    AtomicFile() = default;
    ~AtomicFile();  // discard() unless committed
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Opens the file for writing. False with error() set when it cannot be made.
    bool open(const QString& path);
    // Writes all of data, going on after a signal interrupts the write. False
    // with error() set ("PATH: No space left on device") when it cannot.
    bool write(const void* data, size_t size);
    // Closes the file and gives it its final name.
    bool commit();
    // Closes the file and removes the temporary one.
    void discard();

    const QString& path() const { return m_path; }
    const QString& error() const { return m_error; }

private:
    QString m_path;
    QString m_temporary;  // empty when written in place
    int m_fd = -1;
    bool m_open = false;
    QString m_error;
};

}  // namespace vexohost

#endif  // HOST_APP_ATOMICFILE_H_
