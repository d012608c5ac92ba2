// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/recording/webprecorder.h"

#include <webp/encode.h>

#include <algorithm>
#include <cstring>
#include <limits>

namespace vexohost {
namespace {

// Lossless, with a moderate effort: the display's frames differ in a few
// envelopes, small rectangles either way.
constexpr int kLosslessEffort = 1;  // 0 fastest .. 9 smallest
// A frame lasts at most 0xffffff ms (4.6 hours); a longer still is a frame
// of one unchanged pixel more.
constexpr int64_t kMaxFrameMs = 0xffffff;

void putLittle(QByteArray& out, uint32_t value, int bytes) {
    for (int k = 0; k < bytes; ++k) out.append(char((value >> (8 * k)) & 0xff));
}

QByteArray chunk(const char* tag, const QByteArray& payload) {
    QByteArray out(tag, 4);
    putLittle(out, uint32_t(payload.size()), 4);
    out += payload;
    if (payload.size() % 2) out.append('\0');
    return out;
}

// The smallest rectangle in which two pictures differ, its corner on even
// coordinates (as a frame's offset must be); empty when they are the same.
QRect changedRect(const QImage& now, const QImage& before) {
    int left = now.width(), right = -1, top = now.height(), bottom = -1;
    for (int y = 0; y < now.height(); ++y) {
        const auto* a = reinterpret_cast<const QRgb*>(now.constScanLine(y));
        const auto* b = reinterpret_cast<const QRgb*>(before.constScanLine(y));
        if (std::memcmp(a, b, size_t(now.width()) * sizeof(QRgb)) == 0) continue;
        top = std::min(top, y);
        bottom = y;
        int x = 0;
        while (a[x] == b[x]) ++x;
        left = std::min(left, x);
        x = now.width() - 1;
        while (a[x] == b[x]) --x;
        right = std::max(right, x);
    }
    if (right < 0) return {};
    return QRect(QPoint(left & ~1, top & ~1), QPoint(right, bottom));
}

int writeToBytes(const uint8_t* data, size_t size, const WebPPicture* picture) {
    static_cast<QByteArray*>(picture->custom_ptr)
        ->append(reinterpret_cast<const char*>(data), qsizetype(size));
    return 1;
}

}  // namespace

WebpRecorder::~WebpRecorder() {
    if (m_open) abort();
}

bool WebpRecorder::fail(const QString& what) {
    m_error = what;
    return false;
}

bool WebpRecorder::put(const QByteArray& bytes) {
    m_size += bytes.size();
    if (!m_file.canGoBack()) {
        m_held += bytes;
        return true;
    }
    return m_file.write(bytes.constData(), size_t(bytes.size())) || fail(m_file.error());
}

bool WebpRecorder::open(const QString& path, int width, int height) {
    if (width <= 0 || height <= 0 || width > 16383 || height > 16383) return fail("bad frame size");
    m_path = path;
    // The file is opened now, so that a path that cannot be written fails
    // before the show starts, not after it.
    if (!m_file.open(path)) return fail(m_file.error());
    m_open = true;
    m_width = width;
    m_height = height;
    QByteArray header("RIFF", 4);
    putLittle(header, 0, 4);  // the size, written when the file is complete
    header += "WEBP";
    QByteArray canvas;
    putLittle(canvas, 0x02, 4);  // an animation, opaque
    putLittle(canvas, uint32_t(width - 1), 3);
    putLittle(canvas, uint32_t(height - 1), 3);
    header += chunk("VP8X", canvas);
    QByteArray animation;
    putLittle(animation, 0xff000000u, 4);  // background: opaque black
    putLittle(animation, 0, 2);            // loop forever
    header += chunk("ANIM", animation);
    return put(header);
}

bool WebpRecorder::addFrame(const QImage& frame, int64_t delayMs) {
    if (!m_open) return fail("not open");
    QImage image = frame.size() == QSize(m_width, m_height) ? frame : frame.scaled(m_width, m_height);
    // Opaque BGRA in memory on a little-endian machine.
    image = image.convertToFormat(QImage::Format_RGB32);
    // The format's times are milliseconds in an int: 24.8 days.
    if (m_timeMs + m_pendingMs + delayMs > std::numeric_limits<int>::max())
        return fail(
            QStringLiteral("%1: recording too long (a WebP animation lasts at most 24 days)").arg(m_path));
    // A still window: the frame before shows longer.
    if (!m_pending.isNull() && image == m_pending) {
        m_pendingMs += delayMs;
        return true;
    }
    if (!m_pending.isNull() && !writePending()) return false;
    m_pending = std::move(image);
    m_pendingMs = delayMs;
    ++m_frames;
    return true;
}

bool WebpRecorder::writePending() {
    QRect rect = m_written.isNull() ? m_pending.rect() : changedRect(m_pending, m_written);
    if (rect.isEmpty()) rect = QRect(0, 0, 1, 1);
    int64_t left = std::max<int64_t>(m_pendingMs, 1);
    while (left > 0) {
        const int64_t duration = std::min(left, kMaxFrameMs);
        if (!writeFrame(m_pending, rect, duration)) return false;
        left -= duration;
        rect = QRect(0, 0, 1, 1);
    }
    m_written = m_pending;
    m_timeMs += m_pendingMs;
    return true;
}

bool WebpRecorder::writeFrame(const QImage& picture, QRect rect, int64_t durationMs) {
    WebPConfig config;
    WebPPicture part;
    if (!WebPConfigInit(&config) || !WebPConfigLosslessPreset(&config, kLosslessEffort) ||
        !WebPPictureInit(&part))
        return fail("libwebp version mismatch");
    part.width = rect.width();
    part.height = rect.height();
    part.use_argb = 1;
    QByteArray encoded;
    part.writer = writeToBytes;
    part.custom_ptr = &encoded;
    const uchar* corner = picture.constScanLine(rect.top()) + rect.left() * 4;
    const bool ok =
        WebPPictureImportBGRX(&part, corner, int(picture.bytesPerLine())) && WebPEncode(&config, &part);
    const int code = part.error_code;
    WebPPictureFree(&part);
    if (!ok)
        return fail(QStringLiteral("%1: cannot encode a frame (libwebp error %2)").arg(m_path).arg(code));
    // A simple file of one image: its chunks (VP8L) follow the 12-byte RIFF header.
    QByteArray frame;
    putLittle(frame, uint32_t(rect.left() / 2), 3);
    putLittle(frame, uint32_t(rect.top() / 2), 3);
    putLittle(frame, uint32_t(rect.width() - 1), 3);
    putLittle(frame, uint32_t(rect.height() - 1), 3);
    putLittle(frame, uint32_t(durationMs), 3);
    frame.append(char(0x02));  // replaces the pixels under it; nothing disposed
    frame += encoded.mid(12);
    return put(chunk("ANMF", frame));
}

bool WebpRecorder::close() {
    if (!m_open) return m_error.isEmpty();
    bool ok = m_pending.isNull() || writePending();
    QByteArray size;
    putLittle(size, uint32_t(m_size - 8), 4);
    if (ok && m_file.canGoBack()) {
        ok = m_file.writeAt(4, size.constData(), 4) || fail(m_file.error());
    } else if (ok) {
        m_held.replace(4, 4, size);
        ok = m_file.write(m_held.constData(), size_t(m_held.size())) || fail(m_file.error());
    }
    m_open = false;
    if (!ok) {
        m_file.discard();
        return false;
    }
    return m_file.commit() || fail(m_file.error());
}

void WebpRecorder::abort() {
    m_open = false;
    m_held.clear();
    m_file.discard();
}

}  // namespace vexohost
