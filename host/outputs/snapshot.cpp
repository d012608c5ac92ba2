// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/outputs/snapshot.h"

#include <QWidget>

namespace vexohost {

QImage renderWindow(QWidget* widget, const QRegion& region) {
    if (!widget) return {};
    QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    if (region.isEmpty())
        widget->render(&image);
    else
        widget->render(&image, region.boundingRect().topLeft(), region);
    return image;
}

}  // namespace vexohost
