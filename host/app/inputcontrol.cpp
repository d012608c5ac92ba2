// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/app/inputcontrol.h"

#include <unistd.h>

#include <QFileInfo>
#include <QMessageBox>
#include <algorithm>
#include <limits>

#include "host/app/exitstatus.h"
#include "host/app/liveinput.h"
#include "host/app/pluginfeed.h"
#include "host/app/showopening.h"
#include "host/files/console.h"
#include "host/input/showfile.h"
#include "host/input/showplayer.h"
#include "host/input/universe.h"
#include "host/outputs/runoutputs.h"
#include "host/windows/channeltimeline.h"
#include "host/windows/mainwindow.h"
#include "host/windows/statustext.h"

namespace vexohost {
namespace {

// The main window follows the input this often.
constexpr int kViewMs = 250;

}  // namespace

InputControl::InputControl(PluginFeed& feed, RunOutputs& outputs, ChannelTimeline& timeline,
                           InputChoice choice, PlayRules rules, QObject* parent)
    : QObject(parent),
      m_feed(feed),
      m_outputs(outputs),
      m_timeline(timeline),
      m_choice(std::move(choice)),
      m_rules(rules) {
    m_showName =
        m_choice.kind == InputKind::Demo ? QStringLiteral("demo") : QFileInfo(m_choice.showFile).fileName();
    m_viewTimer.setInterval(kViewMs);
    connect(&m_viewTimer, &QTimer::timeout, this, &InputControl::updateView);
    m_durationTimer.setSingleShot(true);
    connect(&m_durationTimer, &QTimer::timeout, this, &InputControl::ended);
}

InputControl::~InputControl() = default;

void InputControl::setView(MainWindow* view) {
    m_view = view;
    if (!m_view) return m_viewTimer.stop();
    m_view->setBase(m_choice.base);
    m_view->setSpeed(m_choice.speed);
    m_view->setInputName(inputName());
    m_viewTimer.start();
}

int InputControl::base() const {
    return m_choice.kind == InputKind::Demo && m_choice.baseRemembered ? 1 : m_choice.base;
}

int InputControl::start() {
    int status = kExitOk;
    switch (m_choice.kind) {
        case InputKind::Demo:
        case InputKind::Play:
            return startShow();
        case InputKind::Stdin:
            status = startStdin();
            break;
        case InputKind::Faders:
            m_timeline.liveStarted(base());
            break;
        case InputKind::Ola:
            status = startOla();
            break;
    }
    if (status != kExitOk) return status;
    // A live input runs until it ends or the duration is over.
    if (m_rules.durationSeconds)
        m_durationTimer.start(int(std::min(*m_rules.durationSeconds * 1000.0, 2.0e9)));
    return kExitOk;
}

void InputControl::finish() {
    m_viewTimer.stop();
    if (m_player) m_player->stop();
    if (m_live) m_live->finish();
    // Lines a stream skipped are lost moments: the run says so, and its status too.
    if (m_skippedLines > 0) {
        printError(QStringLiteral("%1 malformed line%2 skipped")
                       .arg(m_skippedLines)
                       .arg(m_skippedLines == 1 ? " was" : "s were"));
        if (m_status == kExitOk) m_status = kExitShowFile;
    }
}

int InputControl::startShow() {
    int status = kExitOk;
    std::unique_ptr<ShowSource> source = openFirstShow(
        m_choice, &status,
        m_choice.kind == InputKind::Play ? m_timeline.overviewSink(m_choice.fromMs, m_choice.toMs, base())
                                         : ShowFile::CheckSink());
    if (!source) return status;
    // A recording is made of the show the run started with, as it was asked for.
    if (m_outputs.wantsRecording() &&
        !m_outputs.startRecording(m_outputs.requestedRecordPath(), RunOutputs::Timing::ShowTime))
        return kExitFailure;
    return play(std::move(source));
}

// Standard input plays as it comes, its times counted from its first line.
int InputControl::startStdin() {
    std::unique_ptr<ShowFile> input = ShowFile::stream(STDIN_FILENO, "<stdin>", {});
    const ShowFile* stream = input.get();
    const int status = play(std::move(input));
    m_stream = stream;
    return status;
}

int InputControl::play(std::unique_ptr<ShowSource> source) {
    const bool stream = !source->canRestart();
    m_player = std::make_unique<ShowPlayer>(
        std::move(source),
        playerOptions(m_choice, m_rules, m_outputs.wantsRecording(), m_outputs.recordsShowTime()));
    if (stream)
        m_timeline.streamStarted(base());
    else
        m_timeline.showStarted(
            {m_choice.kind == InputKind::Demo ? QString() : m_choice.showFile, m_choice.universe},
            m_choice.fromMs, m_player->passLengthMs().value_or(0), m_player->canSeek(), base());
    connect(m_player.get(), &ShowPlayer::messageDue, this, &InputControl::deliver);
    // A skipped line is a failure of the run, said and counted as the others.
    connect(m_player.get(), &ShowPlayer::lineError, this, [this](const QString& text) {
        m_feed.reportFailure(text);
        ++m_skippedLines;
    });
    connect(m_player.get(), &ShowPlayer::failed, this, [this](const QString& text) {
        printError(text);
        m_inputError = text;
        m_status = kExitShowFile;
    });
    if (m_outputs.recordsShowTime())
        connect(m_player.get(), &ShowPlayer::frameDue, this, &InputControl::captureFrame);
    connect(
        m_player.get(), &ShowPlayer::finished, this,
        [this] {
            updateControls();
            updateView();
            Q_EMIT ended();
        },
        Qt::QueuedConnection);
    m_player->start();
    updateControls();
    return kExitOk;
}

int InputControl::startOla() {
    m_live = std::make_unique<LiveInput>(m_choice.olaHost, m_choice.olaPort, m_rules.noDataAfterMs);
    connect(m_live.get(), &LiveInput::messageDue, this, &InputControl::deliver);
    connect(m_live.get(), &LiveInput::statusChanged, this, &InputControl::updateView);
    connect(m_live.get(), &LiveInput::staleChanged, this, &InputControl::staleChanged);
    m_timeline.liveStarted(base());
    if (!m_live->start(m_choice.universe.value_or(1))) return kExitUsage;
    updateControls();
    return kExitOk;
}

bool InputControl::isStale() const {
    return m_live && m_live->isStale();
}

void InputControl::deliver(const HostMessage& message) {
    m_outputs.keep(message);
    const int shift = base() - 1;
    if (message.msg != vexo::kMsgChannelValue) return m_feed.send(message);
    if (shift == 0) {
        m_feed.send(message);
        return track(message.arg1, message.arg2);
    }
    // Input channel `base` arrives as channel 1.
    const int64_t channel = int64_t(message.arg1) - shift;
    if (channel < std::numeric_limits<int32_t>::min()) return;
    m_feed.send(HostMessage::channelValue(int32_t(channel), message.arg2));
    track(int32_t(channel), message.arg2);
}

// A value of the nine channels, into the timeline: a show's on its played
// time (show time until it seeks or loops), a live input's on the wall clock.
void InputControl::track(int32_t channel, int32_t value) {
    if (channel < 1 || channel > SentValues::kChannels) return;
    if (m_player)
        m_timeline.take(m_player->fromMs() + m_player->playedMs(), channel, value);
    else
        m_timeline.takeLive(channel, value);
}

void InputControl::captureFrame(qint64 /*playedMs*/, qint64 lengthMs) {
    const std::optional<int64_t> total = m_rules.durationSeconds
                                             ? std::optional<int64_t>(*m_rules.durationSeconds * 1000)
                                             : m_player->passLengthMs();
    m_outputs.addFrame(lengthMs, m_player->playedMs(), total);
}

void InputControl::stop() {
    if (m_player) {
        disconnect(m_player.get(), nullptr, this, nullptr);
        m_player->stop();
        m_stream = nullptr;
        m_player.reset();
    }
    if (m_live) {
        const bool stale = m_live->isStale();
        disconnect(m_live.get(), nullptr, this, nullptr);
        m_live.reset();
        if (stale) Q_EMIT staleChanged(false);
    }
    m_inputError.clear();
    m_feed.clearChannels();
}

bool InputControl::playsShow() const {
    return m_player && m_choice.kind != InputKind::Stdin;
}

// ---- Status and controls ----

QString InputControl::statusText() const {
    if (!m_inputError.isEmpty()) return m_inputError;
    switch (m_choice.kind) {
        case InputKind::Demo:
        case InputKind::Play: {
            if (!m_player) return {};
            const QString status = showStatus(showState(*m_player, m_showName));
            if (base() == m_choice.base) return status;
            return status +
                   tr(" · the demo plays at base 1; base %1 is for the other inputs").arg(m_choice.base);
        }
        case InputKind::Stdin:
            return standardInputStatus(m_stream ? m_stream->linesRead() : 0,
                                       !m_player || !m_player->isRunning());
        case InputKind::Faders:
            return tr("faders: channels %1 to %2").arg(base()).arg(base() + SentValues::kChannels - 1) +
                   frozenNote();
        case InputKind::Ola:
            return m_live ? m_live->statusText() + frozenNote() : QString();
    }
    return {};
}

QString InputControl::frozenNote() const {
    return m_timeline.isFrozen() ? tr(" · timeline stands still (Space)") : QString();
}

QString InputControl::inputName() const {
    switch (m_choice.kind) {
        case InputKind::Demo:
        case InputKind::Play:
            return m_showName;
        case InputKind::Stdin:
            return tr("standard input");
        case InputKind::Faders:
            return tr("faders");
        case InputKind::Ola:
            return tr("universe %1").arg(m_live ? m_live->universe() : m_choice.universe.value_or(1));
    }
    return {};
}

void InputControl::updateView() {
    if (m_live) {
        m_live->sample();
        // Where no frame came is a gap in the timeline, once it is known to be silence.
        m_timeline.setLiveSilence(m_live->silenceMs());
    }
    if (m_player) m_timeline.setPlayhead(m_player->showTimeMs());
    if (!m_view) return;
    m_view->setInputName(inputName());
    m_view->setStatus(statusText());
    m_view->setFailures(failureStatus(m_feed.failuresReported(), m_feed.lastFailure()));
    if (!playsShow()) return;
    m_view->setPosition(m_player->showTimeMs() - m_player->fromMs());
    m_view->setPlaying(m_player->isRunning() && !m_player->isPaused());
}

void InputControl::updateControls() {
    if (!m_view) return;
    const bool show = playsShow();
    // A recording is made of the show as it was asked for.
    const bool recorded = m_outputs.recordsShowTime();
    const bool seekable = show && m_player->canSeek() && !recorded;
    m_view->setShowControls(show && !recorded, seekable, seekable ? m_player->passLengthMs().value_or(0) : 0);
    if (show) m_view->setLoop(m_player->loops());
    if (m_live) m_view->setLive(m_live->universe(), m_live->server(), m_live->isRunning());
}

// ---- What the main window asks for ----

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
    if (!playsShow()) return;
    if (!m_player->isRunning()) {
        // After its end a show plays again from its start.
        if (!m_player->canSeek()) return;
        m_inputError.clear();
        m_feed.clearChannels();
        m_player->start();
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
        m_player->start();
    }
    // Channels the show has not set by then are unlit, as at its start.
    m_feed.clearChannels();
    m_player->seek(m_player->fromMs() + std::max<int64_t>(0, showMs));
    updateView();
}

void InputControl::step(qint64 deltaMs) {
    if (m_player) seek(m_player->showTimeMs() - m_player->fromMs() + deltaMs);
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
        m_feed.clearChannels();
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
