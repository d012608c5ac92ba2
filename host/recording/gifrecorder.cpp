// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/recording/gifrecorder.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>

namespace vexohost {
namespace {

// What giflib writes is gathered up to this much before it goes to the file:
// giflib writes a colour table three bytes at a time and the image data a
// block of at most 255 bytes at a time.
constexpr size_t kOutBuffer = 64 * 1024;

// While the window changes, a pixel that shows a colour this close to the
// window's is left as it is: squared distance in RGB of at most 48 (about 4
// steps a channel, a colour difference no one sees). Dithered pixels of a
// reduced frame are mostly that close, so they are not sent again with every
// later change. While the window stands still, the frames pay that back:
// nothing but the exact colour shows right.
constexpr int kCloseEnough = 48;

inline bool showsRight(QRgb shown, QRgb window, int tolerance) {
    if (shown == window) return true;
    const int dr = qRed(shown) - qRed(window), dg = qGreen(shown) - qGreen(window),
              db = qBlue(shown) - qBlue(window);
    return dr * dr + dg * dg + db * db <= tolerance;
}

// The smallest rectangle holding every pixel of the window that the viewer
// does not show right; empty when there is none. *tolerated: some pixel
// shows right only within the tolerance.
QRect changedRect(const QImage& window, const QImage& shown, int tolerance, bool* tolerated) {
    int left = window.width(), right = -1, top = window.height(), bottom = -1;
    *tolerated = false;
    const int width = window.width(), height = window.height();
    for (int y = 0; y < height; ++y) {
        const auto* w = reinterpret_cast<const QRgb*>(window.constScanLine(y));
        const auto* s = reinterpret_cast<const QRgb*>(shown.constScanLine(y));
        if (std::memcmp(w, s, size_t(width) * sizeof(QRgb)) == 0) continue;
        for (int x = 0; x < width; ++x) {
            if (s[x] == w[x]) continue;
            if (showsRight(s[x], w[x], tolerance)) {
                *tolerated = true;
                continue;
            }
            top = std::min(top, y);
            bottom = y;
            left = std::min(left, x);
            right = std::max(right, x);
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

}  // namespace

// giflib writes into the buffer, and the buffer through the file, which keeps
// the system's words for a failure (a full disk says so, not "Failed to
// write to given file").
int GifRecorder::writeOut(GifFileType* gif, const GifByteType* bytes, int size) {
    auto* self = static_cast<GifRecorder*>(gif->UserData);
    self->m_out.insert(self->m_out.end(), bytes, bytes + size);
    return self->m_out.size() < kOutBuffer || self->flushOut() ? size : 0;
}

bool GifRecorder::flushOut() {
    const bool written = m_out.empty() || m_file.write(m_out.data(), m_out.size());
    m_out.clear();
    return written;
}

GifRecorder::~GifRecorder() {
    if (m_gif) abort();
}

// "PATH: No space left on device" when writing failed (giflib says "Write
// failed (disk full?)" whatever the reason); "PATH: what (giflib's words)"
// for anything else.
bool GifRecorder::gifFailed(const QString& what, int code) {
    if (!m_file.error().isEmpty()) return fail(m_file.error());
    return fail(QStringLiteral("%1: %2 (%3)").arg(m_path, what, QString::fromUtf8(GifErrorString(code))));
}

bool GifRecorder::fail(const QString& what) {
    m_error = what;
    return false;
}

bool GifRecorder::open(const QString& path, int width, int height) {
    if (width <= 0 || height <= 0 || width > 65535 || height > 65535) return fail("bad frame size");
    m_path = path;
    // Opened here rather than by giflib, which would create the file readable
    // by its owner only; this way the umask decides, as for any other output.
    if (!m_file.open(path)) return fail(m_file.error());
    int status = 0;
    m_out.clear();
    m_out.reserve(kOutBuffer + 256);
    m_gif = EGifOpen(this, writeOut, &status);
    if (!m_gif) {
        m_file.discard();
        return gifFailed(QStringLiteral("cannot start the file"), status);
    }
    m_width = width;
    m_height = height;
    EGifSetGifVersion(m_gif, true);
    // No global colour table: every frame carries its own.
    if (EGifPutScreenDesc(m_gif, width, height, 8, 0, nullptr) != GIF_OK)
        return gifFailed(QStringLiteral("cannot write the header"), m_gif->Error);
    // Loop forever.
    const GifByteType app[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    const GifByteType loop[] = {1, 0, 0};
    if (EGifPutExtensionLeader(m_gif, APPLICATION_EXT_FUNC_CODE) != GIF_OK ||
        EGifPutExtensionBlock(m_gif, sizeof app, app) != GIF_OK ||
        EGifPutExtensionBlock(m_gif, sizeof loop, loop) != GIF_OK || EGifPutExtensionTrailer(m_gif) != GIF_OK)
        return gifFailed(QStringLiteral("cannot write the loop extension"), m_gif->Error);
    return true;
}

// A frame of a single 10-ms step is shown for 100 ms by browsers and Qt
// alike: every frame written lasts two steps at least.
constexpr int64_t kMinSteps = 2;
// A GIF frame shows for at most 655.35 s; a longer one is held by frames of
// one unchanged pixel.
constexpr int64_t kMaxSteps = 65535;
// While a still window is not yet shown exactly, its time goes to frames
// that put it right, this long each.
constexpr int64_t kRefiningMs = 20;
// A window that stands still this long is put right exactly; shorter pauses
// between changes keep the tolerance, which halves the file.
constexpr int64_t kQuietMs = 400;

int64_t GifRecorder::stepsUntil(int64_t delayMs) const {
    return (m_givenMs + delayMs + 5) / 10 - m_writtenSteps;
}

bool GifRecorder::addFrame(const QImage& frame, int64_t delayMs) {
    if (!m_gif) return fail("not open");
    QImage image = frame.size() == QSize(m_width, m_height) ? frame : frame.scaled(m_width, m_height);
    image = image.convertToFormat(QImage::Format_RGB32);
    // A still window the viewer already shows exactly: the frame waiting to
    // be written is shown longer, so the file grows with the changes, not
    // with the length. A frame too short for a GIF gives way to the next.
    const bool stillAndExact = m_exact && image == m_pending && m_pending == m_previous;
    if (!m_pending.isNull() && (stillAndExact || stepsUntil(m_pendingDelayMs) < kMinSteps)) {
        if (!stillAndExact) m_pending = std::move(image);
        m_pendingDelayMs += delayMs;
        return true;
    }
    if (!m_pending.isNull() && !writePending()) return false;
    m_pending = std::move(image);
    m_pendingDelayMs = delayMs;
    return true;
}

bool GifRecorder::writePending() {
    while (true) {
        int64_t used = 0;
        if (!writeFrame(m_pendingDelayMs, &used)) return false;
        m_pendingDelayMs -= used;
        if (m_pendingDelayMs <= 0) return true;
        m_pending = m_previous;
    }
}

bool GifRecorder::writeFrame(int64_t availableMs, int64_t* usedMs) {
    // Compared with what a viewer shows now, which after a reduced frame is
    // not yet the window: a still scene is then refined frame by frame.
    const bool still = m_haveWritten && m_pending == m_previous;
    const bool quiet = still && m_sameForMs + availableMs >= kQuietMs;
    const int tolerance = quiet ? 0 : kCloseEnough;
    bool tolerated = false;
    QRect rect = m_haveWritten ? changedRect(m_pending, m_shown, tolerance, &tolerated) : m_pending.rect();
    if (rect.isEmpty()) rect = QRect(0, 0, 1, 1);  // one kept pixel keeps the frame's timing

    // The rectangle's pixels; those that already show right are transparent.
    const size_t count = size_t(rect.width()) * size_t(rect.height());
    m_rect.resize(count);
    m_shownRect.resize(count);
    QRgb* out = m_rect.data();
    QRgb* shownOut = m_shownRect.data();
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        const auto* now = reinterpret_cast<const QRgb*>(m_pending.constScanLine(y));
        const auto* seen = m_haveWritten ? reinterpret_cast<const QRgb*>(m_shown.constScanLine(y)) : nullptr;
        for (int x = rect.left(); x <= rect.right(); ++x) {
            *out++ = seen && showsRight(seen[x], now[x], tolerance) ? 0u : (now[x] | 0xff000000u);
            *shownOut++ = seen ? seen[x] : 0u;
        }
    }
    if (!m_palette.build(m_rect.data(), rect.width(), rect.height(), still ? m_shownRect.data() : nullptr))
        return fail(QStringLiteral("%1: cannot reduce the colours of a frame").arg(m_path));
    // A picture this frame will not show exactly has its time cut short, so
    // that the frames after it put it right while the window stands still.
    const bool exactAfter = !m_palette.reduced() && !tolerated;
    *usedMs =
        exactAfter || availableMs <= 2 * kRefiningMs ? std::min(availableMs, kMaxSteps * 10) : kRefiningMs;

    const std::vector<QRgb>& colours = m_palette.colours();
    std::vector<GifColorType> table(colours.size());
    for (size_t k = 0; k < colours.size(); ++k)
        table[k] = {GifByteType(qRed(colours[k])), GifByteType(qGreen(colours[k])),
                    GifByteType(qBlue(colours[k]))};
    ColorMapObject* map = GifMakeMapObject(int(table.size()), table.data());
    if (!map) return fail(QStringLiteral("%1: out of memory").arg(m_path));

    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    // In the GIF's 10-ms steps, each frame ending at the step nearest to its
    // time, so rounding never adds up over a long recording.
    const int64_t steps = std::clamp(stepsUntil(*usedMs), kMinSteps, kMaxSteps);
    m_givenMs += *usedMs;
    m_writtenSteps += steps;
    control.DelayTime = int(steps);
    control.TransparentColor =
        m_palette.transparentIndex() >= 0 ? m_palette.transparentIndex() : NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    const size_t length = EGifGCBToExtension(&control, extension);
    bool ok =
        EGifPutExtension(m_gif, GRAPHICS_EXT_FUNC_CODE, int(length), extension) == GIF_OK &&
        EGifPutImageDesc(m_gif, rect.left(), rect.top(), rect.width(), rect.height(), false, map) == GIF_OK;
    GifFreeMapObject(map);
    const uint8_t* line = m_palette.indexes().data();
    for (int y = 0; ok && y < rect.height(); ++y, line += rect.width())
        ok = EGifPutLine(m_gif, const_cast<GifByteType*>(line), rect.width()) == GIF_OK;
    if (!ok) return gifFailed(QStringLiteral("cannot write a frame"), m_gif->Error);

    // What the viewer shows now.
    if (!m_haveWritten) m_shown = QImage(m_width, m_height, QImage::Format_RGB32);
    const uint8_t* index = m_palette.indexes().data();
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        auto* shownLine = reinterpret_cast<QRgb*>(m_shown.scanLine(y));
        for (int x = rect.left(); x <= rect.right(); ++x, ++index)
            if (*index != m_palette.transparentIndex()) shownLine[x] = colours[*index] | 0xff000000u;
    }
    m_exact = m_shown == m_pending;
    m_sameForMs = still ? m_sameForMs + *usedMs : *usedMs;
    m_previous = m_pending;
    m_haveWritten = true;
    m_pending = QImage();
    ++m_frames;
    return true;
}

bool GifRecorder::finishFile() {
    int status = 0;
    const int result = EGifCloseFile(m_gif, &status);
    m_gif = nullptr;
    if (result == GIF_OK && !flushOut()) return fail(m_file.error());
    return result == GIF_OK || gifFailed(QStringLiteral("cannot finish the file"), status);
}

bool GifRecorder::close() {
    if (!m_gif) return m_error.isEmpty();
    // A last moment too short for a frame of its own, of the picture shown
    // already, is left out rather than made 20 ms long.
    const bool nothingToAdd = m_pending.isNull() || (m_pending == m_previous && m_exact &&
                                                     stepsUntil(m_pendingDelayMs) < kMinSteps);
    const bool written = nothingToAdd || writePending();
    const bool finished = finishFile();
    if (!written || !finished) {
        m_file.discard();
        return false;
    }
    return m_file.commit() || fail(m_file.error());
}

void GifRecorder::abort() {
    if (m_gif) {
        int status = 0;
        EGifCloseFile(m_gif, &status);
        m_gif = nullptr;
    }
    m_file.discard();
    m_pending = QImage();
}

}  // namespace vexohost
