// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_APP_WEBPRECORDER_H_
#define HOST_APP_WEBPRECORDER_H_

#include <QImage>
#include <QString>
#include <cstdint>

#include "host/app/atomicfile.h"
#include "host/app/recorder.h"

struct WebPAnimEncoder;

namespace vexohost {

// Writes a lossless animated WebP with libwebp's animation encoder: every
// frame decodes to the window exactly. The encoder keeps the animation in
// memory (it stores only what changed from frame to frame) and the file is
// written when the recording closes. Loops forever. GUI thread.
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
    // Moves the time of the next frame on; fails past what the format holds.
    bool advance(int64_t delayMs);
    // Adds image at m_timeMs.
    bool encode(const QImage& image);
    bool fail(const QString& what);
    QString encoderError() const;

    QString m_path;
    AtomicFile m_file;
    WebPAnimEncoder* m_encoder = nullptr;
    int m_width = 0, m_height = 0;
    int64_t m_timeMs = 0;       // the time of the next frame
    QImage m_last;              // the last frame added
    int64_t m_encodedAtMs = 0;  // the time of the last picture given to the encoder
    int m_frames = 0;
    QString m_error;
};

}  // namespace vexohost

#endif  // HOST_APP_WEBPRECORDER_H_
