// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/apppath.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>

#include "tests/forms/printers.h"

namespace {

TEST(AppPath, IsTheFolderOfTheCallingModule) {
    const QString program = forms::appPath();
    EXPECT_EQ(program, QDir::cleanPath(QCoreApplication::applicationDirPath()));

    void* probe = dlopen(FORMS_PROBE_FILE, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(probe, nullptr) << dlerror();
    using ProbeFunction = void (*)(QString*);
    const auto probeAppPath = reinterpret_cast<ProbeFunction>(dlsym(probe, "formsProbeAppPath"));
    ASSERT_NE(probeAppPath, nullptr);
    QString plugin;
    probeAppPath(&plugin);
    dlclose(probe);

    EXPECT_EQ(plugin, QDir::cleanPath(FORMS_PROBE_DIR));
    EXPECT_NE(plugin, program);
    EXPECT_FALSE(plugin.endsWith('/'));
}

TEST(AppPath, OfAnAddressInASharedLibraryIsThatLibrarysFolder) {
    // qVersion lives in the Qt core library, wherever it is installed.
    const QString qtFolder = forms::modulePathOf(reinterpret_cast<const void*>(&qVersion));
    EXPECT_TRUE(QDir(qtFolder).exists());
    EXPECT_NE(qtFolder, forms::appPath());
    EXPECT_TRUE(forms::modulePathOf(nullptr).isEmpty());
}

}  // namespace
