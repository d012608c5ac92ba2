// SPDX-License-Identifier: GPL-3.0-or-later
// vexo-host as the program tests run it: a real process, a copy of the
// plug-in and its pictures in a folder of the test's own.
#ifndef TESTS_SUPPORT_HOSTPROGRAMTEST_H_
#define TESTS_SUPPORT_HOSTPROGRAMTEST_H_

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <array>

#include "tests/support/displaypictures.h"

namespace hosttest {

inline const QString kHost = QStringLiteral(VEXO_HOST);
inline const QString kPlugin = QStringLiteral(NIMBO_PLUGIN);
inline const QString kImages = QStringLiteral(NIMBO_IMAGES);

struct HostRun {
    int exitCode = -1;
    QString out, err;
};

class HostProgram : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        ASSERT_TRUE(QFile::copy(kPlugin, path("Nimbolux.so")));
        QDir().mkpath(path("images"));
        for (const QString& name : QDir(kImages).entryList({QStringLiteral("*.gif")}))
            ASSERT_TRUE(QFile::copy(kImages + '/' + name, path("images/" + name)));
    }

    QString path(const QString& name) const { return m_dir.filePath(name); }

    QString writeFile(const QString& name, const QByteArray& text) const {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return path(name);
    }

    HostRun host(QStringList arguments, const QByteArray& input = {}, bool headless = true) const {
        QStringList base = {QStringLiteral("--plugin"), path("Nimbolux.so"), QStringLiteral("--registry"),
                            path("registry.txt")};
        if (headless) base << QStringLiteral("--headless");
        if (!arguments.isEmpty() && arguments.front() == "info") base.prepend(arguments.takeFirst());
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(m_dir.path());
        process.start(kHost, base + arguments);
        EXPECT_TRUE(process.waitForStarted());
        if (!input.isEmpty()) process.write(input);
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(60000));
        return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
                QString::fromLocal8Bit(process.readAllStandardError())};
    }

    static void expectEnvelopes(const QImage& window, const std::array<int, 9>& levels) {
        EXPECT_EQ(testsupport::envelopeDifferences(window, kImages, levels), 0);
    }

    QTemporaryDir m_dir;
};

}  // namespace hosttest

#endif  // TESTS_SUPPORT_HOSTPROGRAMTEST_H_
