// SPDX-License-Identifier: GPL-3.0-or-later
// The output file: it appears under its name only when complete, whatever
// stops it, and writes everything even when signals interrupt the writes.

#include "host/files/atomicfile.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <thread>

#include "tests/support/casename.h"

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

// What the name given stands for: the file written is the one it names,
// with the mode it had, and what may not or cannot be written is refused
// before anything is.
struct Target {
    const char* name;
    std::function<QString(const QDir&)> prepare;  // returns the path given
    const char* refusal;                          // nullptr: written
    std::function<void(const QDir&)> check;
};

class AtomicFileTarget : public testing::TestWithParam<Target> {};

TEST_P(AtomicFileTarget, WritesWhatTheNameStandsForOrRefuses) {
    const Target& t = GetParam();
    if (t.refusal && QByteArray(t.refusal) == "Permission denied" && ::geteuid() == 0)
        GTEST_SKIP() << "root may write any file";
    QTemporaryDir temporary;
    const QDir dir(temporary.path());
    const QString path = t.prepare(dir);
    AtomicFile file;
    if (t.refusal) {
        EXPECT_FALSE(file.open(path));
        EXPECT_TRUE(file.error().startsWith(path + ": ")) << file.error().toStdString();
        EXPECT_TRUE(file.error().contains(t.refusal)) << file.error().toStdString();
    } else {
        ASSERT_TRUE(file.open(path)) << file.error().toStdString();
        ASSERT_TRUE(file.write("new", 3));
        ASSERT_TRUE(file.commit()) << file.error().toStdString();
    }
    t.check(dir);
}

QString writeOld(const QDir& dir, const char* name, QFile::Permissions permissions) {
    QFile old(dir.filePath(name));
    EXPECT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.setPermissions(permissions);
    return old.fileName();
}

const QFile::Permissions kReadOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
const QFile::Permissions kOwnerOnly = QFile::ReadOwner | QFile::WriteOwner;

INSTANTIATE_TEST_SUITE_P(
    Targets, AtomicFileTarget,
    testing::Values(
        Target{"linkIsWrittenThrough",
               [](const QDir& d) {
                   writeOld(d, "real.png", kOwnerOnly);
                   QFile::link(d.filePath("real.png"), d.filePath("link.png"));
                   return d.filePath("link.png");
               },
               nullptr,
               [](const QDir& d) {
                   EXPECT_TRUE(QFileInfo(d.filePath("link.png")).isSymLink());
                   EXPECT_EQ(contents(d.filePath("real.png")), "new");
               }},
        Target{"replacedFileKeepsItsMode", [](const QDir& d) { return writeOld(d, "out.png", kOwnerOnly); },
               nullptr,
               [](const QDir& d) {
                   EXPECT_EQ(QFile::permissions(d.filePath("out.png")) & 0xF0FF, kOwnerOnly);
                   EXPECT_EQ(contents(d.filePath("out.png")), "new");
               }},
        Target{"readOnlyFileIsRefused", [](const QDir& d) { return writeOld(d, "out.png", kReadOnly); },
               "Permission denied", [](const QDir& d) { EXPECT_EQ(contents(d.filePath("out.png")), "old"); }},
        Target{"fifoNobodyReadsIsRefusedAtOnce",
               [](const QDir& d) {
                   ::mkfifo(d.filePath("fifo").toLocal8Bit().constData(), 0600);
                   return d.filePath("fifo");
               },
               "a FIFO that no program reads", [](const QDir&) {}},
        Target{"partsOfKilledRunsAreRemoved",
               [](const QDir& d) {
                   writeOld(d, ".out.png.2147483646.part", kOwnerOnly);  // no such process
                   writeOld(d, QStringLiteral(".out.png.%1.part").arg(::getppid()).toLocal8Bit(), kOwnerOnly);
                   return d.filePath("out.png");
               },
               nullptr,
               [](const QDir& d) {
                   EXPECT_EQ(d.entryList(QDir::Files | QDir::Hidden),
                             QStringList({QStringLiteral(".out.png.%1.part").arg(::getppid()), "out.png"}));
               }}),
    [](const auto& info) { return std::string(info.param.name); });

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
    // The reader is there before the writer comes (a FIFO nobody reads is
    // refused), and reads once the writer is.
    const int in = ::open(fifo.toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(in, 0);
    AtomicFile file;
    ASSERT_TRUE(file.open(fifo)) << file.error().toStdString();
    ::fcntl(in, F_SETFL, ::fcntl(in, F_GETFL) & ~O_NONBLOCK);
    std::thread reader([&] {
        char chunk[4096];
        for (ssize_t n; (n = ::read(in, chunk, sizeof chunk)) != 0;) {
            if (n < 0 && errno != EINTR) break;
            if (n > 0) received.append(chunk, n);
            ::usleep(50);
        }
        ::close(in);
    });
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
