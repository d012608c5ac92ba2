// SPDX-License-Identifier: GPL-3.0-or-later
// Failures on standard error: each said once, repeats counted.

#include "host/app/failurereport.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

#include "tests/support/casename.h"

namespace vexohost {
namespace {

// What a block writes on standard error.
template <class F>
QString stderrOf(F block) {
    QTemporaryDir dir;
    const QString path = dir.filePath("stderr");
    std::fflush(stderr);
    const int saved = ::dup(STDERR_FILENO);
    FILE* file = std::fopen(path.toLocal8Bit().constData(), "w");
    ::dup2(::fileno(file), STDERR_FILENO);
    block();
    std::fflush(stderr);
    ::dup2(saved, STDERR_FILENO);
    ::close(saved);
    std::fclose(file);
    QFile in(path);
    return in.open(QIODevice::ReadOnly) ? QString::fromUtf8(in.readAll()) : QString();
}

struct Reports {
    const char* name;
    std::vector<const char*> texts;  // reported in turn, then flushed
    std::vector<bool> printed;       // what report() returned for each
    const char* said;
};

class FailureReportTest : public testing::TestWithParam<Reports> {};

TEST_P(FailureReportTest, SaysEachWhyOnceAndCountsTheRepeats) {
    const Reports& r = GetParam();
    std::vector<bool> printed;
    const QString said = stderrOf([&] {
        FailureReport report;
        for (const char* text : r.texts) printed.push_back(report.report(QString::fromUtf8(text)));
        report.flush();
        report.flush();  // a second flush has nothing more to say
    });
    EXPECT_EQ(printed, r.printed);
    EXPECT_EQ(said.toStdString(), r.said);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, FailureReportTest,
    testing::Values(Reports{"one",
                            {"channel 3 = 120: run-time error 53"},
                            {true},
                            "channel 3 = 120: run-time error 53\n"},
                    // The same why on other channels is the same failure.
                    Reports{"repeatsOnOtherChannels",
                            {"channel 3 = 1: error 53: no file", "channel 4 = 2: error 53: no file",
                             "channel 5 = 3: error 53: no file"},
                            {true, false, false},
                            "channel 3 = 1: error 53: no file\n  (the same failure 2 more times)\n"},
                    Reports{"anotherWhyEndsTheRepeats",
                            {"channel 1 = 1: error 53", "channel 2 = 1: error 53", "Configure: error 7",
                             "channel 3 = 1: error 53"},
                            {true, false, true, true},
                            "channel 1 = 1: error 53\n  (the same failure 1 more time)\nConfigure: error 7\n"
                            "channel 3 = 1: error 53\n"},
                    // A text without a why is never taken for a repeat.
                    Reports{"noWhy", {"stopped", "stopped"}, {true, true}, "stopped\nstopped\n"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vexohost
