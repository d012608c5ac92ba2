// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_APP_HOSTOPTIONS_H_
#define HOST_APP_HOSTOPTIONS_H_

#include <QSize>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <cstdint>
#include <optional>

#include "host/app/optionvalues.h"

namespace vexohost {

enum class InputKind { Demo, Play, Stdin, Faders, Ola };

// The command line as parseHostOptions() checked it. It stays as given: what
// changes while the program runs is the input control's.
struct HostOptions {
    bool info = false;     // `vexo-host info [PATH]`: print module information and exit
    QString pluginPath;    // --plugin PATH, or the PATH of `info`; empty: the built-in plug-in
    QString registryPath;  // --registry PATH; empty: the default location
    InputKind input = InputKind::Demo;
    bool inputGiven = false;                        // an input option was on the command line
    QString showFile;                               // --play FILE
    std::optional<unsigned> universe;               // --universe U (recorded shows) / --ola U
    QString olaHost = QStringLiteral("127.0.0.1");  // --ola-server HOST:PORT, checked when parsed
    quint16 olaPort = 9010;
    QString savedShowPath;                  // --save-show FILE
    int noDataAfterMs = 3000;               // --no-data-after S: a live universe's silence that is "no data"
    bool noDataAfterGiven = false;          // --no-data-after was on the command line
    int base = 1;                           // --base N: input channel N arrives as channel 1
    bool baseGiven = false;                 // --base was on the command line
    double speed = 1.0;                     // --speed X
    bool speedGiven = false;                // --speed was on the command line
    bool fast = false;                      // --fast: no waiting between events
    std::optional<double> durationSeconds;  // --duration S
    bool headless = false;                  // --headless, or no display
    QString snapshotPath;                   // --snapshot OUT.png
    QString recordPath;                     // --record OUT.gif
    QString plotPath;                       // --plot OUT.png|OUT.svg
    QSize plotSize{1600, 900};              // --plot-size WxH
    bool plotSizeGiven = false;             // --plot-size was on the command line
    QString csvPath;                        // --export-csv OUT.csv
    int fps = 25;                           // --fps N
    bool configure = false;                 // --configure: open the colour dialog at start
    bool loop = false;                      // --loop: repeat the show until --duration or Ctrl+C
    bool loopGiven = false;                 // --loop or --no-loop was on the command line
    bool resetSettings = false;             // --reset-settings: forget what the windows remembered
    int64_t fromMs = 0;                     // --from T
    std::optional<int64_t> toMs;            // --to T
};

struct ParsedOptions {
    HostOptions options;
    bool help = false;
    bool version = false;  // --version
    QString helpText;
    QString error;  // one line; empty when the command line is valid
};

// Parses and checks the whole command line (arguments[0] is the program),
// before anything is loaded: a value that cannot work is an error here.
ParsedOptions parseHostOptions(const QStringList& arguments);

}  // namespace vexohost

#endif  // HOST_APP_HOSTOPTIONS_H_
