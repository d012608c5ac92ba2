// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_WINDOWS_LIVECHOOSER_H_
#define HOST_WINDOWS_LIVECHOOSER_H_

#include <QWidget>

class QLineEdit;
class QPushButton;
class QSpinBox;

namespace vexohost {

// The main window's chooser of a live universe: "Universe N from olad at
// HOST:PORT" and Connect, which is Disconnect while one is connected (Return
// in the address connects). A view: it says what the user asked for and
// shows what it is told. Owned by the main window. GUI thread.
class LiveChooser : public QWidget {
    Q_OBJECT

public:
    explicit LiveChooser(QWidget* parent = nullptr);

    // What it shows, and whether a universe is connected.
    void setLive(unsigned universe, const QString& server, bool connected);

Q_SIGNALS:
    void connectRequested(unsigned universe, const QString& server);
    void disconnectRequested();

private:
    QSpinBox* m_universe = nullptr;  // this and the rest: owned through Qt parents
    QLineEdit* m_server = nullptr;
    QPushButton* m_connect = nullptr;
    bool m_connected = false;
};

}  // namespace vexohost

#endif  // HOST_WINDOWS_LIVECHOOSER_H_
