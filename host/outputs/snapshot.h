// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_OUTPUTS_SNAPSHOT_H_
#define HOST_OUTPUTS_SNAPSHOT_H_

#include <QImage>
#include <QRegion>

class QWidget;

namespace vexohost {

// The window as it looks now, rendered offscreen at its own size on black;
// a null image for no window. widget: not owned. GUI thread.
// Only region, when given, is drawn (the rest stays black), where it stands.
QImage renderWindow(QWidget* widget, const QRegion& region = QRegion());

}  // namespace vexohost

#endif  // HOST_OUTPUTS_SNAPSHOT_H_
