// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESTS_OLA_NETWORKRIG_H_
#define TESTS_OLA_NETWORKRIG_H_

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <vector>

namespace olatest {

// A lighting network of the test's own, as a technician's rig has it: two
// network namespaces joined by a veth pair, a "desk" olad sending universe 1
// over E1.31 (sACN) or Art-Net from 10.77.0.1, and a "foh" olad receiving it
// on 10.77.0.2, each started by scripts/olad-sandbox with an absolute
// configuration folder and only that one plug-in on, patched with OLA's own
// ola_patch. The console is ola_streaming_client in the desk namespace,
// fed frame by frame; it holds its last frame until it is stopped. No
// traffic leaves the two namespaces, which go with the object, together with
// every process it started. Needs root (CI runs as root).
class NetworkRig {
public:
    enum class Protocol { E131, ArtNet };

    explicit NetworkRig(Protocol protocol);
    ~NetworkRig();

    // Why the rig cannot be built here (not root, no ip or olad, no
    // namespaces), or empty.
    static QString unavailableReason();

    // Namespaces, link, both olads, patched. On false, *error says why.
    bool start(QString* error);
    // The desk's olad goes away, as a console switched off; and comes back.
    void stopDesk();
    bool startDesk(QString* error);

    // The console: frames of up to 512 values for universe 1.
    bool startConsole(QString* error);
    bool send(const std::vector<int>& values);
    void stopConsole();

    // A program and its arguments run in the foh namespace, where olad
    // listens on 127.0.0.1:9010.
    QStringList inFoh(const QString& program, const QStringList& arguments) const;

private:
    bool run(const QStringList& command, QString* error) const;
    bool startOlad(bool desk, QString* error);
    void stopOlad(std::unique_ptr<QProcess>& olad);

    const Protocol m_protocol;
    const QString m_desk;  // namespace names, of this process
    const QString m_foh;
    QTemporaryDir m_dir;
    std::unique_ptr<QProcess> m_deskOlad;
    std::unique_ptr<QProcess> m_fohOlad;
    std::unique_ptr<QProcess> m_console;
    bool m_namespaces = false;
};

}  // namespace olatest

#endif  // TESTS_OLA_NETWORKRIG_H_
