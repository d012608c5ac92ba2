#include "host/app/hostapp.h"

#include <unistd.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>

#include "host/app/console.h"
#include "host/app/faderwindow.h"
#include "host/app/mainwindow.h"
#include "host/app/snapshot.h"
#include "host/app/statustext.h"
#include "host/input/demoshow.h"
#include "host/input/memoryshow.h"
#include "host/input/olareceiver.h"
#include "host/input/showfile.h"
#include "host/input/showplayer.h"
#include "host/session/moduleinfotext.h"
#include "host/session/versioninfo.h"
#include "platform/forms/formwindow.h"

namespace vexohost {
namespace {

// The default plug-in: beside the host program in a build, or in the
// library folder of an installation.
QString defaultPluginPath() {
    const QString dir = QCoreApplication::applicationDirPath();
    const QString candidates[] = {dir + QStringLiteral("/Nimbolux.so"),
                                  dir + QStringLiteral("/../" NIMBO_PRIVATE_LIBDIR "/Nimbolux.so")};
    for (const QString& path : candidates)
        if (QFileInfo::exists(path)) return QDir::cleanPath(path);
    return QDir::cleanPath(candidates[0]);
}

QString absolute(const QString& path) {
    return QFileInfo(path).absoluteFilePath();
}

// The main window's status line follows the input this often.
constexpr int kStatusMs = 250;

}  // namespace

HostApp::HostApp(HostOptions options, QObject* parent) : QObject(parent), m_options(std::move(options)) {
    if (m_options.headless) {
        // Headless the demo runs once and leaves a picture and a film of it.
        m_options.demoLoops = false;
        const bool show = m_options.input == InputKind::Demo || m_options.input == InputKind::Play;
        if (m_options.input == InputKind::Demo && m_options.snapshotPath.isEmpty() &&
            m_options.recordPath.isEmpty()) {
            m_options.snapshotPath = QStringLiteral("nimbos.png");
            m_options.recordPath = QStringLiteral("nimbos.gif");
        }
        // Nobody watches a headless show: what it writes is the same at
        // full speed (frames fall on show time), so nobody waits for it.
        const bool writes = !m_options.snapshotPath.isEmpty() || !m_options.recordPath.isEmpty();
        if (show && writes && !m_options.speedGiven) m_options.fast = true;
    }
    if (m_options.resetSettings) HostSettings::reset();
    if (!m_options.headless) applySettings();
    m_showName = m_options.input == InputKind::Demo ? QStringLiteral("demo")
                                                    : QFileInfo(m_options.showFile).fileName();
    m_statusTimer.setInterval(kStatusMs);
    connect(&m_statusTimer, &QTimer::timeout, this, &HostApp::updateWindow);
    m_clock.start();
}

// What a window remembered, for what the command line leaves open. What the
// command line gives holds for this run and is not remembered.
void HostApp::applySettings() {
    m_settings = HostSettings::load();
    if (!m_options.baseGiven && m_settings.base) m_options.base = *m_settings.base;
    // A looped show never ends, and a recording must.
    if (!m_options.loopGiven && m_settings.loop && m_options.input == InputKind::Play &&
        m_options.recordPath.isEmpty())
        m_options.loop = *m_settings.loop;
}

void HostApp::saveSettings() {
    if (!m_mainWindow) return;
    m_settings.mainWindowGeometry = m_mainWindow->saveGeometry();
    if (m_faders) m_settings.fadersGeometry = m_faders->saveGeometry();
    if (!m_settings.save())
        printError(QStringLiteral("cannot save the settings in %1").arg(HostSettings::fileName()));
}

HostApp::~HostApp() {
    m_session.close();
}

int HostApp::start() {
    if (const int status = loadPlugin(); status != kExitOk) return status;
    for (const QString& line : moduleInfoText(m_session, m_options.info)) printLine(stdout, line);
    if (m_options.info) return kExitOk;
    // The snapshot's file is made now, beside its final name, so a folder that
    // cannot take it fails the run before the show rather than after it.
    if (!m_options.snapshotPath.isEmpty() && m_snapshotFile.open(m_options.snapshotPath) < 0) {
        printError(QStringLiteral("cannot write the snapshot: ") + m_snapshotFile.error());
        return kExitFailure;
    }
    showWindows();
    return startInput();
}

QString HostApp::pluginPath(const HostOptions& options) {
    return options.pluginPath.isEmpty() ? defaultPluginPath() : options.pluginPath;
}

int HostApp::printVersions(const HostOptions& options) {
    printLine(stdout, QStringLiteral("vexo-host %1").arg(QStringLiteral(NIMBO_VERSION)));
    const QString path = pluginPath(options);
    std::string error;
    const std::optional<VersionInfo> version = readVersionInfo(path.toStdString(), &error);
    const std::optional<std::string> number = version ? version->value("FileVersionBinary") : std::nullopt;
    if (!number) {
        printError(version ? QStringLiteral("%1: the version block has no FileVersionBinary").arg(path)
                           : QString::fromStdString(error));
        return kExitPluginMissing;
    }
    const std::string file = version->value("OriginalFilename").value_or("plug-in");
    printLine(stdout, QStringLiteral("plug-in %1 %2 (%3)")
                          .arg(QString::fromStdString(file), QString::fromStdString(*number), path));
    return kExitOk;
}

int HostApp::loadPlugin() {
    const QString path = pluginPath(m_options);
    if (!QFileInfo::exists(path)) {
        printError(QStringLiteral("plug-in file not found: %1").arg(path));
        return kExitPluginMissing;
    }
    if (!m_session.open(path)) {
        printError(m_session.error());
        return kExitPluginFailed;
    }
    if (!m_session.readModuleInfo()) {
        printError(m_session.error());
        return kExitModuleInfo;
    }
    return kExitOk;
}

void HostApp::showWindows() {
    auto configure = [this] {
        const com::HRESULT status = m_session.configure();
        if (com::FAILED(status)) reportFailure(QStringLiteral("Configure: ") + describeFailure(status));
    };
    m_displayWatch.watch(m_session.toolWidget());
    connect(&m_displayWatch, &DisplayWatch::shownAgain, this, &HostApp::sendLastValues);
    if (!m_options.headless) {
        m_mainWindow = std::make_unique<MainWindow>(m_sent);
        MainWindow* window = m_mainWindow.get();
        const ModuleDescription& m = m_session.module();
        window->setPluginName(QString::fromStdString(m.displayName), QString::fromStdString(m.description));
        window->setBase(m_options.base);
        window->setSpeed(m_options.speed);
        window->setLastShowFile(m_settings.lastShowFile);
        const bool live = m_options.input == InputKind::Ola;
        window->setLive(live ? m_options.universe.value_or(1) : m_settings.universe.value_or(1),
                        live || m_settings.olaServer.isEmpty()
                            ? QStringLiteral("%1:%2").arg(m_options.olaHost).arg(m_options.olaPort)
                            : m_settings.olaServer,
                        false);
        if (!m_settings.mainWindowGeometry.isEmpty()) window->restoreGeometry(m_settings.mainWindowGeometry);
        connect(window, &MainWindow::openRequested, this, &HostApp::openShow);
        connect(window, &MainWindow::playPauseRequested, this, &HostApp::playPause);
        connect(window, &MainWindow::seekRequested, this, &HostApp::seek);
        connect(window, &MainWindow::stepRequested, this, &HostApp::step);
        connect(window, &MainWindow::loopChanged, this, &HostApp::setLoop);
        connect(window, &MainWindow::speedChanged, this, &HostApp::setSpeed);
        connect(window, &MainWindow::connectRequested, this, &HostApp::connectLive);
        connect(window, &MainWindow::disconnectRequested, this, &HostApp::disconnectLive);
        connect(window, &MainWindow::baseChanged, this, &HostApp::setBase);
        connect(m_mainWindow.get(), &MainWindow::configureRequested, this, configure);
        connect(m_mainWindow.get(), &MainWindow::showDisplayRequested, this, [this] {
            if (auto* window = m_session.toolWindow()) window->Show();
        });
        connect(m_mainWindow.get(), &MainWindow::fadersRequested, this, [this] {
            FaderWindow& faders = faderWindow();
            faders.show();
            faders.raise();
        });
        connect(m_mainWindow.get(), &MainWindow::quitRequested, this, &HostApp::done);
        m_mainWindow->show();
        m_statusTimer.start();
    }
    // The module asks for its tool window at start; headless it is shown offscreen.
    if (m_session.module().showToolWindowAtStart && m_session.toolWindow()) {
        const com::HRESULT status = m_session.toolWindow()->Show();
        if (com::FAILED(status))
            reportFailure(QStringLiteral("showing the tool window: ") + describeFailure(status));
    }
    if (m_options.configure) configure();
}

FaderWindow& HostApp::faderWindow() {
    if (!m_faders) {
        m_faders = std::make_unique<FaderWindow>(m_sent, m_options.base,
                                                 [this] { return renderWindow(m_session.toolWidget()); });
        connect(m_faders.get(), &FaderWindow::messageDue, this, &HostApp::deliver);
        if (!m_options.headless && !m_settings.fadersGeometry.isEmpty())
            m_faders->restoreGeometry(m_settings.fadersGeometry);
    }
    return *m_faders;
}

int HostApp::startInput() {
    switch (m_options.input) {
        case InputKind::Demo:
        case InputKind::Play:
            return startShow();
        case InputKind::Stdin:
            if (const int status = startStdin(); status != kExitOk) return status;
            break;
        case InputKind::Faders: {
            FaderWindow& faders = faderWindow();
            if (!m_options.headless) faders.show();
            break;
        }
        case InputKind::Ola:
            if (const int status = startOla(); status != kExitOk) return status;
            break;
    }

    // A live input runs until it ends or the duration is over.
    if (m_options.durationSeconds) {
        m_durationTimer = new QTimer(this);
        m_durationTimer->setSingleShot(true);
        connect(m_durationTimer, &QTimer::timeout, this, &HostApp::endInput);
        m_durationTimer->start(int(std::min(*m_options.durationSeconds * 1000.0, 2.0e9)));
    }
    if (!m_options.recordPath.isEmpty())
        printError(QStringLiteral("--record needs a show (--demo or --play); ignored"));
    return kExitOk;
}

int HostApp::startShow() {
    std::unique_ptr<ShowSource> source;
    if (m_options.input == InputKind::Demo) {
        source = std::make_unique<MemoryShow>(demoShow());
    } else {
        ShowOptions showOptions;
        showOptions.universe = m_options.universe;
        ShowError error;
        std::unique_ptr<ShowFile> file =
            ShowFile::open(m_options.showFile.toStdString(), showOptions, &error);
        if (!file) {
            printError(QString::fromStdString(error.toString()));
            return kExitShowFile;
        }
        if (file->isStream() && m_options.loop) {
            printError(QStringLiteral("--loop: %1 is a pipe, which plays only once").arg(m_options.showFile));
            return kExitUsage;
        }
        if (file->format() == ShowFormat::Text && m_options.universe) {
            printError(QStringLiteral("--universe: %1 is a text show, and a text show has no universes")
                           .arg(m_options.showFile));
            return kExitUsage;
        }
        if (file->format() == ShowFormat::Recording)
            printLine(stdout, QStringLiteral("playing universe %1 of a recording").arg(*file->universe()));
        source = std::move(file);
    }
    if (const std::optional<int64_t> last = source->lastMomentMs(); last && m_options.fromMs > *last) {
        printError(QStringLiteral("--from %1 is past the end of the show (its last moment is at %2)")
                       .arg(formatShowTime(m_options.fromMs), formatShowTime(*last)));
        return kExitUsage;
    }
    return play(std::move(source));
}

// Standard input plays as it comes, its times counted from its first line.
int HostApp::startStdin() {
    std::unique_ptr<ShowFile> input = ShowFile::stream(STDIN_FILENO, "<stdin>", {});
    const ShowFile* stream = input.get();
    const int status = play(std::move(input));
    m_stream = stream;
    return status;
}

int HostApp::play(std::unique_ptr<ShowSource> source) {
    const bool live = m_options.input == InputKind::Stdin;
    PlayerOptions playerOptions;
    playerOptions.speed = m_options.speed;
    playerOptions.fast = m_options.fast;
    playerOptions.clockFromFirstMoment = live;
    playerOptions.loop = m_options.loop || (m_options.demoLoops && m_options.input == InputKind::Demo &&
                                            !m_options.durationSeconds && m_options.recordPath.isEmpty());
    // A live input's duration is wall-clock time, kept by startInput().
    if (m_options.durationSeconds && !live)
        playerOptions.durationMs = int64_t(*m_options.durationSeconds * 1000.0);
    playerOptions.fromMs = m_options.fromMs;
    playerOptions.toMs = m_options.toMs;
    if (!m_options.recordPath.isEmpty() && !live) {
        playerOptions.framesPerSecond = m_options.fps;
        QWidget* widget = m_session.toolWidget();
        if (!widget) {
            printError(QStringLiteral("the plug-in has no tool window to record"));
            return kExitFailure;
        }
        m_recorder = Recorder::forPath(m_options.recordPath);
        if (!m_recorder->open(m_options.recordPath, widget->width(), widget->height())) {
            printError(QStringLiteral("cannot record: ") + m_recorder->error());
            return kExitFailure;
        }
    }
    m_player = std::make_unique<ShowPlayer>(std::move(source), playerOptions);
    connect(m_player.get(), &ShowPlayer::messageDue, this, &HostApp::deliver);
    connect(m_player.get(), &ShowPlayer::lineError, this,
            [](const QString& text) { printLine(stderr, text); });
    connect(m_player.get(), &ShowPlayer::failed, this, [this](const QString& text) {
        printError(text);
        m_inputError = text;
        m_status = kExitShowFile;
    });
    if (m_recorder) connect(m_player.get(), &ShowPlayer::frameDue, this, &HostApp::captureFrame);
    connect(m_player.get(), &ShowPlayer::finished, this, &HostApp::endInput, Qt::QueuedConnection);
    m_player->start();
    updateControls();
    return kExitOk;
}

int HostApp::startOla() {
    m_ola = std::make_unique<OlaReceiver>();
    m_ola->setServer(m_options.olaHost, m_options.olaPort);
    connect(m_ola.get(), &OlaReceiver::messageDue, this, &HostApp::deliver);
    connect(m_ola.get(), &OlaReceiver::statusChanged, this, [this](const QString& text) {
        printLine(stdout, QStringLiteral("olad: ") + text);
        updateWindow();
    });
    m_frameRate.reset();
    if (!m_ola->start(m_options.universe.value_or(1))) {
        printError(m_ola->status());
        return kExitUsage;
    }
    updateControls();
    return kExitOk;
}

void HostApp::deliver(const HostMessage& message) {
    HostMessage sent = message;
    if (message.msg == vexo::kMsgChannelValue && m_options.base != 1) {
        // Input channel `base` arrives as channel 1.
        const int64_t shifted = int64_t(message.arg1) - m_options.base + 1;
        if (shifted < std::numeric_limits<int32_t>::min() || shifted > std::numeric_limits<int32_t>::max())
            return;
        sent.arg1 = int32_t(shifted);
    }
    send(sent);
    // The message may have loaded a display that was closed: it has every
    // other nimbo unlit, so they get their values again.
    if (m_displayWatch.stale()) sendLastValues();
}

void HostApp::send(const HostMessage& message) {
    com::HRESULT status = com::S_OK;
    if (!m_session.deliver(message.msg, message.arg1, message.arg2, &status)) {
        ++m_skipped;
        return;
    }
    ++m_passed;
    m_sent.take(message);
    if (com::SUCCEEDED(status)) return;
    ++m_failures;
    const QString what =
        message.msg == vexo::kMsgChannelValue
            ? QStringLiteral("channel %1 = %2").arg(message.arg1).arg(message.arg2)
            : QStringLiteral("message %1 (%2, %3)").arg(message.msg).arg(message.arg1).arg(message.arg2);
    reportFailure(what + QStringLiteral(": ") + describeFailure(status));
}

void HostApp::sendLastValues() {
    m_displayWatch.refreshed();
    for (int channel = 1; channel <= SentValues::kChannels; ++channel)
        if (const std::optional<int32_t> value = m_sent.value(channel))
            send(HostMessage::channelValue(channel, *value));
}

// Said on standard error, and counted in the main window at its next look.
void HostApp::reportFailure(const QString& text) {
    ++m_reported;
    m_lastFailure = text;
    m_failureReport.report(text);
}

void HostApp::captureFrame(qint64 /*playedMs*/, qint64 lengthMs) {
    if (!m_recorder) return;
    if (!m_recorder->addFrame(renderWindow(m_session.toolWidget()), lengthMs)) {
        printError(QStringLiteral("recording failed: ") + m_recorder->error());
        m_recorder.reset();
        m_status = kExitFailure;
        return;
    }
    const std::optional<int64_t> total = m_options.durationSeconds
                                             ? std::optional<int64_t>(*m_options.durationSeconds * 1000)
                                         : m_player ? m_player->passLengthMs()
                                                    : std::nullopt;
    if (m_player && total && *total > 0) m_progress.show(m_player->playedMs(), *total);
}

void HostApp::endInput() {
    if (m_ended) return;
    // A show that ends in a window leaves the windows open; headless, or with
    // outputs to write or a duration, the run is over.
    const bool over = m_options.headless || m_options.durationSeconds || !m_options.snapshotPath.isEmpty() ||
                      !m_options.recordPath.isEmpty();
    updateControls();
    updateWindow();
    if (!over) return;
    m_ended = true;
    Q_EMIT done();
}

void HostApp::writeSnapshot() {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    const QImage image = renderWindow(m_session.toolWidget());
    bool written = !image.isNull() && image.save(&buffer, "PNG");
    const int fd = m_snapshotFile.release();
    for (qsizetype done = 0; written && done < png.size();) {
        const ssize_t n = ::write(fd, png.constData() + done, size_t(png.size() - done));
        if (n < 0 && errno == EINTR) continue;
        written = n > 0;
        done += n > 0 ? n : 0;
    }
    const QString why = written ? QString() : QString::fromLocal8Bit(std::strerror(errno ? errno : EIO));
    written = ::close(fd) == 0 && written;
    if (!written || !m_snapshotFile.commit()) {
        m_snapshotFile.discard();
        printError(QStringLiteral("cannot write the snapshot %1: %2")
                       .arg(m_options.snapshotPath, why.isEmpty() ? m_snapshotFile.error() : why));
        m_status = kExitFailure;
        return;
    }
    printLine(stdout, QStringLiteral("wrote the display window to %1").arg(absolute(m_options.snapshotPath)));
}

void HostApp::interrupt(int signalNumber) {
    if (m_interrupted) return;
    m_interrupted = true;
    m_status = 128 + signalNumber;
    if (m_recorder) {
        m_progress.end();
        m_recorder->abort();
        m_recorder.reset();
        printError(QStringLiteral("interrupted; %1 not written").arg(m_options.recordPath));
    } else {
        printError(QStringLiteral("interrupted"));
    }
    m_ended = true;
    Q_EMIT done();
}

int HostApp::finish() {
    if (m_player) m_player->stop();
    // Frames that came in back to back reach the display as the latest of them.
    if (m_ola && m_ola->isRunning())
        printLine(stdout, QStringLiteral("olad: %1 frames arrived, %2 reached the display")
                              .arg(m_ola->framesArrived())
                              .arg(m_ola->framesTaken()));
    if (m_ola) m_ola->stop();
    m_failureReport.flush();
    if (m_recorder) {
        m_progress.end();
        if (m_recorder->close()) {
            printLine(stdout, QStringLiteral("wrote %1 frames to %2")
                                  .arg(m_recorder->frameCount())
                                  .arg(absolute(m_options.recordPath)));
        } else {
            printError(
                QStringLiteral("writing %1 failed: %2").arg(m_options.recordPath, m_recorder->error()));
            m_status = kExitFailure;
        }
        m_recorder.reset();
    }
    if (!m_options.snapshotPath.isEmpty() && !m_interrupted) writeSnapshot();
    saveSettings();
    m_statusTimer.stop();
    printLine(stdout, QStringLiteral("%1 messages passed to the plug-in, %2 not wanted, %3 failed")
                          .arg(m_passed)
                          .arg(m_skipped)
                          .arg(m_failures));
    m_session.close();
    return m_status;
}

// ---- The main window's input, controls and status ----

QString HostApp::statusText() const {
    if (!m_inputError.isEmpty()) return m_inputError;
    switch (m_options.input) {
        case InputKind::Demo:
        case InputKind::Play: {
            if (!m_player) return {};
            ShowState state;
            state.name = m_showName;
            state.positionMs = m_player->showTimeMs() - m_player->fromMs();
            state.lengthMs = m_player->canSeek() ? m_player->passLengthMs() : std::nullopt;
            state.looping = m_player->loops();
            state.paused = m_player->isPaused();
            state.ended = !m_player->isRunning();
            return showStatus(state);
        }
        case InputKind::Stdin:
            return standardInputStatus(m_stream ? m_stream->linesRead() : 0,
                                       !m_player || !m_player->isRunning());
        case InputKind::Faders:
            return tr("faders: channels %1 to %2")
                .arg(m_options.base)
                .arg(m_options.base + SentValues::kChannels - 1);
        case InputKind::Ola: {
            if (!m_ola) return {};
            const unsigned universe = m_ola->universe();
            if (!m_ola->isRunning()) return tr("universe %1: disconnected").arg(universe);
            if (m_ola->isReceiving()) return liveStatus(universe, m_frameRate.perSecond());
            if (m_ola->hasNoData()) return noDataStatus(universe, m_ola->msSinceFrame());
            return m_ola->status();
        }
    }
    return {};
}

void HostApp::updateWindow() {
    if (m_ola && m_ola->isRunning()) m_frameRate.sample(m_clock.elapsed(), m_ola->framesArrived());
    if (!m_mainWindow) return;
    m_mainWindow->setStatus(statusText());
    m_mainWindow->setFailures(failureStatus(m_reported, m_lastFailure));
    const bool show = m_player && m_options.input != InputKind::Stdin;
    if (show) m_mainWindow->setPosition(m_player->showTimeMs() - m_player->fromMs());
    if (show) m_mainWindow->setPlaying(m_player->isRunning() && !m_player->isPaused());
}

void HostApp::updateControls() {
    if (!m_mainWindow) return;
    const bool show = m_player && m_options.input != InputKind::Stdin;
    // A recording is made of the show as it was asked for.
    const bool seekable = show && m_player->canSeek() && !m_recorder;
    m_mainWindow->setShowControls(show && !m_recorder, seekable,
                                  seekable ? m_player->passLengthMs().value_or(0) : 0);
    if (show) m_mainWindow->setLoop(m_player->loops());
    const bool live = m_ola && m_ola->isRunning();
    if (m_ola)
        m_mainWindow->setLive(m_ola->universe(),
                              QStringLiteral("%1:%2").arg(m_ola->serverHost()).arg(m_ola->serverPort()),
                              live);
}

void HostApp::stopInput() {
    if (m_player) {
        disconnect(m_player.get(), nullptr, this, nullptr);
        m_player->stop();
        m_stream = nullptr;
        m_player.reset();
    }
    if (m_ola) {
        disconnect(m_ola.get(), nullptr, this, nullptr);
        m_ola.reset();
    }
    m_inputError.clear();
    clearChannels();
}

void HostApp::clearChannels() {
    for (int channel = 1; channel <= SentValues::kChannels; ++channel)
        if (const std::optional<int32_t> value = m_sent.value(channel); value && *value != 0)
            send(HostMessage::channelValue(channel, 0));
}

void HostApp::openShow(const QString& path) {
    if (m_recorder) {
        QMessageBox::information(
            m_mainWindow.get(), tr("Recording"),
            tr("This run records %1; another show can be opened when it is over.").arg(m_options.recordPath));
        return;
    }
    ShowOptions showOptions;
    showOptions.universe = m_options.universe;
    ShowError error;
    std::unique_ptr<ShowFile> file = ShowFile::open(path.toStdString(), showOptions, &error);
    if (!file) {
        const QString why = QString::fromStdString(error.toString());
        printError(why);
        QMessageBox box(QMessageBox::Warning, tr("Cannot play the show"), why, QMessageBox::Ok,
                        m_mainWindow.get());
        box.exec();
        return;
    }
    stopInput();
    m_options.input = InputKind::Play;
    m_options.showFile = path;
    m_options.fromMs = 0;
    m_options.toMs.reset();
    m_showName = QFileInfo(path).fileName();
    m_settings.lastShowFile = absolute(path);
    if (m_mainWindow) m_mainWindow->setLastShowFile(m_settings.lastShowFile);
    if (file->format() == ShowFormat::Recording)
        printLine(stdout, QStringLiteral("playing universe %1 of a recording").arg(*file->universe()));
    play(std::move(file));
    updateWindow();
}

void HostApp::playPause() {
    if (!m_player || m_options.input == InputKind::Stdin) return;
    if (!m_player->isRunning()) {
        // After its end a show plays again from its start.
        if (!m_player->canSeek()) return;
        m_inputError.clear();
        clearChannels();
        m_player->start();
    } else if (m_player->isPaused()) {
        m_player->resume();
    } else {
        m_player->pause();
    }
    updateControls();
    updateWindow();
}

void HostApp::seek(int64_t showMs) {
    if (!m_player || !m_player->canSeek() || m_recorder || m_options.input == InputKind::Stdin) return;
    if (!m_player->isRunning()) {
        m_inputError.clear();
        m_player->start();
    }
    // Channels the show has not set by then are unlit, as at its start.
    clearChannels();
    m_player->seek(m_player->fromMs() + std::max<int64_t>(0, showMs));
    updateWindow();
}

void HostApp::step(int64_t deltaMs) {
    if (m_player) seek(m_player->showTimeMs() - m_player->fromMs() + deltaMs);
}

void HostApp::setLoop(bool loop) {
    m_options.loop = loop;
    m_settings.loop = loop;
    if (m_player) m_player->setLoop(loop);
    updateControls();
    updateWindow();
}

void HostApp::setSpeed(double speed) {
    if (!(speed > 0)) return;
    m_options.speed = speed;
    if (m_player) m_player->setSpeed(speed);
}

void HostApp::connectLive(unsigned universe, const QString& server) {
    QString host;
    quint16 port = 0;
    if (!parseOlaServer(server, &host, &port)) {
        QMessageBox box(QMessageBox::Warning, tr("olad address"),
                        tr("'%1' is not HOST:PORT (an IPv4 address or localhost, and a port)").arg(server),
                        QMessageBox::Ok, m_mainWindow.get());
        box.exec();
        return;
    }
    stopInput();
    m_options.input = InputKind::Ola;
    m_options.universe = universe;
    m_options.olaHost = host;
    m_options.olaPort = port;
    m_settings.universe = universe;
    m_settings.olaServer = server;
    startOla();
    updateControls();
    updateWindow();
}

void HostApp::disconnectLive() {
    if (!m_ola) return;
    m_ola->stop();
    updateControls();
    updateWindow();
}

void HostApp::setBase(int base) {
    if (base < 1 || base > 512 || base == m_options.base) return;
    m_options.base = base;
    m_settings.base = base;
    if (m_faders) {
        const bool shown = m_faders->isVisible();
        if (!m_options.headless) m_settings.fadersGeometry = m_faders->saveGeometry();
        m_faders.reset();
        if (shown) faderWindow().show();
    }
    // The nimbos show the channels from the new base on at once.
    if (m_ola && m_ola->isRunning()) {
        clearChannels();
        for (int channel = base; channel < base + SentValues::kChannels && channel <= 512; ++channel)
            if (const int value = m_ola->value(channel); value >= 0)
                deliver(HostMessage::channelValue(channel, value));
    } else if (m_player && m_player->canSeek() && m_options.input != InputKind::Stdin && !m_recorder) {
        // Where the show stands, or where it ended.
        seek(m_player->showTimeMs() - m_player->fromMs());
    }
    updateWindow();
}

}  // namespace vexohost
