// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/session/versioninfo.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace vexohost {
namespace {

// A library built from the plug-in's version block alone, so these tests do
// not depend on the rest of the plug-in.
const std::string kLibrary = VERSION_TEST_LIBRARY;

TEST(VersionInfo, ReadsEveryEntryWithoutLoadingTheLibrary) {
    std::string error;
    const auto info = readVersionInfo(kLibrary, &error);
    ASSERT_TRUE(info) << error;
    const std::pair<const char*, const char*> expected[] = {
        {"FileVersionBinary", "2.9.0.0"}, {"ProductVersionBinary", "2.9.0.0"},
        {"Translation", "0x0407 0x04B0"}, {"FileVersion", "2.09"},
        {"ProductVersion", "2.09"},       {"InternalName", "Nimbolux"},
        {"ProductName", "Nimbos"},        {"OLESelfRegister", ""},
    };
    for (const auto& [key, value] : expected) EXPECT_EQ(info->value(key), value) << key;
    EXPECT_TRUE(info->value("CompanyName"));
    EXPECT_TRUE(info->value("LegalCopyright"));
    EXPECT_FALSE(info->value("NoSuchKey"));
}

// The package and the plug-in carry one version: bumping the project's
// version without the plug-in's block (or the other way round) fails here.
TEST(VersionInfo, PluginVersionIsThePackageVersion) {
    std::string error;
    const auto info = readVersionInfo(kLibrary, &error);
    ASSERT_TRUE(info) << error;
    EXPECT_EQ(info->value("FileVersionBinary"), PACKAGE_VERSION ".0");
    EXPECT_EQ(info->value("ProductVersionBinary"), PACKAGE_VERSION ".0");
}

// Files that are not plug-ins, or are damaged, give a reason and never crash.
TEST(VersionInfo, RejectsFilesThatAreNotPlugins) {
    QTemporaryDir dir;
    auto write = [&](const char* name, const QByteArray& bytes) {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return dir.filePath(name).toStdString();
    };
    QFile library(QString::fromStdString(kLibrary));
    ASSERT_TRUE(library.open(QIODevice::ReadOnly));
    const QByteArray good = library.readAll();
    QByteArray truncated = good.left(good.size() / 2);
    QByteArray badTable = good;
    // e_shoff (offset 40, 8 bytes) pointing far beyond the end of the file.
    for (int i = 0; i < 8; ++i) badTable[40 + i] = char(0x7f);

    const std::pair<std::string, const char*> cases[] = {
        {"/nonexistent/lib.so", "cannot open"},
        {write("empty.so", {}), "not a 64-bit ELF"},
        {write("text.so", "just some text, long enough to look at the header of it all......"),
         "not a 64-bit ELF"},
        {write("truncated.so", truncated), "malformed"},
        {write("badtable.so", badTable), "malformed section table"},
    };
    for (const auto& [path, reason] : cases) {
        std::string error;
        EXPECT_FALSE(readVersionInfo(path, &error)) << path;
        EXPECT_NE(error.find(reason), std::string::npos) << path << ": " << error;
    }
}

}  // namespace
}  // namespace vexohost
