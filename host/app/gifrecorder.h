#ifndef HOST_APP_GIFRECORDER_H_
#define HOST_APP_GIFRECORDER_H_

#include <QImage>
#include <QString>

#include "host/app/framepalette.h"

struct GifFileType;

namespace vexohost {

// Writes an animated GIF89a, frame by frame, that loops forever.
//
// Each frame stores only the rectangle in which the window differs from what
// the file shows so far, with a colour table of its own; pixels inside it
// that show right already are transparent. A rectangle of at most 256
// colours is stored exactly, and most changes of the display are; a larger
// one is reduced with dithering, and while the window then stays still the
// following frames put the remaining colours right until the picture is
// exact (FramePalette). A frame that has nothing to add costs a single
// transparent pixel, which keeps its timing.
//
// The file is written under a temporary name beside the final one and
// renamed when it is complete, so a failure, an abort() or a crash never
// leaves a half-written file under the final name, and an earlier file of
// that name stays until the new one replaces it. A path that is not a
// regular file (a device, a pipe) is written in place. GUI thread.
class GifRecorder {
public:
    GifRecorder() = default;
    ~GifRecorder();  // abort() unless closed
    GifRecorder(const GifRecorder&) = delete;
    GifRecorder& operator=(const GifRecorder&) = delete;

    // Starts a recording of frames of the given size to path; false with
    // error() set on failure.
    bool open(const QString& path, int width, int height);
    // Adds a frame shown for delayMs (rounded to the GIF's 10-ms steps). The
    // image is scaled to the size given to open() if it differs.
    bool addFrame(const QImage& frame, int delayMs);
    // Writes the last frame, completes the file and gives it its final name.
    bool close();
    // Gives up: removes the temporary file and keeps whatever was at path.
    void abort();

    int frameCount() const { return m_frames; }
    // Frames that needed a reduced colour table.
    int reducedFrames() const { return m_reducedFrames; }
    const QString& error() const { return m_error; }

private:
    bool writePending();
    bool fail(const QString& what);
    bool finishFile();
    void removeTemporary();

    QString m_path;
    QString m_temporary;
    GifFileType* m_gif = nullptr;
    int m_width = 0, m_height = 0;
    QImage m_previous;  // the last frame given, as the window showed it
    QImage m_shown;     // what a viewer of the file shows after the frames written
    QImage m_pending;   // the frame not yet written
    int m_pendingDelayMs = 0;
    bool m_haveWritten = false;
    int m_frames = 0;
    int m_reducedFrames = 0;
    FramePalette m_palette;
    std::vector<QRgb> m_rect;       // the changed rectangle, reused
    std::vector<QRgb> m_shownRect;  // what is shown there
    QString m_error;
};

}  // namespace vexohost

#endif  // HOST_APP_GIFRECORDER_H_
