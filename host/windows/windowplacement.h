// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_WINDOWS_WINDOWPLACEMENT_H_
#define HOST_WINDOWS_WINDOWPLACEMENT_H_

#include <QLockFile>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <memory>

namespace vexohost {

// Where the host's main window and the plug-in's display stand when nothing
// is remembered: side by side, else one above the other, as a group in the
// middle of the screen's free area, where they fit without overlapping; else
// cascaded from its top left corner. Sizes and places are of the windows'
// frames, title bars included.
struct WindowPlaces {
    QPoint main;
    QPoint display;
};
WindowPlaces placeWindows(const QRect& screen, const QSize& mainFrame, const QSize& displayFrame);

// A window of the n-th instance running at once, moved by n steps from `at`
// so that no two stand on top of each other: down and right, or where the
// screen has no room for that, down and left, up and right or up and left;
// with more instances than there is room for, they go round again.
QPoint cascaded(const QPoint& at, int instance, const QRect& screen, const QSize& frame);

// This process's number among the host's instances with windows that run at
// once, the lowest free one: 0 for the first. It is held by a lock file in
// the user's runtime folder while the object lives; a process that died
// leaves a lock that the next one takes over. Owned by the application. GUI
// thread.
class InstanceSlot {
public:
    InstanceSlot();
    ~InstanceSlot();

    int number() const { return m_number; }

private:
    std::unique_ptr<QLockFile> m_lock;  // null when no slot could be had: number 0
    int m_number = 0;
};

}  // namespace vexohost

#endif  // HOST_WINDOWS_WINDOWPLACEMENT_H_
