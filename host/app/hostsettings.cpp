// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/app/hostsettings.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include "host/input/universe.h"

namespace vexohost {
namespace {

QSettings store() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("nimbo-lux"),
                     QStringLiteral("vexo-host"));
}

}  // namespace

bool HostSettings::isEmpty() const {
    return mainWindowGeometry.isEmpty() && fadersGeometry.isEmpty() && displayGeometry.isEmpty() &&
           lastShowFile.isEmpty() && !universe && olaServer.isEmpty() && !base && !loop && !timelineShown;
}

QString HostSettings::foreign() {
    const QFileInfo file(fileName());
    if (!file.exists()) return {};
    if (!file.isFile()) return QStringLiteral("is not a regular file");
    if (file.size() > kMaxFileBytes) return QStringLiteral("is larger than %1 KB").arg(kMaxFileBytes / 1024);
    return {};
}

HostSettings HostSettings::load() {
    if (!foreign().isEmpty()) return {};
    const QSettings s = store();
    HostSettings out;
    out.mainWindowGeometry = s.value("window/main").toByteArray();
    out.fadersGeometry = s.value("window/faders").toByteArray();
    out.displayGeometry = s.value("window/display").toByteArray();
    out.lastShowFile = s.value("show/last").toString();
    bool ok = false;
    if (const qulonglong universe = s.value("live/universe").toULongLong(&ok); ok && universe <= 0xffffffffu)
        out.universe = unsigned(universe);
    out.olaServer = s.value("live/server").toString();
    if (const int base = s.value("channels/base").toInt(&ok); ok && base >= 1 && base <= kUniverseSize)
        out.base = base;
    if (s.contains("show/loop")) out.loop = s.value("show/loop").toBool();
    if (s.contains("window/timeline")) out.timelineShown = s.value("window/timeline").toBool();
    return out;
}

bool HostSettings::save() const {
    if (isEmpty()) return true;
    if (!foreign().isEmpty()) return false;
    QSettings s = store();
    if (!mainWindowGeometry.isEmpty()) s.setValue("window/main", mainWindowGeometry);
    if (!fadersGeometry.isEmpty()) s.setValue("window/faders", fadersGeometry);
    if (!displayGeometry.isEmpty()) s.setValue("window/display", displayGeometry);
    if (!lastShowFile.isEmpty()) s.setValue("show/last", lastShowFile);
    if (universe) s.setValue("live/universe", qulonglong(*universe));
    if (!olaServer.isEmpty()) s.setValue("live/server", olaServer);
    if (base) s.setValue("channels/base", *base);
    if (loop) s.setValue("show/loop", *loop);
    if (timelineShown) s.setValue("window/timeline", *timelineShown);
    s.sync();
    // A file that was not ours to read (FormatError) has been written all the same.
    return s.status() != QSettings::AccessError;
}

void HostSettings::reset() {
    if (!foreign().isEmpty()) {  // not worth reading to empty it, or not to be read at all
        QFile::remove(fileName());
        return;
    }
    QSettings s = store();
    s.clear();
    s.sync();
}

QString HostSettings::fileName() {
    // The QSettings of our file would read it as it is made, however large,
    // and wait on a FIFO. One for a file of ours that never exists names the
    // folder QSettings uses (XDG_CONFIG_HOME, or what setPath() said) and
    // reads nothing.
    const QSettings folder(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("nimbo-lux"),
                           QStringLiteral(".vexo-host-folder"));
    return QFileInfo(folder.fileName()).path() + QStringLiteral("/vexo-host.ini");
}

}  // namespace vexohost
