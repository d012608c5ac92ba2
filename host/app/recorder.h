// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_APP_RECORDER_H_
#define HOST_APP_RECORDER_H_

#include <QImage>
#include <QString>
#include <cstdint>
#include <memory>

namespace vexohost {

// A recording of the display window, frame by frame, in the format its file
// name asks for. The file appears under its name only when close() has
// completed it; abort(), a failure or a crash leave an earlier file of that
// name as it was. GUI thread.
class Recorder {
public:
    virtual ~Recorder() = default;

    // The formats, by the end of the file name.
    static bool knowsFormatOf(const QString& path);
    // "OUT.gif (animated GIF) or OUT.webp (lossless animated WebP)", for messages.
    static QString formats();
    // A recorder for the format of path; null when the name ends otherwise.
    static std::unique_ptr<Recorder> forPath(const QString& path);

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

#endif  // HOST_APP_RECORDER_H_
