// SPDX-License-Identifier: GPL-3.0-or-later
// InputControl: what the main window asks of the input.
#include <QFileInfo>
#include <QMessageBox>
#include <algorithm>

#include "host/app/exitstatus.h"
#include "host/app/inputcontrol.h"
#include "host/app/liveinput.h"
#include "host/app/pluginfeed.h"
#include "host/app/showopening.h"
#include "host/input/showfile.h"
#include "host/input/showplayer.h"
#include "host/input/universe.h"
#include "host/outputs/runoutputs.h"
#include "host/windows/channeltimeline.h"
#include "host/windows/mainwindow.h"

namespace vexohost {

void InputControl::openShow(const QString& path) {
    if (m_outputs.recordsShowTime()) {
        QMessageBox::information(m_view, tr("Recording"),
                                 tr("This run records %1; another show can be opened when it is over.")
                                     .arg(m_outputs.recordPath()));
        return;
    }
    int status = kExitOk;
    QString why;
    std::unique_ptr<ShowFile> file = openShowFile(path, m_choice.universe, &status, &why,
                                                  m_timeline.overviewSink(0, std::nullopt, m_choice.base));
    if (!file) {
        QMessageBox box(QMessageBox::Warning, tr("Cannot play the show"), why, QMessageBox::Ok, m_view);
        box.exec();
        return;
    }
    stop();
    m_choice.kind = InputKind::Play;
    m_choice.showFile = path;
    m_choice.fromMs = 0;
    m_choice.toMs.reset();
    m_showName = QFileInfo(path).fileName();
    play(std::move(file));
    updateView();
    Q_EMIT showOpened(QFileInfo(path).absoluteFilePath());
}

void InputControl::playPause() {
    // A live input cannot pause: its timeline stands still while the nimbos go on.
    if (!m_player) {
        m_timeline.setFrozen(!m_timeline.isFrozen());
        return updateView();
    }
    if (!playsShow() || m_outputs.recordsShowTime()) return;
    // Paused at its end (a seek took it there), a show plays again from its
    // start, as after it ended by itself.
    const std::optional<int64_t> length = m_player->passLengthMs();
    if (m_player->isRunning() && m_player->isPaused() && !m_player->loops() && length &&
        m_player->showTimeMs() >= m_player->fromMs() + *length) {
        seek(0);
        m_player->resume();
    } else if (!m_player->isRunning()) {
        // After its end a show plays again from its start.
        if (!m_player->canSeek()) return;
        m_inputError.clear();
        resetChannels();
        startPlayer();
    } else if (m_player->isPaused()) {
        m_player->resume();
    } else {
        m_player->pause();
    }
    updateControls();
    updateView();
}

void InputControl::seek(qint64 showMs) {
    if (!playsShow() || !m_player->canSeek() || m_outputs.recordsShowTime()) return;
    if (!m_player->isRunning()) {
        m_inputError.clear();
        startPlayer();
    }
    // Channels the show has not set by then are unlit, as at its start, and
    // the values have a row for the state the seek reached.
    resetChannels();
    m_player->seek(m_player->fromMs() + std::max<int64_t>(0, showMs));
    m_router.markMoment();
    updateView();
}

void InputControl::step(qint64 deltaMs) {
    if (m_player) seek(m_player->showTimeMs() - m_player->fromMs() + deltaMs);
}

void InputControl::jumpToChange(bool forward) {
    if (!playsShow() || !m_player->canSeek()) return;
    if (const std::optional<int64_t> at = m_timeline.changeNear(m_player->showTimeMs(), forward))
        seek(*at - m_player->fromMs());
}

void InputControl::setLoop(bool loop) {
    m_choice.loop = loop;
    m_choice.loopGiven = true;
    if (m_player) m_player->setLoop(loop);
    updateControls();
    updateView();
    Q_EMIT loopChanged(loop);
}

void InputControl::setSpeed(double speed) {
    if (!(speed > 0)) return;
    m_choice.speed = speed;
    if (m_player) m_player->setSpeed(speed);
}

void InputControl::connectLive(unsigned universe, const QString& server) {
    QString host;
    quint16 port = 0;
    if (!parseOlaServer(server, &host, &port)) {
        QMessageBox box(QMessageBox::Warning, tr("olad address"),
                        tr("'%1' is not HOST:PORT (an IPv4 address or localhost, and a port)").arg(server),
                        QMessageBox::Ok, m_view);
        box.exec();
        return;
    }
    stop();
    m_choice.kind = InputKind::Ola;
    m_choice.universe = universe;
    m_choice.olaHost = host;
    m_choice.olaPort = port;
    startOla();
    updateControls();
    updateView();
    Q_EMIT liveConnected(universe, server);
}

void InputControl::disconnectLive() {
    if (!m_live) return;
    m_live->stop();
    updateControls();
    updateView();
}

void InputControl::setBase(int base) {
    if (base < 1 || base > kUniverseSize || (base == m_choice.base && base == this->base())) return;
    m_choice.base = base;
    m_choice.baseRemembered = false;
    m_timeline.setBase(base);
    Q_EMIT baseChanged(base);
    // The nimbos show the channels from the new base on at once.
    if (m_live && m_live->isRunning()) {
        resetChannels();
        for (int channel = base; channel < base + SentValues::kChannels && channel <= kUniverseSize;
             ++channel)
            if (const int value = m_live->value(channel); value >= 0)
                deliver(HostMessage::channelValue(channel, value));
    } else if (playsShow() && m_player->canSeek() && !m_outputs.recordsShowTime()) {
        // Where the show stands, or where it ended.
        seek(m_player->showTimeMs() - m_player->fromMs());
    }
    updateView();
}

}  // namespace vexohost
