// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_WINDOWS_DISPLAYWATCH_H_
#define HOST_WINDOWS_DISPLAYWATCH_H_

#include <QObject>
#include <QPointer>

class QWidget;

namespace vexohost {

// Notices when the plug-in's display window may have been reloaded. The
// plug-in starts a reloaded display unlit, as designed: closing the window
// unloads it, and showing it again, or the next channel message, loads it
// afresh. A console re-sends every channel many times a second; faders, a
// paused show and standard input do not. So once the window has been hidden
// or closed, the host sends the last values again: when it is shown, or
// right after the next message has loaded it. A hide that was no unload only
// costs nine messages with values the window already shows. GUI thread.
class DisplayWatch : public QObject {
    Q_OBJECT

public:
    explicit DisplayWatch(QObject* parent = nullptr) : QObject(parent) {}

    // display: the tool window's widget, owned by the plug-in's form; may be null.
    void watch(QWidget* display);
    // Hidden or closed since the last values were sent again.
    bool stale() const { return m_stale; }
    void refreshed() { m_stale = false; }

Q_SIGNALS:
    // The window is on the screen again after it was hidden or closed.
    void shownAgain();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_display;
    bool m_stale = false;
};

}  // namespace vexohost

#endif  // HOST_WINDOWS_DISPLAYWATCH_H_
