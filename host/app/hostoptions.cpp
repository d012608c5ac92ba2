#include "host/app/hostoptions.h"

#include <cmath>

#include "host/app/recorder.h"
#include "host/input/olalink.h"

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
    "  --play FILE          play a show file (our text format, or a recording of ola_recorder)\n"
    "  --stdin              read show lines from standard input and apply them as they arrive\n"
    "  --faders             a console window with faders for channels 0..9\n"
    "  --ola UNIVERSE       receive a live universe from olad\n"
    "  --ola-server H:P     where olad listens (default 127.0.0.1:9010)\n"
    "  --universe U         the universe to play from a recording (default: its first one)\n"
    "  --base N             input channel N arrives as channel 1 (default 1)\n"
    "  --speed X            play X times as fast (default 1; headless with --snapshot or\n"
    "                       --record, a show plays at full speed unless --speed is given)\n"
    "  --fast               play without waiting between events\n"
    "  --duration S         end any input after S seconds\n"
    "\n"
    "Output:\n"
    "  --headless           run without windows (also when there is no display)\n"
    "  --snapshot OUT.png   write the display window to OUT.png when the input ends\n"
    "  --record OUT         record the display window while the show plays: OUT.gif (animated\n"
    "                       GIF) or OUT.webp (lossless animated WebP)\n"
    "  --fps N              frames per second of --record (default 25)\n"
    "  --configure          open the colour dialog at start\n"
    "\n"
    "Plug-in:\n"
    "  --plugin PATH        the plug-in file to load (default: Nimbolux.so beside vexo-host,\n"
    "                       or in the installed library folder)\n"
    "  --registry PATH      the registry file (default ~/.local/share/nimbo-lux/registry.txt)\n"
    "  -h, --help           show this help and exit\n";

// "HOST:PORT", where olad's RPC port listens: an IPv4 address or
// "localhost", and a port 1..65535.
bool parseServer(const QString& server, HostOptions* o, QString* error) {
    const int colon = int(server.lastIndexOf(':'));
    bool portOk = false;
    const uint port = colon > 0 ? server.mid(colon + 1).toUInt(&portOk) : 0;
    uint32_t address = 0;
    if (!portOk || port == 0 || port > 65535 ||
        !OlaLink::parseHost(server.left(colon).toStdString(), &address)) {
        *error =
            QStringLiteral("--ola-server: '%1' is not HOST:PORT (an IPv4 address or localhost)").arg(server);
        return false;
    }
    o->olaHost = server.left(colon);
    o->olaPort = quint16(port);
    return true;
}

}  // namespace

ParsedOptions parseHostOptions(const QStringList& arguments) {
    ParsedOptions parsed;
    HostOptions& o = parsed.options;
    int inputs = 0;
    auto setInput = [&](InputKind kind) {
        o.input = kind;
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
                parsed.error =
                    QStringLiteral("%1: '%2' is not a number from %3 to %4").arg(arg, text).arg(min).arg(max);
                return false;
            }
            *out = v;
            return true;
        };
        double v = 0;
        bool ok = true;
        if (arg == "-h" || arg == "--help") {
            parsed.help = true;
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
            if ((ok = number(&v, 0, 4294967295.0))) o.universe = unsigned(v);
        } else if (arg == "--ola-server") {
            QString server;
            if ((ok = value(&server))) ok = parseServer(server, &o, &parsed.error);
        } else if (arg == "--universe") {
            if ((ok = number(&v, 0, 4294967295.0))) o.universe = unsigned(v);
        } else if (arg == "--base") {
            if ((ok = number(&v, -2147483647.0, 2147483647.0))) o.base = int(v);
        } else if (arg == "--speed") {
            if ((ok = number(&v, 0.001, 1000))) o.speed = v, o.speedGiven = true;
        } else if (arg == "--fast") {
            o.fast = true;
        } else if (arg == "--duration") {
            if ((ok = number(&v, 0, 1e9))) o.durationSeconds = v;
        } else if (arg == "--headless") {
            o.headless = true;
        } else if (arg == "--snapshot") {
            ok = value(&o.snapshotPath);
        } else if (arg == "--record") {
            ok = value(&o.recordPath);
            if (ok && !Recorder::knowsFormatOf(o.recordPath)) {
                parsed.error =
                    QStringLiteral("--record: '%1' is neither %2").arg(o.recordPath, Recorder::formats());
                ok = false;
            }
        } else if (arg == "--fps") {
            if ((ok = number(&v, 1, 100))) o.fps = int(v);
        } else if (arg == "--configure") {
            o.configure = true;
        } else if (arg == "--plugin") {
            ok = value(&o.pluginPath);
        } else if (arg == "--registry") {
            ok = value(&o.registryPath);
        } else {
            parsed.error = QStringLiteral("unknown option '%1' (see --help)").arg(arg);
            ok = false;
        }
        if (!ok) break;
    }
    if (parsed.error.isEmpty() && inputs > 1)
        parsed.error = QStringLiteral("choose one input: --demo, --play, --stdin, --faders or --ola");
    if (parsed.help) parsed.helpText = QString::fromLatin1(kHelp);
    return parsed;
}

}  // namespace vexohost
