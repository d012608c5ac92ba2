// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_RECORDING_WEBPRECORDER_H_
#define HOST_RECORDING_WEBPRECORDER_H_

#include <QByteArray>
#include <QImage>
#include <QRect>
#include <QString>
#include <cstdint>

#include "host/files/atomicfile.h"
#include "host/recording/recorder.h"

namespace vexohost {

// Writes a lossless animated WebP, frame by frame, that loops forever: every
// frame decodes to the window exactly. Each frame is the rectangle in which
// the window differs from the frame before, encoded lossless by libwebp and
// written at once (an ANMF chunk that replaces those pixels), so memory
// stays at two pictures however long the recording; a still window makes
// the frame before show longer. The RIFF size is written last, over its
// place at the start; a file that cannot go back (a device, a FIFO) gets the
// whole animation in memory and at once when it closes. The file appears
// under its name only when complete (AtomicFile). GUI thread.
class WebpRecorder : public Recorder {
public:
    WebpRecorder() = default;
    ~WebpRecorder() override;  // abort() unless closed
    WebpRecorder(const WebpRecorder&) = delete;
    WebpRecorder& operator=(const WebpRecorder&) = delete;

    bool open(const QString& path, int width, int height) override;
    bool addFrame(const QImage& frame, int64_t delayMs) override;
    bool close() override;
    void abort() override;
    int frameCount() const override { return m_frames; }
    const QString& error() const override { return m_error; }

private:
    // Writes m_pending for m_pendingMs, in frames of at most 4.6 hours.
    bool writePending();
    // Writes the rectangle rect of picture as a frame of durationMs.
    bool writeFrame(const QImage& picture, QRect rect, int64_t durationMs);
    bool put(const QByteArray& bytes);
    bool fail(const QString& what);

    QString m_path;
    AtomicFile m_file;
    bool m_open = false;
    QByteArray m_held;   // everything, for a file that cannot go back
    int64_t m_size = 0;  // bytes written so far
    int m_width = 0, m_height = 0;
    QImage m_written;  // what the frames written show
    QImage m_pending;  // the frame not yet written
    int64_t m_pendingMs = 0;
    int64_t m_timeMs = 0;  // the frames' lengths, added up
    int m_frames = 0;
    QString m_error;
};

}  // namespace vexohost

#endif  // HOST_RECORDING_WEBPRECORDER_H_
