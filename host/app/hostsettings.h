// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_APP_HOSTSETTINGS_H_
#define HOST_APP_HOSTSETTINGS_H_

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <optional>

namespace vexohost {

// What the host remembers between runs in a window, in the user's
// configuration folder ($XDG_CONFIG_HOME/nimbo-lux/vexo-host.ini): where
// its windows stood and how large they were, the last show opened, the live
// universe and olad address, the base address and loop. The plug-in keeps
// nothing; this is the host's own.
struct HostSettings {
    QByteArray mainWindowGeometry;  // QWidget::saveGeometry()
    QByteArray fadersGeometry;
    QByteArray displayGeometry;  // the plug-in's display window, where the host put it
    QString lastShowFile;
    std::optional<unsigned> universe;
    QString olaServer;  // "HOST:PORT"
    std::optional<int> base;
    std::optional<bool> loop;
    std::optional<bool> timelineShown;  // the main window's timeline

    // Nothing set.
    bool isEmpty() const;

    // What is stored; a value that is not valid is left out, as never stored.
    // A file larger than kMaxFileBytes, or one that is no regular file (a
    // FIFO, which would keep the start waiting for a writer), is no file of
    // ours: it is neither read nor ever written (see foreign()).
    static HostSettings load();
    // Writes every value that is set into the file as it is now (what another
    // run stored meanwhile stays) and leaves the others as stored. Nothing set,
    // nothing written. False when the file cannot be written.
    bool save() const;
    static constexpr qint64 kMaxFileBytes = 64 * 1024;
    // Why the file is no settings file of ours ("is larger than 64 KB", "is
    // not a regular file"); empty when it is ours or there is none yet.
    static QString foreign();
    // Forgets everything stored.
    static void reset();
    // The file the settings live in. Naming it opens nothing.
    static QString fileName();
};

}  // namespace vexohost

#endif  // HOST_APP_HOSTSETTINGS_H_
