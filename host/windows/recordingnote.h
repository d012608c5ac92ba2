// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_WINDOWS_RECORDINGNOTE_H_
#define HOST_WINDOWS_RECORDINGNOTE_H_

#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>

namespace vexohost {

// Says that a recording runs, beside its Stop button: "● film.gif 1:05", the
// file's name (its whole path in the tool tip) and the time since it began,
// once a second. Hidden while nothing is recorded. Owned by the main window.
// GUI thread.
class RecordingNote : public QLabel {
    Q_OBJECT

public:
    explicit RecordingNote(QWidget* parent = nullptr);

    void start(const QString& path);
    void stop();

private:
    void tick();

    QString m_name;
    QElapsedTimer m_since;
    QTimer m_timer;
};

}  // namespace vexohost

#endif  // HOST_WINDOWS_RECORDINGNOTE_H_
