// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_WINDOWS_FILECHOOSERS_H_
#define HOST_WINDOWS_FILECHOOSERS_H_

#include <QString>

class QWidget;

namespace vexohost {

// The file dialogs of the main window. Each starts in the folder of
// `near` (the show that plays, or was opened last) when there is one, and
// returns the file chosen, or nothing when the user cancelled. GUI thread.

// A show or a recording to open: shows and recordings first, all files next.
QString chooseShowFile(QWidget* parent, const QString& near);
// A GIF or WebP file to record the display to.
QString chooseRecordFile(QWidget* parent, const QString& near);

}  // namespace vexohost

#endif  // HOST_WINDOWS_FILECHOOSERS_H_
