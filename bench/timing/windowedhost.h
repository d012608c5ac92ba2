// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef BENCH_TIMING_WINDOWEDHOST_H_
#define BENCH_TIMING_WINDOWEDHOST_H_

#include <QSettings>
#include <QString>
#include <QTemporaryDir>

#include "host/app/hostoptions.h"

namespace timingprobe {

// The options of a vexo-host in this process with its windows shown, taking
// `input`: the built plug-in, and a registry and settings of its own in dir
// (their names begun with prefix), so that no run leaves anything behind.
inline vexohost::HostOptions windowedHost(const QTemporaryDir& dir, const QString& prefix,
                                          vexohost::InputKind input) {
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       dir.filePath(prefix + QStringLiteral("config")));
    vexohost::HostOptions options;
    options.pluginPath = QStringLiteral(NIMBO_PLUGIN);
    options.registryPath = dir.filePath(prefix + QStringLiteral("registry.txt"));
    options.headless = false;
    options.input = input;
    options.inputGiven = true;
    return options;
}

}  // namespace timingprobe

#endif  // BENCH_TIMING_WINDOWEDHOST_H_
