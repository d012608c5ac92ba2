// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/app/hostapp.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QScreen>

#include "host/app/pluginfile.h"
#include "host/files/console.h"
#include "host/outputs/clockrecording.h"
#include "host/outputs/snapshot.h"
#include "host/session/moduleinfotext.h"
#include "host/windows/faderwindow.h"
#include "host/windows/mainwindow.h"
#include "host/windows/windowplacement.h"
#include "platform/forms/formwindow.h"

namespace vexohost {
namespace {

// A plain start in a window (no input on the command line) takes up the
// input choices of the last run in a window; a run that names its input
// takes nothing remembered but the windows' places and sizes.
bool restoresInput(const HostOptions& o) {
    return !o.headless && !o.inputGiven;
}

HostSettings remembered(const HostOptions& o) {
    if (o.resetSettings) HostSettings::reset();
    return o.headless ? HostSettings() : HostSettings::load();
}

// Headless, the demo runs once and leaves a picture and a film of it.
bool headlessDemo(const HostOptions& o) {
    return !o.info && o.headless && o.input == InputKind::Demo && o.snapshotPath.isEmpty() &&
           o.recordPath.isEmpty() && o.plotPath.isEmpty() && o.csvPath.isEmpty();
}
QString snapshotPath(const HostOptions& o) {
    return headlessDemo(o) ? QStringLiteral("nimbos.png") : o.snapshotPath;
}
QString recordPath(const HostOptions& o) {
    return headlessDemo(o) ? QStringLiteral("nimbos.gif") : o.recordPath;
}

InputChoice inputChoice(const HostOptions& o, const HostSettings& settings) {
    InputChoice c;
    c.kind = o.input;
    c.showFile = o.showFile;
    c.universe = o.universe;
    c.olaHost = o.olaHost;
    c.olaPort = o.olaPort;
    c.base = o.base;
    c.loop = o.loop;
    c.loopGiven = o.loopGiven;
    c.speed = o.speed;
    c.fromMs = o.fromMs;
    c.toMs = o.toMs;
    if (!restoresInput(o)) return c;
    if (!o.baseGiven && settings.base) {
        c.base = *settings.base;
        c.baseRemembered = true;
    }
    // A looped show never ends, and a recording must.
    if (!o.loopGiven && settings.loop && o.recordPath.isEmpty()) c.loop = *settings.loop;
    return c;
}

// A live universe is saved whole, in ola_recorder's format.
std::optional<unsigned> savedUniverse(const HostOptions& o) {
    return o.input == InputKind::Ola ? std::optional<unsigned>(o.universe.value_or(1)) : std::nullopt;
}

PlayRules playRules(const HostOptions& o) {
    PlayRules r;
    r.fast = o.fast;
    r.demoLoops = !o.headless;
    r.durationSeconds = o.durationSeconds;
    r.framesPerSecond = o.fps;
    r.noDataAfterMs = o.noDataAfterMs;
    // Nobody watches a headless show: what it writes is the same at full
    // speed (frames fall on show time), so nobody waits for it.
    const bool show = o.input == InputKind::Demo || o.input == InputKind::Play;
    const bool writes = !snapshotPath(o).isEmpty() || !recordPath(o).isEmpty() || !o.plotPath.isEmpty() ||
                        !o.csvPath.isEmpty();
    if (o.headless && show && writes && !o.speedGiven) r.fast = true;
    return r;
}

}  // namespace

HostApp::HostApp(const HostOptions& options, QObject* parent)
    : QObject(parent),
      m_options(options),
      m_remembered(remembered(options)),
      m_settingsIgnored(!options.headless && !HostSettings::foreign().isEmpty()),
      m_feed(m_session),
      m_outputs(m_session, {snapshotPath(options), recordPath(options), options.savedShowPath,
                            options.csvPath, savedUniverse(options)}),
      m_timeline({options.plotPath, options.plotSize}),
      m_input(m_feed, m_outputs, m_timeline, inputChoice(options, m_remembered), playRules(options)),
      m_instance(options.headless ? nullptr : std::make_unique<InstanceSlot>()) {
    connect(&m_input, &InputControl::ended, this, &HostApp::inputEnded);
    connect(&m_input, &InputControl::showOpened, this, [this](const QString& path) {
        m_changed.lastShowFile = path;
        if (m_mainWindow) m_mainWindow->setLastShowFile(path);
    });
    connect(&m_input, &InputControl::liveConnected, this, [this](unsigned universe, const QString& server) {
        m_changed.universe = universe;
        m_changed.olaServer = server;
    });
    connect(&m_input, &InputControl::loopChanged, this, [this](bool loop) { m_changed.loop = loop; });
    connect(&m_input, &InputControl::staleChanged, this, [this](bool stale) {
        if (m_mainWindow) m_mainWindow->setStale(stale);
        if (m_faders) m_faders->setStale(stale);
    });
    connect(&m_input, &InputControl::baseChanged, this, [this](int base) {
        m_changed.base = base;
        if (m_faders) m_faders->setBase(m_input.base());
    });
}

HostApp::~HostApp() {
    m_session.close();
}

int HostApp::start() {
    if (m_settingsIgnored)
        printError(QStringLiteral("%1 %2, so it is no settings file of ours: it is ignored and left as it is "
                                  "(--reset-settings removes it)")
                       .arg(HostSettings::fileName(), HostSettings::foreign()));
    if (headlessDemo(m_options))
        printLine(stdout, QStringLiteral("no --snapshot or --record named: the demo writes nimbos.png and "
                                         "nimbos.gif in %1, replacing files of those names")
                              .arg(QDir::currentPath()));
    if (const int status = loadPlugin(); status != kExitOk) return status;
    for (const QString& line : moduleInfoText(m_session, m_options.info)) printLine(stdout, line);
    if (m_options.info) return kExitOk;
    if (!m_outputs.open(m_input.base()) || !m_timeline.open(m_input.base())) return kExitFailure;
    // The pictures beside the plug-in name the envelopes' colours.
    m_colours.load(QFileInfo(pluginFile(m_options)).absoluteDir().filePath(QStringLiteral("images")));
    showWindows();
    if (m_mainWindow) {
        m_sampleColours.setInterval(1000);
        connect(&m_sampleColours, &QTimer::timeout, this, &HostApp::sampleColours);
        m_sampleColours.start();
        QTimer::singleShot(100, this, &HostApp::sampleColours);
    }
    if (const int status = m_input.start(); status != kExitOk) return status;
    // A show is recorded on its own time as it starts (and may have played,
    // and its recording failed, by now); any other input on the wall clock.
    if (m_outputs.wantsRecording() && !m_outputs.recordingStarted() &&
        !recordOnClock(m_outputs.requestedRecordPath()))
        return kExitFailure;
    if (m_mainWindow && m_outputs.recordsShowTime())
        m_mainWindow->setRecording(true, m_outputs.recordPath(), false);
    return kExitOk;
}

bool HostApp::recordOnClock(const QString& path, QString* why) {
    if (!m_outputs.startRecording(path, RunOutputs::Timing::WallClock, why)) return false;
    const std::optional<int64_t> total =
        m_options.durationSeconds ? std::optional<int64_t>(int64_t(*m_options.durationSeconds * 1000))
                                  : std::nullopt;
    m_clockRecording = std::make_unique<ClockRecording>(m_outputs, m_options.fps, total);
    m_clockRecording->start();
    if (m_mainWindow) m_mainWindow->setRecording(true, path, true);
    return true;
}

void HostApp::stopClockRecording() {
    if (!m_clockRecording) return;
    m_clockRecording.reset();
    if (!m_outputs.stopRecording())
        m_feed.reportFailure(QStringLiteral("recording %1: not written").arg(m_outputs.recordPath()));
    if (m_mainWindow) m_mainWindow->setRecording(false, {}, true);
}

int HostApp::loadPlugin() {
    const QString path = pluginFile(m_options);
    if (!m_session.open(path)) {
        printError(m_session.error());
        return QFileInfo::exists(path) ? kExitPluginFailed : kExitPluginMissing;
    }
    if (!m_session.readModuleInfo()) {
        printError(m_session.error());
        return kExitModuleInfo;
    }
    return kExitOk;
}

void HostApp::configure() {
    const com::HRESULT status = m_session.configure();
    if (com::FAILED(status)) m_feed.reportFailure(QStringLiteral("Configure: ") + describeFailure(status));
}

void HostApp::showWindows() {
    QWidget* display = m_session.toolWidget();
    m_feed.watch(display);
    if (!m_options.headless) createMainWindow();
    // The module asks for its tool window at start; headless it is shown offscreen.
    if (m_session.module().showToolWindowAtStart && m_session.toolWindow()) {
        const com::HRESULT status = m_session.toolWindow()->Show();
        if (com::FAILED(status))
            m_feed.reportFailure(QStringLiteral("showing the tool window: ") + describeFailure(status));
    }
    // The display has its size once it is loaded; the main window comes
    // last, so that it has the keys.
    if (m_mainWindow) {
        placeWindows(display);
        activateMainWindow();
    }
    if (m_options.configure) configure();
    if (m_options.input == InputKind::Faders) {
        FaderWindow& faders = faderWindow();
        if (!m_options.headless) faders.show();
    }
}

void HostApp::createMainWindow() {
    m_mainWindow = std::make_unique<MainWindow>(m_feed.sent());
    MainWindow* window = m_mainWindow.get();
    const ModuleDescription& m = m_session.module();
    window->setPluginName(QString::fromStdString(m.displayName), QString::fromStdString(m.description));
    const InputChoice& choice = m_input.choice();
    const bool restores = restoresInput(m_options);
    // Open… starts beside the show that plays, else the one opened last.
    const QFileInfo playing(choice.kind == InputKind::Play ? choice.showFile : QString());
    window->setLastShowFile(playing.isFile() ? playing.absoluteFilePath()
                            : restores       ? m_remembered.lastShowFile
                                             : QString());
    const bool live = choice.kind == InputKind::Ola;
    const QString server = QStringLiteral("%1:%2").arg(choice.olaHost).arg(choice.olaPort);
    window->setLive(live || !restores ? choice.universe.value_or(1) : m_remembered.universe.value_or(1),
                    live || !restores || m_remembered.olaServer.isEmpty() ? server : m_remembered.olaServer,
                    false);
    connect(window, &MainWindow::openRequested, &m_input, &InputControl::openShow);
    connect(window, &MainWindow::playPauseRequested, &m_input, &InputControl::playPause);
    connect(window, &MainWindow::seekRequested, &m_input, &InputControl::seek);
    connect(window, &MainWindow::stepRequested, &m_input, &InputControl::step);
    connect(window, &MainWindow::changeRequested, &m_input, &InputControl::jumpToChange);
    connect(window, &MainWindow::loopChanged, &m_input, &InputControl::setLoop);
    connect(window, &MainWindow::speedChanged, &m_input, &InputControl::setSpeed);
    connect(window, &MainWindow::connectRequested, &m_input, &InputControl::connectLive);
    connect(window, &MainWindow::disconnectRequested, &m_input, &InputControl::disconnectLive);
    connect(window, &MainWindow::baseChanged, &m_input, &InputControl::setBase);
    connect(window, &MainWindow::configureRequested, this, &HostApp::configure);
    connect(window, &MainWindow::showDisplayRequested, this, [this] {
        if (auto* display = m_session.toolWindow()) display->Show();
        activateMainWindow();
    });
    connect(window, &MainWindow::fadersRequested, this, [this] {
        FaderWindow& faders = faderWindow();
        faders.show();
        faders.raise();
    });
    connect(window, &MainWindow::quitRequested, this, &HostApp::done);
    connect(window, &MainWindow::recordRequested, this, [this](const QString& path) {
        QString why;
        if (!recordOnClock(path, &why)) m_feed.reportFailure(QStringLiteral("Record: ") + why);
    });
    connect(window, &MainWindow::stopRecordingRequested, this, &HostApp::stopClockRecording);
    connect(window, &MainWindow::readoutsTicked, &m_timeline, &ChannelTimeline::followAlong);
    connect(window, &MainWindow::liveWindowChanged, &m_timeline, &ChannelTimeline::setLiveWindow);
    connect(window, &MainWindow::timelineShownChanged, this,
            [this](bool shown) { m_changed.timelineShown = shown; });
    window->setTimelineShown(m_remembered.timelineShown.value_or(true));
    m_timeline.setPane(window->timeline());
    m_input.setView(window);
}

// As remembered, else together on the screen; a second instance running at
// once cascades from there.
void HostApp::placeWindows(QWidget* display) {
    MainWindow& main = *m_mainWindow;
    const QRect screen = main.screen()->availableGeometry();
    // A window manager's frame, until there is one to ask.
    const QMargins frame(4, 28, 4, 4);
    // Its size as it will be shown: laid out for its fonts and style.
    main.ensurePolished();
    main.adjustSize();
    const QSize mainFrame = main.size().grownBy(frame);
    const QSize displayFrame = display ? display->size().grownBy(frame) : QSize(0, 0);
    const WindowPlaces places = vexohost::placeWindows(screen, mainFrame, displayFrame);
    if (m_remembered.mainWindowGeometry.isEmpty() || !main.restoreGeometry(m_remembered.mainWindowGeometry))
        main.move(places.main);
    if (display &&
        (m_remembered.displayGeometry.isEmpty() || !display->restoreGeometry(m_remembered.displayGeometry)))
        display->move(places.display);
    if (const int n = m_instance ? m_instance->number() : 0; n > 0) {
        main.move(cascaded(main.pos(), n, screen, mainFrame));
        if (display) display->move(cascaded(display->pos(), n, screen, displayFrame));
    }
    m_placedMain = QRect(main.pos(), main.size());
    if (display) m_placedDisplay = QRect(display->pos(), display->size());
}

void HostApp::activateMainWindow() {
    m_mainWindow->show();
    m_mainWindow->raise();
    m_mainWindow->activateWindow();
}

// The display where the nimbos' colours are named.
QImage HostApp::renderNimbos() {
    QWidget* display = m_session.toolWidget();
    return display ? renderWindow(display, NimboColours::sampledRegion(display->size())) : QImage();
}

void HostApp::sampleColours() {
    if (!m_colours.sample(renderNimbos())) return;
    m_timeline.setColours(m_colours.colours());
    if (m_mainWindow) m_mainWindow->setColours(m_colours.colours());
    if (m_faders) m_faders->setColours(m_colours.colours());
}

FaderWindow& HostApp::faderWindow() {
    if (!m_faders) {
        m_faders = std::make_unique<FaderWindow>(m_feed.sent(), m_input.base());
        m_faders->setColours(m_colours.colours());
        connect(m_faders.get(), &FaderWindow::messageDue, &m_input, &InputControl::sendFader);
        m_faders->setStale(m_input.isStale());
        if (!m_options.headless && !m_remembered.fadersGeometry.isEmpty())
            m_faders->restoreGeometry(m_remembered.fadersGeometry);
    }
    return *m_faders;
}

void HostApp::inputEnded() {
    // A show that ends in a window leaves the windows open; headless, or with
    // outputs to write or a duration, the run is over.
    const bool over = m_options.headless || m_options.durationSeconds || !m_options.snapshotPath.isEmpty() ||
                      !m_options.recordPath.isEmpty() || !m_options.plotPath.isEmpty();
    if (!over || m_ended) return;
    m_ended = true;
    Q_EMIT done();
}

void HostApp::interrupt(int signalNumber) {
    // A live input has no end of its own: the first Ctrl-C ends it, and what
    // it wrote (the recording, the saved show, the values, the plot and the
    // snapshot) is kept, as ola_recorder keeps its file; a Ctrl-C after that
    // is one as in any run. A wall-clock recording of a show ends the same way.
    const bool live = m_input.choice().kind != InputKind::Demo && m_input.choice().kind != InputKind::Play;
    const bool recording = m_clockRecording && m_clockRecording->isRunning();
    QStringList kept;
    if (recording) kept << m_outputs.recordPath();
    if (live) {
        for (const QString& path :
             {m_outputs.savedShowPath(), m_outputs.csvPath(), m_options.plotPath, snapshotPath(m_options)})
            if (!path.isEmpty()) kept << path;
    }
    if (!m_keeping && !m_interrupted && !kept.isEmpty()) {
        m_keeping = true;
        if (m_clockRecording) m_clockRecording->stop();
        printError(QStringLiteral("interrupted: %1 %2 here and %3 kept")
                       .arg(kept.join(QStringLiteral(" and ")), kept.size() == 1 ? "ends" : "end",
                            kept.size() == 1 ? "is" : "are"));
        m_ended = true;
        Q_EMIT done();
        return;
    }
    if (m_interrupted) return;
    m_interrupted = true;
    m_status = 128 + signalNumber;
    m_outputs.interrupt();
    m_timeline.abort();
    m_ended = true;
    Q_EMIT done();
}

int HostApp::finish() {
    if (m_clockRecording) m_clockRecording->stop();
    m_input.finish();
    m_feed.flushFailures();
    bool written = true;
    if (!m_interrupted) {
        // The plot's lanes in the colours the display ends with.
        if (!m_options.plotPath.isEmpty()) sampleColours();
        written = m_outputs.finish();
        written = m_timeline.finish() && written;
    }
    if (m_status == kExitOk && m_input.status() != kExitOk) m_status = m_input.status();
    if (m_status == kExitOk && !written) m_status = kExitFailure;
    saveSettings();
    printLine(stdout, m_feed.summary());
    m_session.close();
    return m_status;
}

// What the user changed in a window, and where its windows stand; what
// another run changed meanwhile stays.
void HostApp::saveSettings() {
    if (!m_mainWindow || m_settingsIgnored) return;
    // A window is remembered where the user put it, not where this run did.
    auto moved = [](const QWidget& window, const QRect& placed) {
        return QRect(window.pos(), window.size()) != placed;
    };
    if (const QByteArray where = m_mainWindow->saveGeometry();
        moved(*m_mainWindow, m_placedMain) && where != m_remembered.mainWindowGeometry)
        m_changed.mainWindowGeometry = where;
    if (const QByteArray where = m_faders ? m_faders->saveGeometry() : QByteArray();
        !where.isEmpty() && where != m_remembered.fadersGeometry)
        m_changed.fadersGeometry = where;
    if (const QWidget* display = m_session.toolWidget())
        if (const QByteArray where = display->saveGeometry();
            moved(*display, m_placedDisplay) && where != m_remembered.displayGeometry)
            m_changed.displayGeometry = where;
    if (!m_changed.save())
        printError(QStringLiteral("cannot save the settings in %1; what this run changed is not remembered")
                       .arg(HostSettings::fileName()));
}

}  // namespace vexohost
