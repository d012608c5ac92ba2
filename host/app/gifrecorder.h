#ifndef HOST_APP_GIFRECORDER_H_
#define HOST_APP_GIFRECORDER_H_

#include <QImage>
#include <QString>
#include <cstdint>
#include <vector>

struct GifFileType;

namespace vexohost {

// Writes an animated GIF89a, frame by frame, that loops forever. Every frame
// is mapped onto one fixed 256-colour palette (a 6 x 7 x 6 colour cube and
// grey steps), so the result does not depend on the show. After the first
// frame only the rectangle that changed is stored (a single pixel for a frame
// identical to the one before), so a still scene costs a few bytes a frame.
class GifRecorder {
public:
    GifRecorder() = default;
    ~GifRecorder();
    GifRecorder(const GifRecorder&) = delete;
    GifRecorder& operator=(const GifRecorder&) = delete;

    // Opens path for writing frames of the given size; false with error() set on failure.
    bool open(const QString& path, int width, int height);
    // Adds a frame shown for delayMs (rounded to the GIF's 10-ms steps). The
    // image is scaled to the size given to open() if it differs.
    bool addFrame(const QImage& frame, int delayMs);
    // Writes the last frame and closes the file.
    bool close();

    int frameCount() const { return m_frames; }
    const QString& error() const { return m_error; }

private:
    bool writePending();
    bool fail(const QString& what);

    GifFileType* m_gif = nullptr;
    int m_width = 0, m_height = 0;
    std::vector<uint8_t> m_previous;  // indexes of the last written frame
    std::vector<uint8_t> m_pending;   // indexes of the frame not yet written
    int m_pendingDelayMs = 0;
    bool m_havePending = false;
    bool m_haveWritten = false;
    int m_frames = 0;
    QString m_error;
};

}  // namespace vexohost

#endif  // HOST_APP_GIFRECORDER_H_
