// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/app/pluginfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "host/app/exitstatus.h"
#include "host/files/console.h"
#include "host/session/versioninfo.h"

namespace vexohost {
namespace {

// The default plug-in: beside the host program in a build, or in the
// library folder of an installation.
QString defaultPluginPath() {
    const QString dir = QCoreApplication::applicationDirPath();
    const QString candidates[] = {dir + QStringLiteral("/Nimbolux.so"),
                                  dir + QStringLiteral("/../" NIMBO_PRIVATE_LIBDIR "/Nimbolux.so")};
    for (const QString& path : candidates)
        if (QFileInfo::exists(path)) return QDir::cleanPath(path);
    return QDir::cleanPath(candidates[0]);
}

}  // namespace

QString pluginFile(const HostOptions& options) {
    return options.pluginPath.isEmpty() ? defaultPluginPath() : options.pluginPath;
}

int printVersions(const HostOptions& options) {
    printLine(stdout, QStringLiteral("vexo-host %1").arg(QStringLiteral(NIMBO_VERSION)));
    const QString path = pluginFile(options);
    std::string error;
    const std::optional<VersionInfo> version = readVersionInfo(path.toStdString(), &error);
    const std::optional<std::string> number = version ? version->value("FileVersionBinary") : std::nullopt;
    if (!number) {
        printError(version ? QStringLiteral("%1: the version block has no FileVersionBinary").arg(path)
                           : QString::fromStdString(error));
        return kExitPluginMissing;
    }
    const std::string file = version->value("OriginalFilename").value_or("plug-in");
    // No folder: the manual page is made from this text, and must not carry
    // the folder it was built in (`vexo-host info` names the file).
    printLine(
        stdout,
        QStringLiteral("plug-in %1 %2").arg(QString::fromStdString(file), QString::fromStdString(*number)));
    printLine(stdout, QStringLiteral("\nCopyright (C) 2026 the Nimbo Lux developers\n"
                                     "License GPL-3.0-or-later: GNU GPL version 3 or later "
                                     "<https://gnu.org/licenses/gpl.html>.\n"
                                     "This is free software: you are free to change and redistribute it.\n"
                                     "There is NO WARRANTY, to the extent permitted by law."));
    return kExitOk;
}

}  // namespace vexohost
