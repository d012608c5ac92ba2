// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/session/moduleinfotext.h"

#include "host/session/pluginsession.h"

namespace vexohost {
namespace {

QString yesNo(int32_t flag) {
    return flag ? QStringLiteral("yes") : QStringLiteral("no");
}

}  // namespace

QStringList moduleInfoText(const PluginSession& session, bool everything) {
    const ModuleDescription& m = session.module();
    QStringList lines;
    auto line = [&lines](const QString& label, const QString& value) {
        lines << QStringLiteral("%1 %2").arg(label, -13).arg(value);
    };
    QStringList wanted;
    for (int32_t msg : m.messages) wanted << QString::number(msg);

    line(QStringLiteral("plug-in"), QStringLiteral("%1 (%2)").arg(session.pluginPath(), session.progId()));
    line(QStringLiteral("name"), QString::fromStdString(m.displayName));
    line(QStringLiteral("description"), QString::fromStdString(m.description));
    line(QStringLiteral("author"), QString::fromStdString(m.author));
    line(QStringLiteral("module id"), QString::fromStdString(m.moduleId));
    line(QStringLiteral("messages"),
         wanted.isEmpty() ? QStringLiteral("none") : wanted.join(QStringLiteral(", ")));
    line(QStringLiteral("tool window"),
         QString::fromStdString(m.toolWindowName) +
             (m.showToolWindowAtStart ? QStringLiteral(" (shown at start)") : QString()));
    if (everything) {
        line(QStringLiteral("enabled"), yesNo(m.startEnabled));
        line(QStringLiteral("in menu"), yesNo(m.showInMenu));
        line(QStringLiteral("module kind"), QString::number(m.moduleKind));
        line(QStringLiteral("dock"), QString::number(m.dockPosition));
        line(QStringLiteral("project data"), yesNo(m.usesProjectData));
        line(QStringLiteral("sends"), yesNo(m.sendsMessages));
    }
    if (const auto& version = session.versionInfo()) {
        for (const auto& [key, value] : version->entries) {
            if (!everything && key != "FileVersion" && key != "ProductName" && key != "InternalName")
                continue;
            line(QString::fromStdString(("version " + key).substr(0, 60)), QString::fromStdString(value));
        }
    } else {
        line(QStringLiteral("version"), QStringLiteral("no version block"));
    }
    return lines;
}

}  // namespace vexohost
