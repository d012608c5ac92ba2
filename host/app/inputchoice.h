// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_APP_INPUTCHOICE_H_
#define HOST_APP_INPUTCHOICE_H_

#include <QString>
#include <QtGlobal>
#include <cstdint>
#include <optional>

#include "host/app/hostoptions.h"

namespace vexohost {

// The input as the user chose it: set from the command line and, on a
// plain start in a window, from what was remembered; changed by the main
// window while the program runs.
struct InputChoice {
    InputKind kind = InputKind::Demo;
    QString showFile;
    std::optional<unsigned> universe;  // of a recording, or the live one
    QString olaHost = QStringLiteral("127.0.0.1");
    quint16 olaPort = 9010;
    int base = 1;                 // input channel `base` arrives as channel 1
    bool baseRemembered = false;  // from the settings, which the demo does not take
    bool loop = false;
    bool loopGiven = false;  // --loop or --no-loop: the demo follows it too
    double speed = 1.0;
    int64_t fromMs = 0;  // the part of the show played
    std::optional<int64_t> toMs;
};

// How the run plays whatever input it has; fixed for the run.
struct PlayRules {
    bool fast = false;                      // no waiting between events
    bool demoLoops = true;                  // the demo loops unless told or recorded
    std::optional<double> durationSeconds;  // any input ends after this
    int framesPerSecond = 25;               // of a recording
    int noDataAfterMs = 3000;               // a live universe's silence that is "no data"
};

}  // namespace vexohost

#endif  // HOST_APP_INPUTCHOICE_H_
