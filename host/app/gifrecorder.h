// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_APP_GIFRECORDER_H_
#define HOST_APP_GIFRECORDER_H_

#include <QImage>
#include <QString>

#include "host/app/atomicfile.h"
#include "host/app/framepalette.h"
#include "host/app/recorder.h"

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
// The file appears under its name only when complete (AtomicFile). Delays
// are rounded to the GIF's 10-ms steps. GUI thread.
class GifRecorder : public Recorder {
public:
    GifRecorder() = default;
    ~GifRecorder() override;  // abort() unless closed
    GifRecorder(const GifRecorder&) = delete;
    GifRecorder& operator=(const GifRecorder&) = delete;

    bool open(const QString& path, int width, int height) override;
    bool addFrame(const QImage& frame, int64_t delayMs) override;
    bool close() override;
    void abort() override;
    int frameCount() const override { return m_frames; }
    const QString& error() const override { return m_error; }

private:
    // Writes m_pending for m_pendingDelayMs, in frames of at most 655.35 s.
    bool writePending();
    bool writeFrame(int64_t delayMs);
    bool fail(const QString& what);
    bool gifFailed(const QString& what, int giflibError);
    bool finishFile();

    QString m_path;
    AtomicFile m_file;
    GifFileType* m_gif = nullptr;
    int m_width = 0, m_height = 0;
    QImage m_previous;  // the last frame given, as the window showed it
    QImage m_shown;     // what a viewer of the file shows after the frames written
    QImage m_pending;   // the frame not yet written
    int64_t m_pendingDelayMs = 0;
    bool m_haveWritten = false;
    bool m_exact = false;  // the viewer shows m_previous exactly
    int m_frames = 0;
    FramePalette m_palette;
    std::vector<QRgb> m_rect;       // the changed rectangle, reused
    std::vector<QRgb> m_shownRect;  // what is shown there
    QString m_error;
};

}  // namespace vexohost

#endif  // HOST_APP_GIFRECORDER_H_
