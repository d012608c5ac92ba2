// SPDX-License-Identifier: GPL-3.0-or-later
// vexo-host as a user runs it: a real process, a copy of the plug-in and its
// pictures in a folder of the test's own, and the files it writes.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <array>
#include <csignal>
#include <vector>

#include "tests/support/casename.h"
#include "tests/support/colourdifference.h"
#include "tests/support/decodedframes.h"
#include "tests/support/displaypictures.h"
#include "tests/support/hostprogramtest.h"

namespace {

using hosttest::HostProgram;
using hosttest::HostRun;
using hosttest::kHost;
using hosttest::kImages;

TEST_F(HostProgram, ShowFileToSnapshot) {
    const QString show = writeFile("a.show",
                                   "# every band once; channel 9 gets a value the window ignores\n"
                                   "0 1=0 2=5 3=30 4=80 5=130\n"
                                   "+100 6=180 7=230 8=255 9=256\n");
    const HostRun run = host({"--play", show, "--fast", "--snapshot", path("out.png")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QImage window(path("out.png"));
    expectEnvelopes(window, {0, 1, 2, 3, 4, 5, 6, 6, 0});
    const std::array<bool, 9> flames = {false, true, true, true, true, true, true, true, false};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(testsupport::flameShows(window, i), flames[size_t(i)]) << "nimbo " << i;
    EXPECT_TRUE(run.out.contains("9 messages passed to the plug-in, 0 not wanted, 0 failed"))
        << run.out.toStdString();
}

TEST_F(HostProgram, OnlyWantedMessagesReachThePlugin) {
    const QString show = writeFile("m.show", "0 msg 14 1 200\n10 msg 16 2 200\n20 msg 15 3 200\n");
    const HostRun run = host({"--play", show, "--fast", "--snapshot", path("out.png")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("1 messages passed to the plug-in, 2 not wanted")) << run.out.toStdString();
    expectEnvelopes(QImage(path("out.png")), {0, 0, 5, 0, 0, 0, 0, 0, 0});
}

TEST_F(HostProgram, BaseShiftsInputChannels) {
    const QString show = writeFile("b.show", "0 101=255 109=30 100=77\n");
    const HostRun run = host({"--play", show, "--fast", "--base", "101", "--snapshot", path("out.png")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    expectEnvelopes(QImage(path("out.png")), {6, 0, 0, 0, 0, 0, 0, 0, 2});
}

TEST_F(HostProgram, RecordingFromOlaRecorderFile) {
    // Two frames of universe 3, 400 ms apart: the recording is 1.4 s long.
    const QString show = writeFile("rec.show", "OLA Show\n3 0,200,0\n400\n3 0,200,90\n");
    const HostRun run = host({"--play", show, "--fast", "--fps", "10", "--record", path("out.gif"),
                              "--snapshot", path("out.png")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("playing universe 3")) << run.out.toStdString();
    expectEnvelopes(QImage(path("out.png")), {0, 5, 3, 0, 0, 0, 0, 0, 0});
    QImageReader gif(path("out.gif"));
    EXPECT_EQ(gif.size(), QSize(867, 283));
    int shownMs = 0;
    for (QImage frame; gif.read(&frame);) shownMs += gif.nextImageDelay();
    EXPECT_EQ(shownMs, 1400);
}

struct BadShow {
    std::string text;
    const char* where;  // ":LINE:COLUMN:" or ":LINE:"
};

void PrintTo(const BadShow& c, std::ostream* out) {
    *out << testing::PrintToString(c.text) << " at " << c.where;
}

// A recorder frame line of n slots.
std::string manySlots(int n) {
    std::string values = "0";
    for (int i = 1; i < n; ++i) values += ",0";
    return values;
}

class HostProgramBadShows : public HostProgram, public testing::WithParamInterface<BadShow> {};

TEST_P(HostProgramBadShows, NameFileLineAndColumnAndPlayNothing) {
    const QString show = writeFile("bad.show", QByteArray::fromStdString(GetParam().text));
    const HostRun run = host({"--play", show, "--fast", "--snapshot", path("out.png")});
    EXPECT_EQ(run.exitCode, 6);
    EXPECT_TRUE(run.err.contains(show + GetParam().where)) << run.err.toStdString();
    EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
    EXPECT_FALSE(QFile::exists(path("out.png")));
}

INSTANTIATE_TEST_SUITE_P(Table, HostProgramBadShows,
                         testing::Values(BadShow{"0 1=1\n+x 2=2\n", ":2:1:"},
                                         BadShow{"500 1=1\n10 1=2\n", ":2:1:"},
                                         BadShow{"0 1=99999999999\n", ":1:5:"},
                                         BadShow{"0 msg 15\n", ":1:3:"},
                                         BadShow{"OLA Show\n1 1,2,300\n", ":2:7:"},
                                         // What careless hands and other programs give.
                                         BadShow{std::string("\xff\xfe"
                                                             "0\0 \0"
                                                             "1\0=\0"
                                                             "5\0\n\0",
                                                             14),
                                                 ":1:1:"},
                                         BadShow{std::string("0 1=1\n\0\0\0\n", 10), ":2:1:"},
                                         BadShow{"0 1=1\n+9223372036854775807 1=1\n", ":2:1:"},
                                         BadShow{"0 2147483648=1\n", ":1:3:"},
                                         BadShow{"OLA Show\n1 " + manySlots(1'000'000) + "\n", ":2:"},
                                         BadShow{"OLA Show\n1 " + manySlots(513) + "\n", ":2:"}),
                         testsupport::CaseName());

TEST_F(HostProgram, MissingPictureFileEndsWithItsName) {
    ASSERT_TRUE(QFile::remove(path("images/gruen040.gif")));
    const HostRun run = host({"--demo"});
    EXPECT_EQ(run.exitCode, 5);
    EXPECT_TRUE(run.err.contains("run-time error 53: File not found")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("gruen040.gif")) << run.err.toStdString();
}

struct CommandLine {
    std::vector<const char*> arguments;
    int exitCode;
    const char* says;
};

void PrintTo(const CommandLine& c, std::ostream* out) {
    *out << testsupport::commandLine(c.arguments) << " exits " << c.exitCode << " saying " << c.says;
}

class HostProgramCommandLines : public HostProgram, public testing::WithParamInterface<CommandLine> {};

TEST_P(HostProgramCommandLines, ExitWithOneLineThatSaysWhy) {
    QStringList arguments;
    for (const char* a : GetParam().arguments) arguments << QString::fromUtf8(a);
    if (arguments.contains("MISSING"))
        arguments.replace(arguments.indexOf("MISSING"), path("none/Nimbolux.so"));
    if (arguments.contains("TEXT"))
        arguments.replace(arguments.indexOf("TEXT"), writeFile("text.show", "0 1=5\n"));
    if (arguments.contains("PNGREG"))
        arguments.replace(arguments.indexOf("PNGREG"), writeFile("png-registry.txt", "\x89PNG\r\n\x1a\n"));
    if (arguments.contains("FAKESO"))
        arguments.replace(arguments.indexOf("FAKESO"), writeFile("fake.so", "not a library\n"));
    if (arguments.removeAll("HUGEGIF"))  // a picture claiming 30000 x 30000 pixels
        writeFile("images/rot100.gif", QByteArray("GIF89a\x30\x75\x30\x75\x80\x00\x00", 13));
    if (arguments.contains("CUTREG"))
        arguments.replace(arguments.indexOf("CUTREG"), writeFile("cut-registry.txt", "nimbo-regi"));
    if (arguments.contains("TRUNCSO")) {  // a plug-in file cut short, as by a failed copy
        QFile plugin(path("Nimbolux.so"));
        ASSERT_TRUE(plugin.open(QIODevice::ReadOnly));
        arguments.replace(arguments.indexOf("TRUNCSO"), writeFile("trunc.so", plugin.read(100000)));
    }
    for (const char* fifo : {"FIFO", "FIFO.gif"}) {
        if (!arguments.contains(fifo)) continue;
        const QString name = QString::fromLatin1(fifo).toLower();
        ASSERT_EQ(::mkfifo(path(name).toLocal8Bit().constData(), 0600), 0);
        arguments.replace(arguments.indexOf(fifo), path(name));
    }
    if (arguments.contains("LINKTOSAME")) {  // another name of the recording, not yet written
        ASSERT_TRUE(QFile::link(path("same.gif"), path("link.png")));
        arguments.replace(arguments.indexOf("LINKTOSAME"), path("link.png"));
        arguments.replace(arguments.indexOf("same.gif"), path("same.gif"));
    }
    for (const char* full : {"FULL.gif", "FULL.png"}) {  // a full disk
        if (!arguments.contains(full)) continue;
        const QString name = QString::fromLatin1(full).toLower();
        ASSERT_TRUE(QFile::link("/dev/full", path(name)));
        arguments.replace(arguments.indexOf(full), path(name));
    }
    const HostRun run = host(arguments);
    EXPECT_EQ(run.exitCode, GetParam().exitCode);
    EXPECT_TRUE(run.err.contains(GetParam().says)) << run.err.toStdString();
    EXPECT_EQ(run.err.count('\n'), 1) << run.err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Table, HostProgramCommandLines,
    testing::Values(
        CommandLine{{"--frobnicate"}, 2, "unknown option '--frobnicate'"},
        CommandLine{{"--speed", "fast"}, 2, "--speed"},
        CommandLine{{"--plugin", "MISSING"}, 3, "plug-in file not found"},
        CommandLine{{"--play", "/nonexistent/x.show"}, 6, "cannot open"},
        CommandLine{{"--play", "/dev/zero"}, 6, "/dev/zero: is a device, not a show file"},
        CommandLine{{"--play", "/tmp"}, 6, "/tmp: is a folder, not a show file"},
        // The whole command line is checked before the plug-in is
        // touched: a missing one would be exit 3.
        CommandLine{{"--plugin", "MISSING", "--ola", "1", "--ola-server", "olad.example:9010"},
                    2,
                    "is not HOST:PORT"},
        CommandLine{{"--plugin", "MISSING", "--ola-server", "127.0.0.1:0"}, 2, "is not HOST:PORT"},
        // Outputs that cannot be written say where and why.
        CommandLine{
            {"--demo", "--record", "/nonexistent/x.gif"}, 1, "/nonexistent/x.gif: No such file or directory"},
        CommandLine{{"--demo", "--record", "FULL.gif"}, 1, "full.gif: No space left on device"},
        CommandLine{{"--demo", "--snapshot", "/nonexistent/x.png"},
                    1,
                    "cannot write the snapshot: /nonexistent/x.png: No such file or directory"},
        CommandLine{{"--play", "TEXT", "--snapshot", "FULL.png"}, 1, "full.png: No space left on device"},
        CommandLine{
            {"--demo", "--record", "out.png"}, 2, "'out.png' is not OUT.gif (animated GIF) or OUT.webp"},
        CommandLine{
            {"--demo", "--snapshot", "out.jpg"}, 2, "'out.jpg' is not OUT.png (the snapshot is a PNG"},
        CommandLine{{"--record", "same.gif", "--snapshot", "LINKTOSAME"}, 2, "name the same file '"},
        CommandLine{{"--play", "same.show", "--save-show", "same.show"},
                    2,
                    "--save-show and --play name the same file"},
        CommandLine{{"--demo", "--plot", "out.jpg"}, 2, "--plot: 'out.jpg' is not OUT.png or OUT.svg"},
        CommandLine{{"--demo", "--plot-size", "100x100"}, 2, "is not WxH from 320x200 to 8000x8000"},
        CommandLine{{"--demo", "--plot", "same.png", "--snapshot", "same.png"},
                    2,
                    "--plot and --snapshot name the same file"},
        CommandLine{
            {"--play", "x.csv", "--export-csv", "x.csv"}, 2, "--export-csv and --play name the same file"},
        CommandLine{{"--demo", "--export-csv", "/nonexistent/x.csv"},
                    1,
                    "cannot export the values: /nonexistent/x.csv: No such file or directory"},
        CommandLine{{"--stdin", "--save-show", "/nonexistent/x.show"},
                    1,
                    "cannot save the show: /nonexistent/x.show: No such file or directory"},
        // A FIFO nobody reads is refused, not waited for (no signal would end the wait).
        CommandLine{{"--demo", "--snapshot", "FIFO"}, 1, "fifo: a FIFO that no program reads"},
        CommandLine{{"--demo", "--record", "FIFO.gif"}, 1, "fifo.gif: a FIFO that no program reads"},
        // Parts of a show and loops.
        CommandLine{{"--from", "-5"}, 2, "--from: '-5' is not a time"},
        CommandLine{{"--to", "1:75"}, 2, "--to: '1:75' is not a time"},
        CommandLine{{"--from", "0:02", "--to", "1500"}, 2, "--from 0:02.000 is not before --to 0:01.500"},
        CommandLine{{"--stdin", "--loop"}, 2, "need a show (--demo or --play)"},
        // An output with no name, or with an option for a name, and options that would do nothing.
        CommandLine{{"--export-csv", ""}, 2, "--export-csv needs a file name"},
        CommandLine{{"--save-show", ""}, 2, "--save-show needs a file name"},
        CommandLine{{"--snapshot", ""}, 2, "--snapshot needs a file name"},
        CommandLine{
            {"--export-csv", "--headless"}, 2, "--export-csv: '--headless' is an option, not a file name"},
        CommandLine{{"--plot-size", "800x600"}, 2, "--plot-size needs --plot"},
        CommandLine{{"--play", "TEXT", "--no-data-after", "5"}, 2, "--no-data-after needs a live universe"},
        CommandLine{{"--demo", "--loop", "--record", "x.gif"}, 2, "needs --duration"},
        CommandLine{{"--demo", "--from", "5:00"}, 2, "--from 5:00.000 is past the end of the show"},
        CommandLine{{"--play", "/dev/stdin", "--loop"}, 2, "/dev/stdin is a pipe, which plays only once"},
        // Base addresses a console has, whole numbers, and universes only where there are some.
        CommandLine{{"--base", "600"}, 2, "--base: '600' is not a number from 1 to 512"},
        CommandLine{{"--base", "0"}, 2, "--base: '0' is not a number from 1 to 512"},
        CommandLine{{"--base", "1.5"}, 2, "--base: '1.5' is not a whole number from 1 to 512"},
        CommandLine{{"--play", "TEXT", "--universe", "2"}, 2, "a text show has no universes"},
        // A registry file of another format, or cut short, is refused and left as it is.
        CommandLine{{"--registry", "PNGREG"}, 4, "png-registry.txt line 1: not a registry file"},
        CommandLine{{"--registry", "CUTREG"}, 4, "cut-registry.txt line 1: not a registry file"},
        CommandLine{{"--registry", "PNGREG"}, 4, "(move that file away and the plug-in is registered afresh"},
        CommandLine{{"--registry", "/dev/null"}, 4, "registry file /dev/null: not a regular file"},
        // Limits in plain digits.
        CommandLine{{"--universe", "5000000000"}, 2, "is not a number from 0 to 4294967295"},
        CommandLine{{"--speed", "2000"}, 2, "is not a number from 0.001 to 1000"},
        // A plug-in file that is no library, and a picture too large to be one of ours.
        CommandLine{{"--plugin", "FAKESO"}, 4, "Error in loading DLL: in-process server"},
        CommandLine{
            {"--plugin", "TRUNCSO"}, 4, "trunc.so: malformed: its section headers lie beyond the end"},
        CommandLine{{"--plugin", "FIFO"}, 4, "fifo: not a regular file"},
        CommandLine{{"HUGEGIF"}, 5, "run-time error 481: Invalid picture: "}),
    testsupport::CaseName());

TEST_F(HostProgram, VersionNamesTheProgramAndThePlugin) {
    const HostRun run = host({"--version"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out,
              "vexo-host 2.9.0\nplug-in Nimbolux.so 2.9.0.0\n\n"
              "Copyright (C) 2026 the Nimbo Lux developers\n"
              "License GPL-3.0-or-later: GNU GPL version 3 or later "
              "<https://gnu.org/licenses/gpl.html>.\n"
              "This is free software: you are free to change and redistribute it.\n"
              "There is NO WARRANTY, to the extent permitted by law.\n");
}

TEST_F(HostProgram, WithoutAHomeFolderSaysWhereTheRegistryCouldGo) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"HOME", "XDG_DATA_HOME", "NIMBO_REGISTRY"}) environment.remove(name);
    process.setProcessEnvironment(environment);
    process.start(kHost, {"--headless", "--plugin", path("Nimbolux.so")});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_TRUE(process.readAllStandardError().contains("no home folder for the registry file"));
}

TEST_F(HostProgram, InfoPrintsModuleInformationAndVersionBlock) {
    const HostRun run = host({"info"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_FALSE(run.out.contains("writes")) << "info writes nothing\n" << run.out.toStdString();
    for (const char* text : {"Nimbo Lux", "coloring Nimbos, Version 2.9.0", "messages      15", "NimboForm",
                             "FileVersion", "2.09", "Nimbos"})
        EXPECT_TRUE(run.out.contains(text)) << text << "\n" << run.out.toStdString();
}

TEST_F(HostProgram, StandardInputIsAppliedAsItArrives) {
    const HostRun run = host({"--stdin", "--snapshot", path("out.png")}, "0 4=120\nnonsense\n+5 5=1\n");
    EXPECT_EQ(run.exitCode, 6);  // a moment was lost
    EXPECT_TRUE(run.err.contains("<stdin>:2:1:")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("1 malformed line was skipped")) << run.err.toStdString();
    expectEnvelopes(QImage(path("out.png")), {0, 0, 0, 4, 1, 0, 0, 0, 0});
}

struct TimedInput {
    std::vector<const char*> arguments;
    std::array<int, 9> levels;
};

void PrintTo(const TimedInput& c, std::ostream* out) {
    *out << testsupport::commandLine(c.arguments);
}

class HostProgramTimedInput : public HostProgram, public testing::WithParamInterface<TimedInput> {};

// Standard input keeps its times: the second line is due 3 s after the
// first, so a run of 0.7 s has not applied it yet; with --fast it has.
TEST_P(HostProgramTimedInput, HonoursTheTimesOfItsLines) {
    QStringList arguments = {"--stdin", "--snapshot", path("out.png")};
    for (const char* a : GetParam().arguments) arguments << a;
    const HostRun run = host(arguments, "0 1=235\n+3000 1=0 2=135\n");
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    expectEnvelopes(QImage(path("out.png")), GetParam().levels);
}

INSTANTIATE_TEST_SUITE_P(Table, HostProgramTimedInput,
                         testing::Values(TimedInput{{"--duration", "0.7"}, {6, 0, 0, 0, 0, 0, 0, 0, 0}},
                                         TimedInput{{"--fast"}, {0, 4, 0, 0, 0, 0, 0, 0, 0}}),
                         testsupport::CaseName());

// ... and a run that skipped lines says how many and ends with status 6.
TEST_F(HostProgram, LongLinesOnStandardInputAndBadLinesInAPipeAreSkipped) {
    const QByteArray input = "0 1=235\n" + QByteArray(2 << 20, 'x') + "\nnonsense\n+5 2=135\n";
    for (const char* input_kind : {"--stdin", "--play"}) {
        QStringList arguments = {input_kind, "--fast", "--snapshot", path("out.png")};
        if (arguments[0] == "--play") arguments.insert(1, "/dev/stdin");  // a pipe: it plays as it comes
        const HostRun run = host(arguments, input);
        ASSERT_EQ(run.exitCode, 6) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains("2 malformed lines were skipped")) << run.err.toStdString();
        const QString name = arguments[0] == "--play" ? "/dev/stdin" : "<stdin>";
        EXPECT_TRUE(run.err.contains(name + ":2: line longer than 1 MB; skipped")) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(name + ":3:1: expected a time")) << run.err.toStdString();
        expectEnvelopes(QImage(path("out.png")), {6, 4, 0, 0, 0, 0, 0, 0, 0});
    }
}

// A FIFO nobody writes to: the show waits for it without blocking, and ends
// with its duration.
TEST_F(HostProgram, SilentFifoEndsWithTheDuration) {
    const QString fifo = path("silent.show");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const HostRun run = host({"--play", fifo, "--duration", "0.5", "--snapshot", path("out.png")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    expectEnvelopes(QImage(path("out.png")), {0, 0, 0, 0, 0, 0, 0, 0, 0});
}

// A pipe played at full speed waits for lines that come late, up to its duration.
TEST_F(HostProgram, PipeAtFullSpeedWaitsForItsLinesWithinTheDuration) {
    QProcess process;
    process.setWorkingDirectory(m_dir.path());
    process.start(kHost, {"--plugin", path("Nimbolux.so"), "--registry", path("registry.txt"), "--headless",
                          "--play", "/dev/stdin", "--duration", "2", "--export-csv", "values.csv"});
    ASSERT_TRUE(process.waitForStarted());
    process.write("0 1=1\n");
    QThread::msleep(700);
    process.write("+100 2=5\n");
    QThread::msleep(300);
    process.closeWriteChannel();
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    QFile values(path("values.csv"));
    ASSERT_TRUE(values.open(QIODevice::ReadOnly));
    EXPECT_EQ(values.readAll(), "ms,ch1,ch2,ch3,ch4,ch5,ch6,ch7,ch8,ch9\n0,1,,,,,,,,\n100,1,5,,,,,,,\n");
}

class HostProgramParts : public HostProgram, public testing::WithParamInterface<std::vector<const char*>> {};

// Universe 2 of a recording, from 150 ms to 250 ms: the state at 150 ms
// (slot 2 at 135) in one step, then slot 1 at 235; what follows never plays.
// Looped, the eleventh pass starts at 1 s and is in the same state at 1.06 s.
TEST_P(HostProgramParts, PlayTheStateReachedThenOnToTheEnd) {
    const QString show = writeFile("rec.show", "OLA Show\n1 255\n100\n2 0,135\n100\n2 235,135\n100\n2 0,0\n");
    QStringList arguments = {"--play", show,  "--universe", "2",          "--from",       "150",
                             "--to",   "250", "--fast",     "--snapshot", path("out.png")};
    for (const char* a : GetParam()) arguments << a;
    const HostRun run = host(arguments);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    expectEnvelopes(QImage(path("out.png")), {6, 4, 0, 0, 0, 0, 0, 0, 0});
}

INSTANTIATE_TEST_SUITE_P(OnceAndLooped, HostProgramParts,
                         testing::Values(std::vector<const char*>{},
                                         std::vector<const char*>{"--loop", "--duration", "1.06"}),
                         testsupport::CaseName());

TEST_F(HostProgram, HeadlessDemoWritesPictureAndFilm) {
    const HostRun run = host({});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    // Outputs nobody named are announced first, before anything is written.
    EXPECT_TRUE(run.out.section('\n', 0, 0).contains("nimbos.png and nimbos.gif")) << run.out.toStdString();
    EXPECT_TRUE(QImage(path("nimbos.png")).size() == QSize(867, 283));
    QImageReader gif(path("nimbos.gif"));
    EXPECT_GT(gif.imageCount(), 25 * 15);
}

// The demo's recording at any frame rate lasts as long as the demo (19.3 s)
// within a GIF step, and its still ending is exactly what the window shows.
class HostProgramDemoFilm : public HostProgram, public testing::WithParamInterface<const char*> {};

TEST_P(HostProgramDemoFilm, LastsAsLongAsTheDemoAndEndsAsTheWindow) {
    const HostRun run =
        host({"--demo", "--fps", GetParam(), "--record", path("demo.gif"), "--snapshot", path("demo.png")});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_NEAR(testsupport::decodedLengthMs(path("demo.gif")), 19300, 10);
    const std::vector<testsupport::DecodedFrame> frames = testsupport::decodeFrames(path("demo.gif"));
    ASSERT_FALSE(frames.empty());
    const QImage window = QImage(path("demo.png")).convertToFormat(QImage::Format_RGB32);
    const QImage last = frames.back().image.convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(last.size(), window.size());
    int wrong = 0;
    for (int y = 0; y < window.height(); ++y)
        for (int x = 0; x < window.width(); ++x) wrong += last.pixel(x, y) != window.pixel(x, y);
    EXPECT_EQ(wrong, 0) << "pixels of the last frame that differ from the window";
}

INSTANTIATE_TEST_SUITE_P(FrameRates, HostProgramDemoFilm, testing::Values("25", "30", "40", "60"),
                         testsupport::CaseName());

}  // namespace

namespace {

// A show of three held states, recorded at 10 frames a second: frame k shows
// show time 100 k ms. Every frame is checked against the window that a run of
// the show up to its state leaves (that run's snapshot): the recording must
// look like the window, not merely have the right number of frames. The last
// state changes all nine envelopes at once, more colours than one frame holds.
struct HeldState {
    const char* line;  // the show line that sets it
    int fromMs;        // its show time
};
constexpr HeldState kHeldStates[] = {
    {"0 1=0 2=0 3=0 4=0 5=0 6=0 7=0 8=0 9=0", 0},
    {"400 1=5 2=35 3=85 4=135 5=185 6=235 7=0 8=85 9=235", 400},
    {"800 1=235 2=235 3=235 4=235 5=235 6=235 7=235 8=235 9=235", 800},
};

struct RecordingFormat {
    const char* file;
    double maxMeanDeltaE;  // over the envelopes, and over the baskets and ground
    double minShareWithin10;
};

void PrintTo(const RecordingFormat& c, std::ostream* out) {
    *out << c.file;
}

class HostProgramRecordings : public HostProgram, public testing::WithParamInterface<RecordingFormat> {};

TEST_P(HostProgramRecordings, EveryFrameLooksLikeTheWindow) {
    QByteArray show;
    std::vector<QImage> windows;
    for (const HeldState& state : kHeldStates) {
        show += QByteArray(state.line) + '\n';
        const QString file = writeFile("upto.show", show);
        const HostRun run = host({"--play", file, "--fast", "--snapshot", path("window.png")});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
        windows.push_back(QImage(path("window.png")));
    }
    const QString out = path(GetParam().file);
    const HostRun run = host({"--play", path("upto.show"), "--fps", "10", "--record", out});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();

    const std::vector<testsupport::DecodedFrame> frames = testsupport::decodeFrames(out);
    ASSERT_GE(frames.size(), std::size(kHeldStates));
    const QRect envelopes(0, 10, 867, 180), ground(0, 190, 867, 93);
    size_t state = 0;
    for (size_t k = 0; k < frames.size(); ++k) {
        while (state + 1 < std::size(kHeldStates) && frames[k].fromMs >= kHeldStates[state + 1].fromMs)
            ++state;
        for (const QRect& area : {envelopes, ground}) {
            const auto d = testsupport::colourDifference(frames[k].image, windows[state], area);
            EXPECT_LE(d.meanDeltaE, GetParam().maxMeanDeltaE)
                << "frame " << k << ", rows from " << area.top();
            EXPECT_GE(d.shareWithin10, GetParam().minShareWithin10)
                << "frame " << k << ", rows from " << area.top();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, HostProgramRecordings,
                         testing::Values(RecordingFormat{"out.gif", 2.0, 0.995},
                                         RecordingFormat{"out.webp", 0.0, 1.0}),
                         testsupport::CaseName());

class HostProgramLongSilence : public HostProgram, public testing::WithParamInterface<const char*> {};

// A day without a change is recorded as frames that hold the picture, not as
// 2 million frames of the same: the run ends at once and the file is small,
// and the change at the end of the day is in it at its time.
TEST_P(HostProgramLongSilence, RecordsTheChangesNotTheLength) {
    const QString show = writeFile("day.show", "0 1=235\n86400000 1=0 2=135\n");
    const QString out = path(GetParam());
    const HostRun run = host({"--play", show, "--fast", "--record", out});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_LT(QFileInfo(out).size(), 300 * 1024);  // the picture, made exact, and a frame per 655 s
    const std::vector<testsupport::DecodedFrame> frames = testsupport::decodeFrames(out);
    ASSERT_FALSE(frames.empty());
    EXPECT_LT(frames.size(), 400u);
    const auto changed = std::find_if(frames.begin(), frames.end(), [](const testsupport::DecodedFrame& f) {
        return f.fromMs >= 86400000;
    });
    ASSERT_NE(changed, frames.end());
    EXPECT_EQ(changed->fromMs, 86400000);
}

INSTANTIATE_TEST_SUITE_P(Formats, HostProgramLongSilence, testing::Values("day.gif", "day.webp"),
                         testsupport::CaseName());

}  // namespace

namespace {

// An interrupted recording leaves nothing under its name: an earlier file of
// that name stays as it was, and no temporary file stays beside it.
TEST_F(HostProgram, InterruptedRecordingKeepsTheEarlierFile) {
    const QString gif = path("out.gif");
    {
        QFile earlier(gif);
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier");
    }
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
    process.setProcessEnvironment(environment);
    process.start(kHost, {"--plugin", path("Nimbolux.so"), "--registry", path("registry.txt"), "--headless",
                          "--demo", "--speed", "1", "--record", gif});
    ASSERT_TRUE(process.waitForStarted());
    // Into the show, which plays in real time with --speed 1.
    ASSERT_TRUE(process.waitForReadyRead(30000));
    QThread::msleep(800);
    ::kill(pid_t(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 128 + SIGINT);
    EXPECT_TRUE(process.readAllStandardError().contains("interrupted"));
    QFile kept(gif);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), "earlier");
    EXPECT_EQ(QDir(m_dir.path()).entryList({QStringLiteral(".*.part")}, QDir::Hidden | QDir::Files),
              QStringList());
}

// A recording into a FIFO whose reader takes 100 bytes and leaves: the
// write that follows fails with the file's name, the run says so in its
// status, and the snapshot is still written.
TEST_F(HostProgram, ReaderLeavingAFifoIsAFailedWriteNotASilentEnd) {
    const QString fifo = path("short.gif");
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    // Not inherited: the host must not be a reader of its own output.
    const int reader = ::open(fifo.toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    QProcess process;
    process.start(kHost, {"--plugin", path("Nimbolux.so"), "--registry", path("registry.txt"), "--headless",
                          "--demo", "--record", fifo, "--snapshot", path("out.png")});
    ASSERT_TRUE(process.waitForStarted());
    char head[100];
    size_t taken = 0;
    for (int i = 0; i < 3000 && taken < sizeof head; ++i) {
        const ssize_t n = ::read(reader, head + taken, sizeof head - taken);
        if (n > 0) taken += size_t(n);
        if (taken < sizeof head) QThread::msleep(10);
    }
    ::close(reader);
    ASSERT_EQ(taken, sizeof head);
    ASSERT_TRUE(process.waitForFinished(60000));
    const QString err = QString::fromLocal8Bit(process.readAllStandardError());
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << "ended by a signal";
    EXPECT_EQ(process.exitCode(), 1) << err.toStdString();
    EXPECT_TRUE(err.contains(fifo) && err.contains("Broken pipe")) << err.toStdString();
    EXPECT_EQ(QImage(path("out.png")).size(), QSize(867, 283));
}

// Ctrl-C while a large plot is written after the show: the run ends at once,
// says so, and leaves no temporary file; what was complete stays.
TEST_F(HostProgram, InterruptWhileWritingOutputsEndsAtOnceAndLeavesNoPart) {
    const QString show = writeFile("a.show", "0 1=235\n1000 2=135\n");
    QProcess process;
    process.setWorkingDirectory(m_dir.path());
    process.start(
        kHost, {"--plugin", path("Nimbolux.so"), "--registry", path("registry.txt"), "--headless", "--play",
                show, "--snapshot", "shot.png", "--plot", "big.png", "--plot-size", "8000x8000"});
    ASSERT_TRUE(process.waitForStarted());
    QByteArray out;
    while (!out.contains("wrote the display window") && process.waitForReadyRead(30000))
        out += process.readAllStandardOutput();
    ::kill(pid_t(process.processId()), SIGINT);
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_EQ(process.exitStatus(), QProcess::CrashExit);
    EXPECT_TRUE(
        process.readAllStandardError().contains("interrupted; the outputs not yet complete are not written"));
    EXPECT_TRUE(QFileInfo::exists(path("shot.png")));
    EXPECT_EQ(QDir(m_dir.path()).entryList({"*.part", "big.png"}, QDir::Files | QDir::Hidden), QStringList());
}

// A recording into a FIFO whose reader stopped reading blocks in write();
// the first Ctrl-C cannot be taken, the second ends the run.
TEST_F(HostProgram, SecondInterruptEndsAStuckRun) {
    const QString fifo = path("stuck.gif");
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    const int reader = ::open(fifo.toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    QProcess process;
    process.start(kHost, {"--plugin", path("Nimbolux.so"), "--registry", path("registry.txt"), "--headless",
                          "--demo", "--record", fifo});
    ASSERT_TRUE(process.waitForStarted());
    ASSERT_TRUE(process.waitForReadyRead(30000));
    QThread::msleep(1500);  // long past the pipe's 64 KB
    for (int i = 0; i < 2 && process.state() != QProcess::NotRunning; ++i) {
        ::kill(pid_t(process.processId()), SIGINT);
        process.waitForFinished(500);
    }
    EXPECT_TRUE(process.state() == QProcess::NotRunning || process.waitForFinished(10000));
    ::close(reader);
}

}  // namespace
