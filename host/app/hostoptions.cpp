// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/app/hostoptions.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <cmath>
#include <cstring>

#include "host/app/atomicfile.h"
#include "host/app/recorder.h"
#include "host/app/timelineplot.h"
#include "host/input/olalink.h"
#include "host/input/universe.h"

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
    "                       console taking over is no false alarm)\n"
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
    "                       a live input) and the nine values (empty until a channel is sent)\n"
    "  --save-show FILE     write what the input sent as a text show to --play again: a line\n"
    "                       per moment, its time in ms from the start, the channels as the\n"
    "                       input numbered them; kept when Ctrl-C ends a live input\n"
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

// An argument as an error message shows it: on one line, at most 40
// characters, with control characters as \n, \t or \xNN.
QString shown(const QString& text) {
    QString out;
    for (const QChar c : text.left(40)) {
        if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t'))
            out += QStringLiteral("\\t");
        else if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    if (text.size() > 40) out += QStringLiteral("...");
    return out;
}

bool parsePlotSize(const QString& text, QSize* size) {
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,5})[xX](\\d{1,5})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch()) return false;
    const int width = match.captured(1).toInt(), height = match.captured(2).toInt();
    if (width < 320 || height < 200 || width > 8000 || height > 8000) return false;
    *size = QSize(width, height);
    return true;
}

bool parseServer(const QString& server, HostOptions* o, QString* error) {
    if (parseOlaServer(server, &o->olaHost, &o->olaPort)) return true;
    *error = QStringLiteral("--ola-server: '%1' is not HOST:PORT (an IPv4 address or localhost)")
                 .arg(shown(server));
    return false;
}

QString checkCombinations(const HostOptions& o, int inputs) {
    if (inputs > 1) return QStringLiteral("choose one input: --demo, --play, --stdin, --faders or --ola");
    const bool show = o.input == InputKind::Demo || o.input == InputKind::Play;
    if (!show && (o.loop || o.fromMs > 0 || o.toMs))
        return QStringLiteral("--loop, --from and --to need a show (--demo or --play)");
    if (o.toMs && *o.toMs <= o.fromMs)
        return QStringLiteral("--from %1 is not before --to %2")
            .arg(formatShowTime(o.fromMs), formatShowTime(*o.toMs));
    if (o.loop && !o.recordPath.isEmpty() && !o.durationSeconds)
        return QStringLiteral("--record of a --loop needs --duration: a recording must end");
    // One output written over the other would lose it (through a link too).
    if (!o.snapshotPath.isEmpty() && !o.recordPath.isEmpty() &&
        AtomicFile::target(o.snapshotPath) == AtomicFile::target(o.recordPath))
        return QStringLiteral("--snapshot and --record name the same file '%1'; give each its own")
            .arg(shown(o.recordPath));
    if (!o.savedShowPath.isEmpty()) {
        const QString saved = AtomicFile::target(o.savedShowPath);
        for (const auto& [option, other] :
             {std::pair{"--snapshot", o.snapshotPath}, std::pair{"--record", o.recordPath},
              std::pair{"--play", o.showFile}})
            if (!other.isEmpty() && AtomicFile::target(other) == saved)
                return QStringLiteral("--save-show and %1 name the same file '%2'; give each its own")
                    .arg(QString::fromLatin1(option), shown(o.savedShowPath));
    }
    for (const auto& [option, path] :
         {std::pair{"--plot", o.plotPath}, std::pair{"--export-csv", o.csvPath}}) {
        if (path.isEmpty()) continue;
        for (const auto& [otherOption, other] :
             {std::pair{"--snapshot", o.snapshotPath}, std::pair{"--record", o.recordPath},
              std::pair{"--save-show", o.savedShowPath}, std::pair{"--play", o.showFile},
              std::pair{"--plot", o.plotPath}, std::pair{"--export-csv", o.csvPath}})
            if (std::strcmp(option, otherOption) != 0 && !other.isEmpty() &&
                AtomicFile::target(other) == AtomicFile::target(path))
                return QStringLiteral("%1 and %2 name the same file '%3'; give each its own")
                    .arg(QString::fromLatin1(option), QString::fromLatin1(otherOption), shown(path));
    }
    return {};
}

}  // namespace

bool parseShowTime(const QString& text, int64_t* ms) {
    static const QRegularExpression pattern(
        QStringLiteral("^(?:(\\d{1,7}):([0-5]\\d)(?:\\.(\\d{1,3}))?|(\\d{1,13}))$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch()) return false;
    int64_t value = 0;
    if (match.hasCaptured(4)) {
        value = match.captured(4).toLongLong();
    } else {
        const QString fraction = match.captured(3).leftJustified(3, '0');
        value = match.captured(1).toLongLong() * 60000 + match.captured(2).toLongLong() * 1000 +
                fraction.toLongLong();
    }
    // A hundred days is longer than any show.
    if (value > 100LL * 24 * 3600 * 1000) return false;
    *ms = value;
    return true;
}

QString formatShowTime(int64_t ms) {
    return QStringLiteral("%1:%2.%3")
        .arg(ms / 60000)
        .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'));
}

bool parseOlaServer(const QString& server, QString* host, quint16* port) {
    const int colon = int(server.lastIndexOf(':'));
    bool portOk = false;
    const uint number = colon > 0 ? server.mid(colon + 1).toUInt(&portOk) : 0;
    uint32_t address = 0;
    if (!portOk || number == 0 || number > 65535 ||
        !OlaLink::parseHost(server.left(colon).toStdString(), &address))
        return false;
    *host = server.left(colon);
    *port = quint16(number);
    return true;
}

ParsedOptions parseHostOptions(const QStringList& arguments) {
    ParsedOptions parsed;
    HostOptions& o = parsed.options;
    int inputs = 0;
    auto setInput = [&](InputKind kind) {
        o.input = kind;
        o.inputGiven = true;
        ++inputs;
    };

    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        auto value = [&](QString* out) {
            if (i + 1 >= arguments.size()) {
                parsed.error = arg + " needs a value";
                return false;
            }
            *out = arguments[++i];
            return true;
        };
        auto number = [&](double* out, double min, double max) {
            QString text;
            if (!value(&text)) return false;
            bool ok = false;
            const double v = text.toDouble(&ok);
            if (!ok || !std::isfinite(v) || v < min || v > max) {
                // In plain digits: 4294967295, not 4.29497e+09.
                parsed.error =
                    QStringLiteral("%1: '%2' is not a number from %3 to %4")
                        .arg(arg, shown(text), QString::number(min, 'g', 15), QString::number(max, 'g', 15));
                return false;
            }
            *out = v;
            return true;
        };
        // A whole number from min to max.
        auto integer = [&](double* out, double min, double max) {
            if (!number(out, min, max)) return false;
            if (*out == std::floor(*out)) return true;
            parsed.error = QStringLiteral("%1: '%2' is not a whole number from %3 to %4")
                               .arg(arg, shown(arguments[i]))
                               .arg(min, 0, 'f', 0)
                               .arg(max, 0, 'f', 0);
            return false;
        };
        double v = 0;
        bool ok = true;
        if (arg == "-h" || arg == "--help") {
            parsed.help = true;
        } else if (arg == "--version") {
            parsed.version = true;
        } else if (arg == "info" && i == 1) {
            o.info = true;
            if (i + 1 < arguments.size() && !arguments[i + 1].startsWith('-')) o.pluginPath = arguments[++i];
        } else if (arg == "--demo") {
            setInput(InputKind::Demo);
        } else if (arg == "--play") {
            setInput(InputKind::Play);
            ok = value(&o.showFile);
        } else if (arg == "--stdin") {
            setInput(InputKind::Stdin);
        } else if (arg == "--faders") {
            setInput(InputKind::Faders);
        } else if (arg == "--ola") {
            setInput(InputKind::Ola);
            if ((ok = integer(&v, 0, 4294967295.0))) o.universe = unsigned(v);
        } else if (arg == "--ola-server") {
            QString server;
            if ((ok = value(&server))) ok = parseServer(server, &o, &parsed.error);
        } else if (arg == "--save-show") {
            ok = value(&o.savedShowPath);
        } else if (arg == "--no-data-after") {
            if ((ok = number(&v, 0.1, 3600))) o.noDataAfterMs = int(v * 1000);
        } else if (arg == "--universe") {
            if ((ok = integer(&v, 0, 4294967295.0))) o.universe = unsigned(v);
        } else if (arg == "--base") {
            if ((ok = integer(&v, 1, kUniverseSize))) o.base = int(v), o.baseGiven = true;
        } else if (arg == "--speed") {
            if ((ok = number(&v, 0.001, 1000))) o.speed = v, o.speedGiven = true;
        } else if (arg == "--fast") {
            o.fast = true;
        } else if (arg == "--duration") {
            if ((ok = number(&v, 0, 1e9))) o.durationSeconds = v;
        } else if (arg == "--loop") {
            o.loop = o.loopGiven = true;
        } else if (arg == "--no-loop") {
            o.loop = false;
            o.loopGiven = true;
        } else if (arg == "--reset-settings") {
            o.resetSettings = true;
        } else if (arg == "--from" || arg == "--to") {
            QString text;
            int64_t ms = 0;
            if ((ok = value(&text)) && !(ok = parseShowTime(text, &ms)))
                parsed.error = QStringLiteral("%1: '%2' is not a time in ms (90500) or M:SS.mmm (1:30.500)")
                                   .arg(arg, shown(text));
            if (ok && arg == "--from") o.fromMs = ms;
            if (ok && arg == "--to") o.toMs = ms;
        } else if (arg == "--headless") {
            o.headless = true;
        } else if (arg == "--snapshot") {
            ok = value(&o.snapshotPath);
            // PNG is what is written; a name that promises another type is refused, a name without one is not
            // (/dev/stdout).
            const QString suffix = QFileInfo(o.snapshotPath).suffix();
            if (ok && !suffix.isEmpty() && suffix.compare(QLatin1String("png"), Qt::CaseInsensitive) != 0) {
                parsed.error =
                    QStringLiteral("--snapshot: '%1' is not OUT.png (the snapshot is a PNG picture)")
                        .arg(shown(o.snapshotPath));
                ok = false;
            }
        } else if (arg == "--record") {
            ok = value(&o.recordPath);
            if (ok && !Recorder::knowsFormatOf(o.recordPath)) {
                parsed.error =
                    QStringLiteral("--record: '%1' is not %2").arg(shown(o.recordPath), Recorder::formats());
                ok = false;
            }
        } else if (arg == "--plot") {
            ok = value(&o.plotPath);
            if (ok && !isTimelinePlotPath(o.plotPath)) {
                parsed.error =
                    QStringLiteral("--plot: '%1' is not OUT.png or OUT.svg").arg(shown(o.plotPath));
                ok = false;
            }
        } else if (arg == "--plot-size") {
            QString text;
            if ((ok = value(&text)) && !(ok = parsePlotSize(text, &o.plotSize)))
                parsed.error =
                    QStringLiteral("--plot-size: '%1' is not WxH from 320x200 to 8000x8000").arg(shown(text));
        } else if (arg == "--export-csv") {
            ok = value(&o.csvPath);
        } else if (arg == "--fps") {
            if ((ok = integer(&v, 1, 100))) o.fps = int(v);
        } else if (arg == "--configure") {
            o.configure = true;
        } else if (arg == "--plugin") {
            ok = value(&o.pluginPath);
        } else if (arg == "--registry") {
            ok = value(&o.registryPath);
        } else {
            parsed.error = QStringLiteral("unknown option '%1' (see --help)").arg(shown(arg));
            ok = false;
        }
        if (!ok) break;
    }
    if (parsed.error.isEmpty()) parsed.error = checkCombinations(o, inputs);
    if (parsed.help) parsed.helpText = QString::fromLatin1(kHelp);
    return parsed;
}

}  // namespace vexohost
