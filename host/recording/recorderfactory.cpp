// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/recording/recorderfactory.h"

#include "host/recording/gifrecorder.h"
#include "host/recording/webprecorder.h"

namespace vexohost {
namespace {

bool endsWith(const QString& path, const char* extension) {
    return path.endsWith(QLatin1String(extension), Qt::CaseInsensitive);
}

}  // namespace

bool RecorderFactory::knowsFormatOf(const QString& path) {
    return endsWith(path, ".gif") || endsWith(path, ".webp");
}

QString RecorderFactory::formats() {
    return QStringLiteral("OUT.gif (animated GIF) or OUT.webp (lossless animated WebP)");
}

std::unique_ptr<Recorder> RecorderFactory::forPath(const QString& path) {
    if (endsWith(path, ".gif")) return std::make_unique<GifRecorder>();
    if (endsWith(path, ".webp")) return std::make_unique<WebpRecorder>();
    return nullptr;
}

}  // namespace vexohost
