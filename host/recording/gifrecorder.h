// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_RECORDING_GIFRECORDER_H_
#define HOST_RECORDING_GIFRECORDER_H_

#include <QImage>
#include <QString>
#include <vector>

#include "host/files/atomicfile.h"
#include "host/recording/framepalette.h"
#include "host/recording/recorder.h"

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
// exact (FramePalette); pixels left within a tolerance while the window
// changes are put right too once it stands still for 400 ms, in frames of
// 20 ms cut from that time. A frame that has nothing to add costs a single transparent
// pixel, which keeps its timing. Frames shorter than 20 ms (a GIF viewer
// shows 10 ms as 100) give way to the frame after them.
//
// The file appears under its name only when complete (AtomicFile). Each
// frame ends at the GIF's 10-ms step nearest to its time, so the file lasts
// as long as the frames given, within 5 ms (25 when the last picture is
// given for less than 20 ms: it shows for 20 all the same). GUI thread.
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
    // Writes m_pending for m_pendingDelayMs, in frames of at most 655.35 s,
    // and while it is not shown exactly in short ones that put it right.
    bool writePending();
    // Writes m_pending for availableMs or, when it will not show exactly, less; *usedMs says how long.
    bool writeFrame(int64_t availableMs, int64_t* usedMs);
    // The 10-ms steps a frame of delayMs would last, written next.
    int64_t stepsUntil(int64_t delayMs) const;
    bool fail(const QString& what);
    bool gifFailed(const QString& what, int giflibError);
    bool finishFile();
    // giflib's output, gathered in m_out; flushOut() writes it to the file.
    static int writeOut(GifFileType* gif, const unsigned char* bytes, int size);
    bool flushOut();

    QString m_path;
    AtomicFile m_file;
    GifFileType* m_gif = nullptr;
    int m_width = 0, m_height = 0;
    QImage m_previous;  // the last frame given, as the window showed it
    QImage m_shown;     // what a viewer of the file shows after the frames written
    QImage m_pending;   // the frame not yet written
    int64_t m_pendingDelayMs = 0;
    int64_t m_givenMs = 0;       // the delays of the frames written, added up
    int64_t m_writtenSteps = 0;  // what the file says they add up to, in 10 ms
    bool m_haveWritten = false;
    bool m_exact = false;     // the viewer shows m_previous exactly
    int64_t m_sameForMs = 0;  // how long the frames written have shown m_previous
    int m_frames = 0;
    FramePalette m_palette;
    std::vector<QRgb> m_rect;          // the changed rectangle, reused
    std::vector<QRgb> m_shownRect;     // what is shown there
    std::vector<unsigned char> m_out;  // written by giflib, not yet by the file
    QString m_error;
};

}  // namespace vexohost

#endif  // HOST_RECORDING_GIFRECORDER_H_
