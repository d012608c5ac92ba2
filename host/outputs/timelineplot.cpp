// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/outputs/timelineplot.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgGenerator>

#include "host/files/atomicfile.h"
#include "host/timeline/timelinelayout.h"
#include "host/timeline/timelinepainter.h"

namespace vexohost {
namespace {

bool isSvg(const QString& path) {
    return QFileInfo(path).suffix().compare(QLatin1String("svg"), Qt::CaseInsensitive) == 0;
}

void paint(QPaintDevice* device, QSize size, const TimelineSeries& series, int64_t startMs, int64_t endMs,
           const TimelineLook& look) {
    QPainter painter(device);
    painter.fillRect(QRect(QPoint(0, 0), size), look.background);
    const TimelineLayout layout(QRect(QPoint(0, 0), size).adjusted(4, 4, -4, -2), painter.fontMetrics(),
                                startMs, endMs);
    paintTimeline(painter, layout, series, look);
}

}  // namespace

bool isTimelinePlotPath(const QString& path) {
    const QString suffix = QFileInfo(path).suffix();
    return isSvg(path) || suffix.compare(QLatin1String("png"), Qt::CaseInsensitive) == 0;
}

bool writeTimelinePlot(AtomicFile& file, QSize size, const TimelineSeries& series, int64_t startMs,
                       int64_t endMs, const TimelineLook& look, QString* error) {
    QBuffer bytes;
    bytes.open(QIODevice::WriteOnly);
    const QString path = file.path();
    if (isSvg(path)) {
        QSvgGenerator svg;
        svg.setOutputDevice(&bytes);
        svg.setSize(size);
        // Laid out as the PNG is, its text at the resolution of a picture.
        svg.setResolution(QImage(1, 1, QImage::Format_RGB32).logicalDpiX());
        svg.setViewBox(QRect(QPoint(0, 0), size));
        svg.setTitle(QStringLiteral("The nine channels over time"));
        paint(&svg, size, series, startMs, endMs, look);
        // The generator gives the size in millimetres at its resolution, which
        // readers turn back into pixels at resolutions of their own: the size
        // asked for is given in pixels, as every reader takes it.
        QByteArray& text = bytes.buffer();
        const qsizetype head = text.indexOf("viewBox");
        static const QRegularExpression mm(QStringLiteral("width=\"[0-9.]+mm\" height=\"[0-9.]+mm\""));
        const QString start =
            QString::fromUtf8(text.left(head))
                .replace(mm,
                         QStringLiteral("width=\"%1\" height=\"%2\"").arg(size.width()).arg(size.height()));
        text.replace(0, head, start.toUtf8());
    } else {
        QImage image(size, QImage::Format_RGB32);
        paint(&image, size, series, startMs, endMs, look);
        if (!image.save(&bytes, "PNG")) {
            *error = QStringLiteral("%1: the picture could not be made").arg(path);
            return false;
        }
    }
    if (!file.write(bytes.data().constData(), size_t(bytes.size())) || !file.commit()) {
        *error = file.error();
        return false;
    }
    return true;
}

}  // namespace vexohost
