// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_RECORDING_RECORDERFACTORY_H_
#define HOST_RECORDING_RECORDERFACTORY_H_

#include <QString>
#include <memory>

#include "host/recording/recorder.h"

namespace vexohost {

// The recording formats vexo-host writes, chosen by the end of the file
// name, and the recorder for each: the one place that knows them all, so
// the recorders know only the interface they share. Any thread; it holds
// nothing.
class RecorderFactory {
public:
    // Whether the file name asks for a format of ours.
    static bool knowsFormatOf(const QString& path);
    // "OUT.gif (animated GIF) or OUT.webp (lossless animated WebP)", for messages.
    static QString formats();
    // A recorder for the format of path; null when the name ends otherwise.
    static std::unique_ptr<Recorder> forPath(const QString& path);
};

}  // namespace vexohost

#endif  // HOST_RECORDING_RECORDERFACTORY_H_
