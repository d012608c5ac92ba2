// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/app/optionchecks.h"

#include <cstring>
#include <utility>

#include "host/app/optionvalues.h"
#include "host/files/atomicfile.h"

namespace vexohost {

QString checkOptionCombinations(const HostOptions& o, int inputs) {
    if (inputs > 1) return QStringLiteral("choose one input: --demo, --play, --stdin, --faders or --ola");
    const bool show = o.input == InputKind::Demo || o.input == InputKind::Play;
    if (!show && (o.loop || o.fromMs > 0 || o.toMs))
        return QStringLiteral("--loop, --from and --to need a show (--demo or --play)");
    if (o.toMs && *o.toMs <= o.fromMs)
        return QStringLiteral("--from %1 is not before --to %2")
            .arg(formatShowTime(o.fromMs), formatShowTime(*o.toMs));
    if (o.plotSizeGiven && o.plotPath.isEmpty()) return QStringLiteral("--plot-size needs --plot");
    // In a window, Connect reaches olad whatever the input; headless, only --ola does.
    if (o.noDataAfterGiven && o.headless && o.inputGiven && o.input != InputKind::Ola)
        return QStringLiteral(
            "--no-data-after needs a live universe: --ola, or a window, which connects to olad");
    if (o.loop && !o.recordPath.isEmpty() && !o.durationSeconds)
        return QStringLiteral("--record of a --loop needs --duration: a recording must end");
    if (!o.snapshotPath.isEmpty() && !o.recordPath.isEmpty() &&
        AtomicFile::target(o.snapshotPath) == AtomicFile::target(o.recordPath))
        return QStringLiteral("--snapshot and --record name the same file '%1'; give each its own")
            .arg(shownArgument(o.recordPath));
    if (!o.savedShowPath.isEmpty()) {
        const QString saved = AtomicFile::target(o.savedShowPath);
        for (const auto& [option, other] :
             {std::pair{"--snapshot", o.snapshotPath}, std::pair{"--record", o.recordPath},
              std::pair{"--play", o.showFile}})
            if (!other.isEmpty() && AtomicFile::target(other) == saved)
                return QStringLiteral("--save-show and %1 name the same file '%2'; give each its own")
                    .arg(QString::fromLatin1(option), shownArgument(o.savedShowPath));
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
                    .arg(QString::fromLatin1(option), QString::fromLatin1(otherOption), shownArgument(path));
    }
    return {};
}

}  // namespace vexohost
