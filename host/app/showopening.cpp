// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/app/showopening.h"

#include "host/app/exitstatus.h"
#include "host/files/console.h"
#include "host/input/demoshow.h"
#include "host/input/memoryshow.h"

namespace vexohost {

std::unique_ptr<ShowFile> openShowFile(const QString& path, std::optional<unsigned> universe, int* status,
                                       QString* why, const ShowFile::CheckSink& sink) {
    ShowOptions showOptions;
    showOptions.universe = universe;
    ShowError error;
    std::unique_ptr<ShowFile> file = ShowFile::open(path.toStdString(), showOptions, &error, sink);
    if (!file) {
        *why = QString::fromStdString(error.toString());
        printError(*why);
        *status = kExitShowFile;
    } else if (file->format() == ShowFormat::Recording) {
        printLine(stdout, QStringLiteral("playing universe %1 of a recording").arg(*file->universe()));
    }
    return file;
}

std::unique_ptr<ShowSource> openFirstShow(const InputChoice& choice, int* status,
                                          const ShowFile::CheckSink& sink) {
    std::unique_ptr<ShowSource> source;
    if (choice.kind == InputKind::Demo) {
        source = std::make_unique<MemoryShow>(demoShow());
    } else {
        QString why;
        std::unique_ptr<ShowFile> file = openShowFile(choice.showFile, choice.universe, status, &why, sink);
        if (!file) return nullptr;
        if (file->isStream() && choice.loop) {
            printError(QStringLiteral("--loop: %1 is a pipe, which plays only once").arg(choice.showFile));
            *status = kExitUsage;
            return nullptr;
        }
        if (file->format() == ShowFormat::Text && choice.universe) {
            printError(QStringLiteral("--universe: %1 is a text show, and a text show has no universes")
                           .arg(choice.showFile));
            *status = kExitUsage;
            return nullptr;
        }
        source = std::move(file);
    }
    if (const std::optional<int64_t> last = source->lastMomentMs(); last && choice.fromMs > *last) {
        printError(QStringLiteral("--from %1 is past the end of the show (its last moment is at %2)")
                       .arg(formatShowTime(choice.fromMs), formatShowTime(*last)));
        *status = kExitUsage;
        return nullptr;
    }
    return source;
}

PlayerOptions playerOptions(const InputChoice& choice, const PlayRules& rules, bool recorded,
                            bool onShowTime) {
    const bool live = choice.kind == InputKind::Stdin;
    PlayerOptions options;
    options.speed = choice.speed;
    options.fast = rules.fast;
    options.clockFromFirstMoment = live;
    // The demo loops in a window, unless the run has an end or the user said.
    const bool demoLoops =
        rules.demoLoops && choice.kind == InputKind::Demo && !rules.durationSeconds && !recorded;
    options.loop = choice.loop || (demoLoops && !choice.loopGiven);
    // A live input's duration is wall-clock time, kept by the input control.
    if (rules.durationSeconds && !live) options.durationMs = int64_t(*rules.durationSeconds * 1000.0);
    options.fromMs = choice.fromMs;
    options.toMs = choice.toMs;
    if (onShowTime) options.framesPerSecond = rules.framesPerSecond;
    return options;
}

}  // namespace vexohost
