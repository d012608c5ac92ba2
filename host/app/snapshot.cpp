// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/app/snapshot.h"

#include <QWidget>

namespace vexohost {

QImage renderWindow(QWidget* widget) {
    if (!widget) return {};
    QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    widget->render(&image);
    return image;
}

}  // namespace vexohost
