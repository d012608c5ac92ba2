// SPDX-License-Identifier: GPL-3.0-or-later
// The output file: it appears under its name only when complete, whatever
// stops it, and writes everything even when signals interrupt the writes.

#include "host/app/atomicfile.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <thread>

namespace vexohost {
namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
}

// What stands under the name after each way a write can end, with an
// earlier file "old" there or none.
enum class End { Commit, Discard, Destroyed };

struct Ending {
    const char* name;
    End end;
    bool earlierFile;
    const char* expected;  // the file's contents afterwards; "<none>" for no file
};

class AtomicFileEnding : public testing::TestWithParam<Ending> {};

TEST_P(AtomicFileEnding, LeavesTheNameCompleteOrAsItWas) {
    const Ending& e = GetParam();
    QTemporaryDir dir;
    const QString path = dir.filePath("out.png");
    if (e.earlierFile) {
        QFile old(path);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old");
    }
    {
        AtomicFile file;
        ASSERT_TRUE(file.open(path)) << file.error().toStdString();
        ASSERT_TRUE(file.write("new", 3));
        // Until it is complete the name shows what was there.
        EXPECT_EQ(contents(path), e.earlierFile ? QByteArray("old") : QByteArray("<none>"));
        if (e.end == End::Commit) {
            EXPECT_TRUE(file.commit()) << file.error().toStdString();
        } else if (e.end == End::Discard) {
            file.discard();
        }
    }
    EXPECT_EQ(contents(path), QByteArray(e.expected));
    // Nothing else is left in the folder.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(),
              e.earlierFile || e.end == End::Commit ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Endings, AtomicFileEnding,
                         testing::Values(Ending{"committed", End::Commit, false, "new"},
                                         Ending{"committedOverAnEarlierFile", End::Commit, true, "new"},
                                         Ending{"discarded", End::Discard, false, "<none>"},
                                         Ending{"discardedKeepsTheEarlierFile", End::Discard, true, "old"},
                                         Ending{"destroyedUncommittedKeepsTheEarlierFile", End::Destroyed,
                                                true, "old"}),
                         [](const auto& info) { return std::string(info.param.name); });

// Failures are said with the name the user gave and the system's reason.
TEST(AtomicFile, SaysWhyItCannotWrite) {
    QTemporaryDir dir;
    AtomicFile missingFolder;
    EXPECT_FALSE(missingFolder.open(dir.filePath("no/such/folder.gif")));
    EXPECT_EQ(missingFolder.error(), dir.filePath("no/such/folder.gif") + ": No such file or directory");

    // A device is written in place, and a full one says so.
    AtomicFile full;
    ASSERT_TRUE(full.open(QStringLiteral("/dev/full")));
    EXPECT_FALSE(full.write("x", 1));
    EXPECT_EQ(full.error(), QStringLiteral("/dev/full: No space left on device"));
    full.discard();
    EXPECT_TRUE(QFile::exists(QStringLiteral("/dev/full")));
}

void onAlarm(int) {}

// A FIFO read slowly while a timer interrupts every write: every byte
// arrives, in order.
TEST(AtomicFile, WritesEverythingThroughInterruptions) {
    QTemporaryDir dir;
    const QString fifo = dir.filePath("fifo");
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    QByteArray data(1 << 20, '\0');
    for (qsizetype i = 0; i < data.size(); ++i) data[i] = char(i * 7 + i / 251);
    QByteArray received;
    std::thread reader([&] {
        QFile in(fifo);
        if (!in.open(QIODevice::ReadOnly)) return;
        char chunk[4096];
        for (qint64 n; (n = in.read(chunk, sizeof chunk)) > 0;) {
            received.append(chunk, n);
            ::usleep(50);
        }
    });
    AtomicFile file;
    ASSERT_TRUE(file.open(fifo)) << file.error().toStdString();
    struct sigaction action {};
    action.sa_handler = onAlarm;  // no SA_RESTART: a write in progress returns early
    struct sigaction before {};
    ASSERT_EQ(::sigaction(SIGALRM, &action, &before), 0);
    const itimerval every200us{{0, 200}, {0, 200}};
    ASSERT_EQ(::setitimer(ITIMER_REAL, &every200us, nullptr), 0);
    bool written = file.write(data.constData(), size_t(data.size()));
    const itimerval off{};
    ::setitimer(ITIMER_REAL, &off, nullptr);
    ::sigaction(SIGALRM, &before, nullptr);
    written = file.commit() && written;
    reader.join();
    EXPECT_TRUE(written) << file.error().toStdString();
    EXPECT_TRUE(received == data) << received.size() << " of " << data.size() << " bytes";
}

}  // namespace
}  // namespace vexohost
