// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/app/webprecorder.h"

#include <webp/encode.h>
#include <webp/mux.h>

#include <cstring>
#include <limits>

namespace vexohost {
namespace {

// Lossless, with a moderate effort: the display's frames differ in a few
// envelopes, which the encoder stores as small sub-frames either way.
constexpr int kLosslessEffort = 1;  // 0 fastest .. 9 smallest

}  // namespace

WebpRecorder::~WebpRecorder() {
    if (m_encoder) abort();
}

bool WebpRecorder::fail(const QString& what) {
    m_error = what;
    return false;
}

QString WebpRecorder::encoderError() const {
    const char* text = m_encoder ? WebPAnimEncoderGetError(m_encoder) : nullptr;
    return QString::fromUtf8(text && *text ? text : "encoder failure");
}

bool WebpRecorder::open(const QString& path, int width, int height) {
    if (width <= 0 || height <= 0 || width > 16383 || height > 16383) return fail("bad frame size");
    m_path = path;
    // The file is opened now, so that a path that cannot be written fails
    // before the show starts, not after it.
    if (!m_file.open(path)) return fail(m_file.error());
    WebPAnimEncoderOptions options;
    if (!WebPAnimEncoderOptionsInit(&options)) return fail("libwebp version mismatch");
    options.anim_params.loop_count = 0;  // forever
    options.allow_mixed = 0;
    m_encoder = WebPAnimEncoderNew(width, height, &options);
    if (!m_encoder) {
        m_file.discard();
        return fail(QStringLiteral("%1: cannot start the encoder").arg(path));
    }
    m_width = width;
    m_height = height;
    return true;
}

bool WebpRecorder::addFrame(const QImage& frame, int64_t delayMs) {
    if (!m_encoder) return fail("not open");
    QImage image = frame.size() == QSize(m_width, m_height) ? frame : frame.scaled(m_width, m_height);
    // Opaque BGRA in memory on a little-endian machine.
    image = image.convertToFormat(QImage::Format_RGB32);
    // A still window: the frame before shows longer (its length is the
    // time to the next frame added).
    if (m_frames > 0 && image == m_last) return advance(delayMs);
    m_last = std::move(image);
    if (!encode(m_last)) return false;
    ++m_frames;
    return advance(delayMs);
}

bool WebpRecorder::encode(const QImage& image) {
    WebPConfig config;
    WebPPicture picture;
    if (!WebPConfigInit(&config) || !WebPConfigLosslessPreset(&config, kLosslessEffort) ||
        !WebPPictureInit(&picture))
        return fail("libwebp version mismatch");
    picture.width = m_width;
    picture.height = m_height;
    picture.use_argb = 1;
    const bool imported = WebPPictureImportBGRX(&picture, image.constBits(), int(image.bytesPerLine()));
    const bool added = imported && WebPAnimEncoderAdd(m_encoder, &picture, int(m_timeMs), &config);
    WebPPictureFree(&picture);
    if (!added) return fail(QStringLiteral("%1: cannot add a frame (%2)").arg(m_path, encoderError()));
    m_encodedAtMs = m_timeMs;
    return true;
}

bool WebpRecorder::advance(int64_t delayMs) {
    // The format's times are milliseconds in an int: 24.8 days.
    if (m_timeMs + delayMs > std::numeric_limits<int>::max())
        return fail(
            QStringLiteral("%1: recording too long (a WebP animation lasts at most 24 days)").arg(m_path));
    // A frame lasts at most 0xffffff ms (4.6 hours); a longer still is the
    // same picture again.
    constexpr int64_t kMaxFrameMs = 0xffffff;
    const int64_t until = m_timeMs + delayMs;
    while (until - m_encodedAtMs > kMaxFrameMs) {
        m_timeMs = m_encodedAtMs + kMaxFrameMs;
        if (!encode(m_last)) return false;
    }
    m_timeMs = until;
    return true;
}

bool WebpRecorder::close() {
    if (!m_encoder) return m_error.isEmpty();
    WebPData data;
    WebPDataInit(&data);
    // The last frame lasts until the time after it.
    bool ok = WebPAnimEncoderAdd(m_encoder, nullptr, int(m_timeMs), nullptr) &&
              WebPAnimEncoderAssemble(m_encoder, &data);
    if (!ok) fail(QStringLiteral("%1: cannot finish the animation (%2)").arg(m_path, encoderError()));
    WebPAnimEncoderDelete(m_encoder);
    m_encoder = nullptr;
    if (ok && !m_file.write(data.bytes, data.size)) ok = fail(m_file.error());
    WebPDataClear(&data);
    if (!ok) {
        m_file.discard();
        return false;
    }
    return m_file.commit() || fail(m_file.error());
}

void WebpRecorder::abort() {
    if (m_encoder) WebPAnimEncoderDelete(m_encoder);
    m_encoder = nullptr;
    m_file.discard();
}

}  // namespace vexohost
