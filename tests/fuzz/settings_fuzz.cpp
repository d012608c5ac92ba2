// SPDX-License-Identifier: GPL-3.0-or-later
// The settings file, which other programs and careless hands may write: any
// bytes give settings inside their ranges, or none.

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include "host/app/hostsettings.h"
#include "tests/fuzz/fuzzcheck.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    QCoreApplication::setApplicationName(QStringLiteral("vexo-host"));
    const QString home = QString::fromStdString(fuzzFolder());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home));
    QDir().mkpath(home + QStringLiteral("/nimbo-lux"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    {
        QFile file(vexohost::HostSettings::fileName());
        FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    const vexohost::HostSettings s = vexohost::HostSettings::load();
    FUZZ_CHECK(!s.base || (*s.base >= 1 && *s.base <= 512));
    if (qint64(size) > vexohost::HostSettings::kMaxFileBytes) FUZZ_CHECK(s.isEmpty());
    return 0;
}
