#ifndef HOST_APP_MAINWINDOW_H_
#define HOST_APP_MAINWINDOW_H_

#include <QWidget>

class QLabel;

namespace vexohost {

// The host's small main window: the plug-in's name and status, and the
// commands a user has: configure the plug-in, show its display, faders, quit.
class MainWindow : public QWidget {
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);

    void setPluginName(const QString& name, const QString& description);
    void setStatus(const QString& status);
    QString status() const;

Q_SIGNALS:
    void configureRequested();
    void showDisplayRequested();
    void fadersRequested();
    void quitRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* m_name = nullptr;  // owned through Qt parents
    QLabel* m_status = nullptr;
};

}  // namespace vexohost

#endif  // HOST_APP_MAINWINDOW_H_
