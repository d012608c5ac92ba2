// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QApplication>
#include <QTemporaryDir>

#include "platform/forms/shutdown.h"

int main(int argc, char** argv) {
    // Tests render offscreen at a fixed density, whatever the machine has.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    // What a window remembers and the registry go to a folder of the run's
    // own, never to the user's; programs the tests start inherit it.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    if (qEnvironmentVariableIsEmpty("NIMBO_REGISTRY"))
        qputenv("NIMBO_REGISTRY", config.filePath(QStringLiteral("registry.txt")).toLocal8Bit());
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    forms::shutdown();
    return status;
}
