// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/windows/livechooser.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>
#include <limits>

namespace vexohost {

LiveChooser::LiveChooser(QWidget* parent) : QWidget(parent) {
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    m_universe = new QSpinBox(this);
    m_universe->setRange(0, std::numeric_limits<int>::max());
    m_universe->setValue(1);
    m_universe->setAccessibleName(tr("Universe"));
    m_server = new QLineEdit(QStringLiteral("127.0.0.1:9010"), this);
    m_server->setAccessibleName(tr("olad address"));
    m_server->setToolTip(tr("Where olad listens: an IPv4 address or localhost, and its port"));
    m_server->setMinimumWidth(
        m_server->fontMetrics().horizontalAdvance(QStringLiteral("255.255.255.255:65535")));
    m_connect = new QPushButton(tr("Connect"), this);
    m_connect->setAutoDefault(true);
    auto* universeLabel = new QLabel(tr("Universe"), this);
    universeLabel->setBuddy(m_universe);
    auto* serverLabel = new QLabel(tr("from olad at"), this);
    serverLabel->setBuddy(m_server);
    row->addWidget(universeLabel);
    row->addWidget(m_universe);
    row->addWidget(serverLabel);
    row->addWidget(m_server, 1);
    row->addWidget(m_connect);
    connect(m_server, &QLineEdit::returnPressed, m_connect, &QPushButton::click);
    connect(m_connect, &QPushButton::clicked, this, [this] {
        if (m_connected)
            Q_EMIT disconnectRequested();
        else
            Q_EMIT connectRequested(unsigned(m_universe->value()), m_server->text().trimmed());
    });
}

void LiveChooser::setLive(unsigned universe, const QString& server, bool connected) {
    m_connected = connected;
    m_universe->setValue(int(std::min<unsigned>(universe, unsigned(std::numeric_limits<int>::max()))));
    if (!server.isEmpty()) m_server->setText(server);
    m_connect->setText(connected ? tr("Disconnect") : tr("Connect"));
    m_universe->setEnabled(!connected);
    m_server->setEnabled(!connected);
}

}  // namespace vexohost
