#include "host/app/gifrecorder.h"

#include <fcntl.h>
#include <gif_lib.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vexohost {
namespace {

constexpr int kReds = 6, kGreens = 7, kBlues = 6;
constexpr int kCube = kReds * kGreens * kBlues;  // 252
constexpr int kGreys = 256 - kCube;

int level(int value, int steps) {
    return (value * (steps - 1) + 127) / 255;
}

ColorMapObject* makePalette() {
    ColorMapObject* map = GifMakeMapObject(256, nullptr);
    if (!map) return nullptr;
    int n = 0;
    for (int r = 0; r < kReds; ++r)
        for (int g = 0; g < kGreens; ++g)
            for (int b = 0; b < kBlues; ++b)
                map->Colors[n++] = {GifByteType(r * 255 / (kReds - 1)), GifByteType(g * 255 / (kGreens - 1)),
                                    GifByteType(b * 255 / (kBlues - 1))};
    for (int k = 0; k < kGreys; ++k) {
        const auto v = GifByteType((k + 1) * 255 / (kGreys + 1));
        map->Colors[n++] = {v, v, v};
    }
    return map;
}

uint8_t paletteIndex(QRgb rgb) {
    const int r = qRed(rgb), g = qGreen(rgb), b = qBlue(rgb);
    const int cube = (level(r, kReds) * kGreens + level(g, kGreens)) * kBlues + level(b, kBlues);
    // Near-greys that the cube would tint go to the grey steps.
    if (std::max({r, g, b}) - std::min({r, g, b}) < 8) {
        const int grey = (r + g + b) / 3;
        const int k = std::clamp((grey * (kGreys + 1) + 127) / 255 - 1, 0, kGreys - 1);
        const int greyValue = (k + 1) * 255 / (kGreys + 1);
        const int cubeGrey = level(grey, kReds) * 255 / (kReds - 1);
        if (std::abs(greyValue - grey) < std::abs(cubeGrey - grey) && grey > 8 && grey < 247)
            return uint8_t(kCube + k);
    }
    return uint8_t(cube);
}

}  // namespace

GifRecorder::~GifRecorder() {
    if (m_gif) close();
}

bool GifRecorder::fail(const QString& what) {
    m_error = what;
    return false;
}

bool GifRecorder::open(const QString& path, int width, int height) {
    if (width <= 0 || height <= 0 || width > 65535 || height > 65535) return fail("bad frame size");
    // Opened here rather than by giflib, which would create the file readable
    // by its owner only; this way the umask decides, as for any other output.
    const int fd = ::open(path.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return fail(QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno))));
    int status = 0;
    m_gif = EGifOpenFileHandle(fd, &status);
    if (!m_gif) {
        ::close(fd);
        return fail(QStringLiteral("%1: %2").arg(path, QString::fromUtf8(GifErrorString(status))));
    }
    m_width = width;
    m_height = height;
    EGifSetGifVersion(m_gif, true);
    ColorMapObject* palette = makePalette();
    const bool ok = palette && EGifPutScreenDesc(m_gif, width, height, 8, 0, palette) == GIF_OK;
    GifFreeMapObject(palette);
    if (!ok) return fail(QStringLiteral("%1: cannot write the header").arg(path));
    // Loop forever.
    const GifByteType app[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
    const GifByteType loop[] = {1, 0, 0};
    if (EGifPutExtensionLeader(m_gif, APPLICATION_EXT_FUNC_CODE) != GIF_OK ||
        EGifPutExtensionBlock(m_gif, sizeof app, app) != GIF_OK ||
        EGifPutExtensionBlock(m_gif, sizeof loop, loop) != GIF_OK || EGifPutExtensionTrailer(m_gif) != GIF_OK)
        return fail(QStringLiteral("%1: cannot write the loop extension").arg(path));
    return true;
}

bool GifRecorder::addFrame(const QImage& frame, int delayMs) {
    if (!m_gif) return fail("not open");
    QImage image = frame.size() == QSize(m_width, m_height)
                       ? frame.convertToFormat(QImage::Format_RGB32)
                       : frame.scaled(m_width, m_height).convertToFormat(QImage::Format_RGB32);
    std::vector<uint8_t> indexes(size_t(m_width) * size_t(m_height));
    for (int y = 0; y < m_height; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < m_width; ++x)
            indexes[size_t(y) * size_t(m_width) + size_t(x)] = paletteIndex(line[x]);
    }
    if (m_havePending && !writePending()) return false;
    m_pending = std::move(indexes);
    m_pendingDelayMs = delayMs;
    m_havePending = true;
    return true;
}

bool GifRecorder::writePending() {
    // The rectangle that differs from the frame written before.
    int left = 0, top = 0, right = m_width - 1, bottom = m_height - 1;
    if (m_haveWritten) {
        left = m_width, top = m_height, right = -1, bottom = -1;
        for (int y = 0; y < m_height; ++y)
            for (int x = 0; x < m_width; ++x) {
                const size_t at = size_t(y) * size_t(m_width) + size_t(x);
                if (m_pending[at] != m_previous[at]) {
                    left = std::min(left, x), right = std::max(right, x);
                    top = std::min(top, y), bottom = std::max(bottom, y);
                }
            }
        if (right < 0) left = top = right = bottom = 0;  // unchanged: one pixel keeps the frame's timing
    }
    GraphicsControlBlock control{};
    control.DisposalMode = DISPOSE_DO_NOT;
    control.DelayTime = std::clamp((m_pendingDelayMs + 5) / 10, 1, 65535);
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    const size_t length = EGifGCBToExtension(&control, extension);
    const int w = right - left + 1, h = bottom - top + 1;
    if (EGifPutExtension(m_gif, GRAPHICS_EXT_FUNC_CODE, int(length), extension) != GIF_OK ||
        EGifPutImageDesc(m_gif, left, top, w, h, false, nullptr) != GIF_OK)
        return fail("cannot write a frame");
    for (int y = top; y <= bottom; ++y) {
        if (EGifPutLine(m_gif, m_pending.data() + size_t(y) * size_t(m_width) + size_t(left), w) != GIF_OK)
            return fail("cannot write a frame");
    }
    m_previous = m_pending;
    m_haveWritten = true;
    m_havePending = false;
    ++m_frames;
    return true;
}

bool GifRecorder::close() {
    if (!m_gif) return m_error.isEmpty();
    bool ok = !m_havePending || writePending();
    int status = 0;
    if (EGifCloseFile(m_gif, &status) != GIF_OK) ok = fail("cannot finish the file");
    m_gif = nullptr;
    return ok;
}

}  // namespace vexohost
