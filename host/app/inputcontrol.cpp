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
      m_router(feed, outputs, timeline),
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
    // The receiver's stop at the end of the run is no silence of the universe.
    if (m_live) {
        disconnect(m_live.get(), nullptr, this, nullptr);
        m_live->finish();
    }
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
    // Each pass starts as the part does: what its first moments do not set is unlit.
    connect(m_player.get(), &ShowPlayer::passStarting, this, &InputControl::resetChannels);
    startPlayer();
    updateControls();
    return kExitOk;
}

int InputControl::startOla() {
    m_live = std::make_unique<LiveInput>(m_choice.olaHost, m_choice.olaPort, m_rules.noDataAfterMs);
    connect(m_live.get(), &LiveInput::frameTaken, this,
            [this](const DmxFrame& frame) { m_router.keepFrame(m_live->universe(), frame); });
    connect(m_live.get(), &LiveInput::changesDue, this,
            [this](const ChannelChanges& changes) { m_router.sendAll(changes, base()); });
    connect(m_live.get(), &LiveInput::statusChanged, this, &InputControl::updateView);
    connect(m_live.get(), &LiveInput::staleChanged, this, &InputControl::staleChanged);
    // A silence is a gap in the timeline from its last frame, however short it is.
    connect(m_live.get(), &LiveInput::staleChanged, this,
            [this](bool stale) { m_timeline.setLiveSilence(stale ? m_live->silenceMs() : 0); });
    m_timeline.liveStarted(base());
    if (!m_live->start(m_choice.universe.value_or(1))) return kExitUsage;
    updateControls();
    return kExitOk;
}

bool InputControl::isStale() const {
    return m_live && m_live->isStale();
}

void InputControl::deliver(const HostMessage& message) {
    if (message.msg != vexo::kMsgChannelValue) return m_feed.send(message);
    m_router.send(message.arg1, message.arg2, base());
}

void InputControl::sendFader(const HostMessage& message) {
    m_router.send(int64_t(message.arg1) + base() - 1, message.arg2, base());
    // A show's lanes are the show's: what a fader set is marked on them.
    if (playsShow()) m_timeline.mark(m_player->showTimeMs(), message.arg1, message.arg2);
}

void InputControl::resetChannels() {
    m_router.reset(base());
}

void InputControl::startPlayer() {
    m_router.playerStarts(m_player.get());
    m_player->start();
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
        m_router.playerGone();
        m_player.reset();
    }
    if (m_live) {
        const bool stale = m_live->isStale();
        disconnect(m_live.get(), nullptr, this, nullptr);
        m_live.reset();
        if (stale) Q_EMIT staleChanged(false);
    }
    m_inputError.clear();
    resetChannels();
    m_feed.forgetValues();
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
        m_timeline.setLiveSilence(m_live->silenceMs(), !m_live->reachesOlad());
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
    m_view->setLiveTrace(!m_player);
    if (show) m_view->setLoop(m_player->loops());
    if (m_live) m_view->setLive(m_live->universe(), m_live->server(), m_live->isRunning());
}

}  // namespace vexohost
