// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/windows/windowplacement.h"

#include <unistd.h>

#include <QDir>
#include <algorithm>

namespace vexohost {
namespace {

constexpr int kGap = 8;       // between two windows placed together
constexpr int kCascade = 32;  // each instance's step down and right
constexpr int kSlots = 16;    // instances placed apart; more stand as the first

// The top left corner of a group of `size` centred in `screen`, kept inside it.
QPoint centred(const QRect& screen, const QSize& size) {
    return {screen.left() + std::max(0, (screen.width() - size.width()) / 2),
            screen.top() + std::max(0, (screen.height() - size.height()) / 2)};
}

}  // namespace

WindowPlaces placeWindows(const QRect& screen, const QSize& mainFrame, const QSize& displayFrame) {
    const QSize beside(mainFrame.width() + kGap + displayFrame.width(),
                       std::max(mainFrame.height(), displayFrame.height()));
    if (beside.width() <= screen.width() && beside.height() <= screen.height()) {
        const QPoint at = centred(screen, beside);
        return {at, at + QPoint(mainFrame.width() + kGap, 0)};
    }
    const QSize above(std::max(mainFrame.width(), displayFrame.width()),
                      mainFrame.height() + kGap + displayFrame.height());
    if (above.width() <= screen.width() && above.height() <= screen.height()) {
        // The display above, where the eye goes first; the controls below it.
        const QPoint at = centred(screen, above);
        return {at + QPoint((above.width() - mainFrame.width()) / 2, displayFrame.height() + kGap),
                at + QPoint((above.width() - displayFrame.width()) / 2, 0)};
    }
    // No room for both: the display at the top, its balloons seen, and the
    // controls at the bottom of the screen, over its baskets if they must be.
    const QPoint display(screen.left() + std::max(0, (screen.width() - displayFrame.width()) / 2),
                         screen.top());
    const QPoint main(screen.left() + std::max(0, (screen.width() - mainFrame.width()) / 2),
                      std::max(screen.top(), screen.bottom() + 1 - mainFrame.height()));
    return {main, display};
}

QPoint cascaded(const QPoint& at, int instance, const QRect& screen, const QSize& frame) {
    // Down and right, or where there is no room for that, down and left or up.
    const QPoint directions[] = {{1, 1}, {-1, 1}, {1, -1}, {-1, -1}};
    for (const QPoint& direction : directions) {
        const QPoint moved = at + direction * (kCascade * instance);
        if (screen.contains(QRect(moved, frame))) return moved;
    }
    // Too many to fit: round again in the direction with the most room.
    int most = 0;
    QPoint towards(1, 1);
    for (const QPoint& direction : directions) {
        const int across =
            direction.x() > 0 ? screen.right() + 1 - frame.width() - at.x() : at.x() - screen.left();
        const int down =
            direction.y() > 0 ? screen.bottom() + 1 - frame.height() - at.y() : at.y() - screen.top();
        if (const int steps = std::min(across, down) / kCascade; steps > most) {
            most = steps;
            towards = direction;
        }
    }
    return at + towards * (kCascade * (instance % (most + 1)));
}

InstanceSlot::InstanceSlot() {
    QString folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::tempPath();
    for (int n = 0; n < kSlots; ++n) {
        auto lock = std::make_unique<QLockFile>(
            QStringLiteral("%1/vexo-host-%2-window-%3.lock").arg(folder).arg(getuid()).arg(n));
        lock->setStaleLockTime(0);  // held for as long as the process lives
        if (!lock->tryLock(0)) continue;
        m_lock = std::move(lock);
        m_number = n;
        return;
    }
}

InstanceSlot::~InstanceSlot() = default;

}  // namespace vexohost
