// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_RECORDING_RECORDER_H_
#define HOST_RECORDING_RECORDER_H_

#include <QImage>
#include <QString>
#include <cstdint>
#include <memory>

namespace vexohost {

// A recording of the display window, frame by frame, in one format
// (RecorderFactory makes the one a file name asks for). The file appears
// under its name only when close() has completed it; abort(), a failure or a
// crash leave an earlier file of that name as it was. GUI thread.
class Recorder {
public:
    virtual ~Recorder() = default;

    // Starts a recording of frames of the given size to path; false with
    // error() set on failure.
    virtual bool open(const QString& path, int width, int height) = 0;
    // Adds a frame shown for delayMs; an image of another size is scaled. A
    // frame like the one before only makes that one show longer.
    virtual bool addFrame(const QImage& frame, int64_t delayMs) = 0;
    // Writes what is left and gives the file its final name.
    virtual bool close() = 0;
    // Gives up: nothing is written under the final name.
    virtual void abort() = 0;

    virtual int frameCount() const = 0;
    virtual const QString& error() const = 0;
};

}  // namespace vexohost

#endif  // HOST_RECORDING_RECORDER_H_
