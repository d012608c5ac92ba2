// SPDX-License-Identifier: GPL-3.0-or-later
// scripts/olad-sandbox itself: its check passes only a folder in which
// exactly the plug-ins asked for are on, and a relative folder is the one olad
// uses (olad changes into it before it reads it).

#include "tests/ola/oladsandbox.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "tests/support/casename.h"

namespace {

const QString kScript = QStringLiteral(OLAD_SANDBOX_SCRIPT);

struct Folder {
    const char* name;
    std::vector<const char*> on;  // plug-ins whose file says enabled = true; every other says false
    const char* asked;            // the plug-in --check is told may be on, or ""
    int status;
};

class SandboxCheck : public testing::TestWithParam<Folder> {};

TEST_P(SandboxCheck, PassesOnlyThePlugInsAskedFor) {
    QTemporaryDir dir;
    for (const char* plugin : {"artnet", "dummy", "e131", "osc"}) {
        QFile file(dir.filePath(QStringLiteral("ola-%1.conf").arg(QString::fromLatin1(plugin))));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const bool on = std::find_if(GetParam().on.begin(), GetParam().on.end(), [&](const char* p) {
                            return std::string(p) == plugin;
                        }) != GetParam().on.end();
        file.write(on ? "enabled = true\nip = 10.77.0.1\n" : "enabled = false\n");
    }
    QStringList arguments = {QStringLiteral("--check"), dir.path()};
    if (*GetParam().asked) arguments << QString::fromLatin1(GetParam().asked);
    QProcess check;
    check.start(kScript, arguments);
    ASSERT_TRUE(check.waitForFinished(10000));
    EXPECT_EQ(check.exitCode(), GetParam().status) << check.readAllStandardError().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Table, SandboxCheck,
                         testing::Values(Folder{"allOff", {}, "", 0},
                                         Folder{"allOffButE131Asked", {}, "e131", 1},
                                         Folder{"e131AsAsked", {"e131"}, "e131", 0},
                                         Folder{"e131Unasked", {"e131"}, "", 1},
                                         Folder{"anotherBeside", {"e131", "osc"}, "e131", 1},
                                         Folder{"theOtherOne", {"e131"}, "artnet", 1}),
                         [](const auto& info) { return std::string(info.param.name); });

// Given a relative folder, olad reads the files written for it there and
// starts no plug-in.
TEST(Sandbox, RelativeFolderIsTheOneOladUses) {
    if (const QString reason = olatest::OladSandbox::unavailableReason(); !reason.isEmpty())
        GTEST_SKIP() << reason.toStdString();
    QTemporaryDir dir;
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                          QFileDevice::ExeOther);
    const quint16 port = olatest::OladSandbox::freePort();
    QProcess olad;
    olad.setWorkingDirectory(dir.path());
    olad.setProcessChannelMode(QProcess::MergedChannels);
    olad.start(kScript, {QStringLiteral("try"), QString::number(port)});
    ASSERT_TRUE(olad.waitForStarted());
    const QDeadlineTimer deadline(10000);
    while (!olatest::OladSandbox::accepting(port) && !deadline.hasExpired() &&
           olad.state() == QProcess::Running)
        QThread::msleep(20);
    ASSERT_TRUE(olatest::OladSandbox::accepting(port)) << olad.readAll().toStdString();
    QProcess check;
    check.start(kScript, {QStringLiteral("--check"), dir.filePath("try")});
    ASSERT_TRUE(check.waitForFinished(10000));
    EXPECT_EQ(check.exitCode(), 0) << check.readAllStandardError().toStdString();
    EXPECT_TRUE(QFile::exists(dir.filePath("try/ola-server.conf")));  // written by olad where we wrote ours
    EXPECT_FALSE(QDir(dir.filePath("try/try")).exists());
    olad.terminate();
    olad.waitForFinished(5000);
}

}  // namespace
