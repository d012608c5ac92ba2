#include "host/app/mainwindow.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "host/session/hostclasses.h"

namespace vexohost {

MainWindow::MainWindow(QWidget* parent) : QWidget(parent) {
    setWindowTitle(QString::fromLatin1(kHostTitle));
    auto* column = new QVBoxLayout(this);
    m_name = new QLabel(this);
    m_name->setTextFormat(Qt::PlainText);
    QFont bold = m_name->font();
    bold.setBold(true);
    m_name->setFont(bold);
    m_status = new QLabel(tr("Starting"), this);
    m_status->setTextFormat(Qt::PlainText);
    m_status->setWordWrap(true);
    column->addWidget(m_name);
    column->addWidget(m_status);

    auto* buttons = new QHBoxLayout;
    auto add = [&](const QString& text, void (MainWindow::*signal)()) {
        auto* button = new QPushButton(text, this);
        buttons->addWidget(button);
        connect(button, &QPushButton::clicked, this, signal);
    };
    add(tr("Configure…"), &MainWindow::configureRequested);
    add(tr("Show display"), &MainWindow::showDisplayRequested);
    add(tr("Faders"), &MainWindow::fadersRequested);
    add(tr("Quit"), &MainWindow::quitRequested);
    column->addLayout(buttons);
}

void MainWindow::setPluginName(const QString& name, const QString& description) {
    m_name->setText(description.isEmpty() ? name : name + QStringLiteral(" — ") + description);
}

void MainWindow::setStatus(const QString& status) {
    m_status->setText(status);
}

QString MainWindow::status() const {
    return m_status->text();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    Q_EMIT quitRequested();
}

}  // namespace vexohost
