// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/app/hostoptions.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <optional>
#include <utility>

#include "host/app/optionchecks.h"
#include "host/app/optionvalues.h"
#include "host/input/universe.h"
#include "host/outputs/timelineplot.h"
#include "host/recording/recorderfactory.h"

namespace vexohost {
namespace {

const char kHelp[] =
    "Usage: vexo-host [info [PLUGIN]] [options]\n"
    "Loads the Nimbo Lux plug-in as a lighting-control host would and feeds it channel values.\n"
    "\n"
    "Commands:\n"
    "  info [PLUGIN]        print the plug-in's module information and version block, then exit\n"
    "\n"
    "Input (one of them; --demo is the default):\n"
    "  --demo               built-in show of about 20 s; loops in a window, runs once headless\n"
    "  --play FILE          play a show file (our text format, or a recording of ola_recorder);\n"
    "                       the whole file is checked before anything plays. A pipe or FIFO\n"
    "                       (--play <(make-show)) cannot be checked ahead: it plays as it\n"
    "                       comes, a bad line is reported and skipped, and it cannot --loop\n"
    "  --stdin              read show lines from standard input as they come, at their times\n"
    "                       (counted from the first line; a line whose time has passed is\n"
    "                       applied at once, every line at once with --fast)\n"
    "  --faders             a console window with a fader for each nimbo; a fader moved while\n"
    "                       a show plays holds its channel until the show sends it again\n"
    "  --ola UNIVERSE       receive a live universe (0..4294967295) from olad\n"
    "  --ola-server H:P     where olad listens (default 127.0.0.1:9010)\n"
    "  --no-data-after S    say \"no data\" when no frame has come for S (0.1..3600) seconds\n"
    "                       (default 3, past sACN's 2.5 s source timeout, so that a backup\n"
    "                       console taking over is no false alarm); with another input, in a\n"
    "                       window, for a universe connected there\n"
    "  --universe U         the universe (0..4294967295) to play from a recording (default:\n"
    "                       its first one); a text show has none\n"
    "  --base N             input channel N (1..512) arrives as channel 1 (default 1)\n"
    "  --speed X            play X (0.001..1000) times as fast (default 1; headless with\n"
    "                       --snapshot or --record, a show plays at full speed unless --speed\n"
    "                       is given)\n"
    "  --fast               play without waiting between events\n"
    "  --duration S         end any input after S (0..1000000000) seconds\n"
    "  --loop               play the show again and again, until --duration or Ctrl+C\n"
    "  --no-loop            play the show once (the demo too, which loops in a window)\n"
    "  --from T             start the show at T (ms, or M:SS.mmm) with the last value it gave\n"
    "                       each channel before T, then play on\n"
    "  --to T               end the show at T (ms, or M:SS.mmm); what happens at T still plays\n"
    "\n"
    "Output:\n"
    "  --headless           run without windows (also when there is no display)\n"
    "  --snapshot OUT.png   write the display window to OUT.png (a PNG picture) when the input ends\n"
    "  --record OUT         record the display window: OUT.gif (animated GIF) or OUT.webp\n"
    "                       (lossless animated WebP). A show is recorded on its own time as it\n"
    "                       plays; --ola, --stdin and --faders on the wall clock, until the\n"
    "                       input ends, --duration, or Ctrl-C, which ends the recording and\n"
    "                       keeps it\n"
    "  --fps N              frames per second (1..100) of --record (default 25)\n"
    "  --plot OUT           write the timeline of the nine channels over the part played when\n"
    "                       the input ends (a live input: its last 10 minutes): OUT.png (a PNG\n"
    "                       picture) or OUT.svg (a drawing)\n"
    "  --plot-size WxH      the plot's size in pixels (default 1600x900; 320x200 to 8000x8000)\n"
    "  --export-csv OUT     write the nine channels' values at each change as CSV: a header\n"
    "                       ms,chN,... then the time in ms (show time, or since the start of\n"
    "                       the run for a live input) and the nine values (empty until a\n"
    "                       channel is sent)\n"
    "  --save-show FILE     write what the plug-in was sent as a show to --play again: a text\n"
    "                       show, a line per moment at the same times as --export-csv, the\n"
    "                       channels as the input numbered them; with --ola the whole\n"
    "                       universe in ola_recorder's format, for OLA's tools too\n"
    "\n"
    "  Ctrl-C ends a live input (--ola, --stdin, --faders) and keeps what the run writes;\n"
    "  a second Ctrl-C, or the first on a show, discards it (exit status 130).\n"
    "  --configure          open the colour dialog at start\n"
    "  --reset-settings     forget what the windows remembered (see below)\n"
    "\n"
    "Plug-in:\n"
    "  --plugin PATH        the plug-in file to load (default: Nimbolux.so beside vexo-host,\n"
    "                       or in the installed library folder)\n"
    "  --registry PATH      the registry file (default $XDG_DATA_HOME/nimbo-lux/registry.txt,\n"
    "                       that is ~/.local/share/nimbo-lux/registry.txt)\n"
    "  --version            print the versions of vexo-host and of the plug-in, then exit\n"
    "  -h, --help           show this help and exit\n"
    "\n"
    "Remembered:\n"
    "  In a window, vexo-host remembers its windows' places and sizes and what was chosen in\n"
    "  its main window (the last show's folder, the universe and olad address connected, the\n"
    "  base address, loop) in $XDG_CONFIG_HOME/nimbo-lux/vexo-host.ini, that is\n"
    "  ~/.config/nimbo-lux/vexo-host.ini. A start without an input option takes all of it up.\n"
    "  A run that names its input (--demo, --play, --stdin, --faders, --ola) uses exactly what\n"
    "  its command line says, with the defaults above for the rest, and takes up only the\n"
    "  windows' places and sizes. The demo plays at base 1 unless --base is given.\n";

// The command line as the option table reads it: the option at hand and the
// values that follow it. A value that cannot work is said in the parse's
// error, and the reader gives nothing.
class Arguments {
public:
    Arguments(const QStringList& arguments, QString* error) : m_arguments(arguments), m_error(error) {}

    // The first argument when it is word, taken.
    bool takeFirst(const char* word) {
        if (m_next != 1 || m_next >= m_arguments.size() || m_arguments[m_next] != QLatin1String(word))
            return false;
        ++m_next;
        return true;
    }
    // The next argument when there is one that is no option, taken.
    std::optional<QString> takeOperand() {
        if (m_next >= m_arguments.size() || m_arguments[m_next].startsWith('-')) return std::nullopt;
        return m_arguments[m_next++];
    }
    // Steps on to the next option; false after the last.
    bool next() {
        if (m_next >= m_arguments.size()) return false;
        m_option = m_next++;
        return true;
    }
    const QString& option() const { return m_arguments[m_option]; }

    // The option's value, the argument after it.
    std::optional<QString> value() {
        if (m_next >= m_arguments.size()) return fail(option() + " needs a value");
        return m_arguments[m_next++];
    }
    // The name of a file the run writes: never empty, and never one of our
    // options, which the shell left there when the name was forgotten
    // (`--export-csv --headless`); ./--name still names such a file.
    std::optional<QString> outputPath() {
        const std::optional<QString> path = value();
        if (!path) return std::nullopt;
        if (path->isEmpty()) return fail(option() + " needs a file name");
        if (path->startsWith(QLatin1String("--")))
            return fail(QStringLiteral("%1: '%2' is an option, not a file name (./%2 names a file)")
                            .arg(option(), shownArgument(*path)));
        return path;
    }
    // A number from min to max, written in plain digits in the message
    // (4294967295, not 4.29497e+09).
    std::optional<double> number(double min, double max) {
        const std::optional<QString> text = value();
        if (!text) return std::nullopt;
        bool ok = false;
        const double v = text->toDouble(&ok);
        if (!ok || !std::isfinite(v) || v < min || v > max)
            return fail(QStringLiteral("%1: '%2' is not a number from %3 to %4")
                            .arg(option(), shownArgument(*text), QString::number(min, 'g', 15),
                                 QString::number(max, 'g', 15)));
        return v;
    }
    // A whole number from min to max.
    std::optional<double> integer(double min, double max) {
        const std::optional<double> v = number(min, max);
        if (!v || *v == std::floor(*v)) return v;
        return fail(QStringLiteral("%1: '%2' is not a whole number from %3 to %4")
                        .arg(option(), shownArgument(m_arguments[m_next - 1]))
                        .arg(min, 0, 'f', 0)
                        .arg(max, 0, 'f', 0));
    }
    // Says what is wrong; nothing for the reader to give.
    std::nullopt_t fail(const QString& error) {
        *m_error = error;
        return std::nullopt;
    }
    // The same, for an entry of the table.
    bool refuse(const QString& error) {
        *m_error = error;
        return false;
    }

private:
    const QStringList& m_arguments;
    QString* const m_error;
    qsizetype m_option = 0;  // the option being read
    qsizetype m_next = 1;    // the argument after what was read
};

// What the table's entries fill in.
struct Reading {
    ParsedOptions parsed;
    int inputs = 0;  // input options given; more than one is an error

    HostOptions& options() { return parsed.options; }
    bool setInput(InputKind kind) {
        parsed.options.input = kind;
        parsed.options.inputGiven = true;
        ++inputs;
        return true;
    }
};

// An option: its name, and what it takes from the arguments after it into
// the reading. False when a value cannot work (said by Arguments).
struct OptionEntry {
    const char* name;
    bool (*read)(Arguments& in, Reading& r);
};

// A moment of the show, for --from and --to.
std::optional<int64_t> showTime(Arguments& in) {
    const std::optional<QString> text = in.value();
    if (!text) return std::nullopt;
    int64_t ms = 0;
    if (parseShowTime(*text, &ms)) return ms;
    return in.fail(QStringLiteral("%1: '%2' is not a time in ms (90500) or M:SS.mmm (1:30.500)")
                       .arg(in.option(), shownArgument(*text)));
}

// Sets field to the value when there is one; says whether there was.
template <typename T, typename V>
bool assign(T& field, const std::optional<V>& value) {
    if (value) field = T(*value);
    return value.has_value();
}

// Every option, in the order of --help. Each reads its own value; the checks
// between options come after the whole command line (checkOptionCombinations).
const OptionEntry kOptions[] = {
    {"-h", [](Arguments&, Reading& r) { return r.parsed.help = true; }},
    {"--help", [](Arguments&, Reading& r) { return r.parsed.help = true; }},
    {"--version", [](Arguments&, Reading& r) { return r.parsed.version = true; }},
    // Input
    {"--demo", [](Arguments&, Reading& r) { return r.setInput(InputKind::Demo); }},
    {"--play",
     [](Arguments& in, Reading& r) {
         return r.setInput(InputKind::Play) && assign(r.options().showFile, in.value());
     }},
    {"--stdin", [](Arguments&, Reading& r) { return r.setInput(InputKind::Stdin); }},
    {"--faders", [](Arguments&, Reading& r) { return r.setInput(InputKind::Faders); }},
    {"--ola",
     [](Arguments& in, Reading& r) {
         return r.setInput(InputKind::Ola) && assign(r.options().universe, in.integer(0, 4294967295.0));
     }},
    {"--ola-server",
     [](Arguments& in, Reading& r) {
         const std::optional<QString> server = in.value();
         if (!server) return false;
         if (parseOlaServer(*server, &r.options().olaHost, &r.options().olaPort)) return true;
         return in.refuse(QStringLiteral("--ola-server: '%1' is not HOST:PORT (an IPv4 address or localhost)")
                              .arg(shownArgument(*server)));
     }},
    {"--no-data-after",
     [](Arguments& in, Reading& r) {
         const std::optional<double> seconds = in.number(0.1, 3600);
         if (seconds) r.options().noDataAfterMs = int(*seconds * 1000);
         return seconds.has_value() && (r.options().noDataAfterGiven = true);
     }},
    {"--universe",
     [](Arguments& in, Reading& r) { return assign(r.options().universe, in.integer(0, 4294967295.0)); }},
    {"--base",
     [](Arguments& in, Reading& r) {
         return assign(r.options().base, in.integer(1, kUniverseSize)) && (r.options().baseGiven = true);
     }},
    {"--speed",
     [](Arguments& in, Reading& r) {
         return assign(r.options().speed, in.number(0.001, 1000)) && (r.options().speedGiven = true);
     }},
    {"--fast", [](Arguments&, Reading& r) { return r.options().fast = true; }},
    {"--duration",
     [](Arguments& in, Reading& r) { return assign(r.options().durationSeconds, in.number(0, 1e9)); }},
    {"--loop", [](Arguments&, Reading& r) { return r.options().loop = r.options().loopGiven = true; }},
    {"--no-loop",
     [](Arguments&, Reading& r) {
         r.options().loop = false;
         return r.options().loopGiven = true;
     }},
    {"--from", [](Arguments& in, Reading& r) { return assign(r.options().fromMs, showTime(in)); }},
    {"--to", [](Arguments& in, Reading& r) { return assign(r.options().toMs, showTime(in)); }},
    // Output
    {"--headless", [](Arguments&, Reading& r) { return r.options().headless = true; }},
    {"--snapshot",
     [](Arguments& in, Reading& r) {
         if (!assign(r.options().snapshotPath, in.outputPath())) return false;
         // PNG is what is written; a name that promises another type is
         // refused, a name without one is not (/dev/stdout).
         const QString suffix = QFileInfo(r.options().snapshotPath).suffix();
         if (suffix.isEmpty() || suffix.compare(QLatin1String("png"), Qt::CaseInsensitive) == 0) return true;
         return in.refuse(QStringLiteral("--snapshot: '%1' is not OUT.png (the snapshot is a PNG picture)")
                              .arg(shownArgument(r.options().snapshotPath)));
     }},
    {"--record",
     [](Arguments& in, Reading& r) {
         if (!assign(r.options().recordPath, in.outputPath())) return false;
         if (RecorderFactory::knowsFormatOf(r.options().recordPath)) return true;
         return in.refuse(QStringLiteral("--record: '%1' is not %2")
                              .arg(shownArgument(r.options().recordPath), RecorderFactory::formats()));
     }},
    {"--fps", [](Arguments& in, Reading& r) { return assign(r.options().fps, in.integer(1, 100)); }},
    {"--plot",
     [](Arguments& in, Reading& r) {
         if (!assign(r.options().plotPath, in.outputPath())) return false;
         if (isTimelinePlotPath(r.options().plotPath)) return true;
         return in.refuse(QStringLiteral("--plot: '%1' is not OUT.png or OUT.svg")
                              .arg(shownArgument(r.options().plotPath)));
     }},
    {"--plot-size",
     [](Arguments& in, Reading& r) {
         const std::optional<QString> text = in.value();
         if (!text) return false;
         if (parsePlotSize(*text, &r.options().plotSize)) return r.options().plotSizeGiven = true;
         return in.refuse(QStringLiteral("--plot-size: '%1' is not WxH from 320x200 to 8000x8000")
                              .arg(shownArgument(*text)));
     }},
    {"--export-csv", [](Arguments& in, Reading& r) { return assign(r.options().csvPath, in.outputPath()); }},
    {"--save-show",
     [](Arguments& in, Reading& r) { return assign(r.options().savedShowPath, in.outputPath()); }},
    {"--configure", [](Arguments&, Reading& r) { return r.options().configure = true; }},
    {"--reset-settings", [](Arguments&, Reading& r) { return r.options().resetSettings = true; }},
    // Plug-in
    {"--plugin", [](Arguments& in, Reading& r) { return assign(r.options().pluginPath, in.value()); }},
    {"--registry", [](Arguments& in, Reading& r) { return assign(r.options().registryPath, in.value()); }},
};

}  // namespace

ParsedOptions parseHostOptions(const QStringList& arguments) {
    Reading r;
    Arguments in(arguments, &r.parsed.error);
    // `info [PLUGIN]` is a command, first or not at all.
    if (in.takeFirst("info")) {
        r.options().info = true;
        assign(r.options().pluginPath, in.takeOperand());
    }
    while (in.next()) {
        const auto entry = std::find_if(std::begin(kOptions), std::end(kOptions), [&](const OptionEntry& e) {
            return in.option() == QLatin1String(e.name);
        });
        if (entry == std::end(kOptions)) {
            in.fail(QStringLiteral("unknown option '%1' (see --help)").arg(shownArgument(in.option())));
            break;
        }
        if (!entry->read(in, r)) break;
    }
    if (r.parsed.error.isEmpty()) r.parsed.error = checkOptionCombinations(r.options(), r.inputs);
    if (r.parsed.help) r.parsed.helpText = QString::fromLatin1(kHelp);
    return std::move(r.parsed);
}

}  // namespace vexohost
