// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESTS_OLA_NETWORKRIG_H_
#define TESTS_OLA_NETWORKRIG_H_

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <ostream>
#include <vector>

namespace olatest {

// A lighting network of the test's own, as a technician's rig has it:
// network namespaces joined by veth pairs to a bridge in a namespace of its
// own (the switch), a "desk" olad sending universe 1 over E1.31 (sACN) or
// Art-Net from 10.77.0.1, a "foh" olad receiving it on 10.77.0.2, and, when
// asked for, a "backup" desk on 10.77.0.3 sending the same universe at a
// higher sACN priority. Each olad is started by scripts/olad-sandbox with an
// absolute configuration folder and only that one plug-in on, and patched
// with OLA's own ola_patch. A console is ola_streaming_client in a desk's
// namespace, fed frame by frame; it holds its last frame until it is
// stopped. No traffic leaves the namespaces, which go with the object,
// together with every process it started. Needs root (CI runs as root).
class NetworkRig {
public:
    enum class Protocol { E131, ArtNet };
    friend void PrintTo(Protocol protocol, std::ostream* out) {
        *out << (protocol == Protocol::E131 ? "sACN" : "Art-Net");
    }

    enum class Desk { Main, Backup };

    explicit NetworkRig(Protocol protocol, bool withBackup = false);
    ~NetworkRig();

    // Why the rig cannot be built here (not root, no ip or olad, no
    // namespaces), or empty.
    static QString unavailableReason();

    // Namespaces, links, the olads, patched (the backup's output at priority
    // 150). On false, *error says why.
    bool start(QString* error);
    // A desk's olad goes away, as a console switched off (its console with
    // it): told to stop, it says so on the wire (sACN's stream terminated);
    // killed, it falls silent, as when a cable is pulled. And comes back.
    void stopDesk(Desk desk = Desk::Main, bool killed = false);
    bool startDesk(QString* error, Desk desk = Desk::Main);

    // A desk's console: frames of up to 512 values for universe 1.
    bool startConsole(QString* error, Desk desk = Desk::Main);
    bool send(const std::vector<int>& values, Desk desk = Desk::Main);
    void stopConsole(Desk desk = Desk::Main);

    // A program and its arguments run in the foh namespace, where olad
    // listens on 127.0.0.1:9010.
    QStringList inFoh(const QString& program, const QStringList& arguments) const;

private:
    // One namespace on the switch, with its olad and console.
    struct Node {
        QString name;  // of the namespace, and of its folder
        QString address;
        std::unique_ptr<QProcess> olad;
        std::unique_ptr<QProcess> console;
        bool made = false;
    };
    bool run(const QStringList& command, QString* error) const;
    bool addNode(Node& node, int index, QString* error);
    bool startOlad(Node& node, QString* error);
    static void stop(std::unique_ptr<QProcess>& process, bool killed = false);
    Node& desk(Desk which) { return which == Desk::Main ? m_desk : m_backup; }

    const Protocol m_protocol;
    const bool m_withBackup;
    const QString m_switch;  // the bridge's namespace, of this process
    QTemporaryDir m_dir;
    Node m_desk, m_foh, m_backup;
    bool m_switchMade = false;
};

}  // namespace olatest

#endif  // TESTS_OLA_NETWORKRIG_H_
