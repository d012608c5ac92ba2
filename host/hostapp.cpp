#include "host/hostapp.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <limits>

#include "host/demoshow.h"
#include "host/faderwindow.h"
#include "host/gifrecorder.h"
#include "host/mainwindow.h"
#include "host/olareceiver.h"
#include "host/showplayer.h"
#include "platform/forms/formwindow.h"

namespace vexohost {
namespace {

constexpr int32_t kChannelValueMsg = vexo::kMsgChannelValue;

void printLine(FILE* to, const QString& text) {
    std::fprintf(to, "%s\n", text.toLocal8Bit().constData());
    std::fflush(to);
}

// The default plug-in: beside the host program in a build, or in the
// library folder of an installation.
QString defaultPluginPath() {
    const QString dir = QCoreApplication::applicationDirPath();
    const QString candidates[] = {dir + QStringLiteral("/Nimbolux.so"),
                                  dir + QStringLiteral("/../lib/nimbo-lux/Nimbolux.so")};
    for (const QString& path : candidates)
        if (QFileInfo::exists(path)) return QDir::cleanPath(path);
    return QDir::cleanPath(candidates[0]);
}

QString absolute(const QString& path) { return QFileInfo(path).absoluteFilePath(); }

}  // namespace

HostApp::HostApp(HostOptions options, QObject* parent) : QObject(parent), m_options(std::move(options)) {
    if (m_options.headless) {
        // Headless the demo runs once at full speed and leaves a picture and a film of it.
        m_options.loop = false;
        if (m_options.input == InputKind::Demo && m_options.snapshotPath.isEmpty() &&
            m_options.recordPath.isEmpty()) {
            m_options.fast = true;
            m_options.snapshotPath = QStringLiteral("nimbos.png");
            m_options.recordPath = QStringLiteral("nimbos.gif");
        }
    }
}

HostApp::~HostApp() { m_session.close(); }

int HostApp::start() {
    const QString path = m_options.pluginPath.isEmpty() ? defaultPluginPath() : m_options.pluginPath;
    if (!QFileInfo::exists(path)) {
        printLine(stderr, QStringLiteral("vexo-host: plug-in file not found: %1").arg(path));
        return kExitPluginMissing;
    }
    if (!m_session.open(path)) {
        printLine(stderr, QStringLiteral("vexo-host: ") + m_session.error());
        return kExitPluginFailed;
    }
    if (!m_session.readModuleInfo()) {
        printLine(stderr, QStringLiteral("vexo-host: ") + m_session.error());
        return kExitModuleInfo;
    }
    printModuleInfo();
    if (m_options.info) return kExitOk;

    if (!m_options.headless) {
        m_mainWindow = std::make_unique<MainWindow>();
        const ModuleDescription& m = m_session.module();
        m_mainWindow->setPluginName(QString::fromStdString(m.displayName), QString::fromStdString(m.description));
        connect(m_mainWindow.get(), &MainWindow::configureRequested, this, [this] {
            const com::HRESULT status = m_session.configure();
            if (com::FAILED(status)) reportFailure(QStringLiteral("Configure: ") + describeFailure(status));
        });
        connect(m_mainWindow.get(), &MainWindow::showDisplayRequested, this, [this] {
            if (auto* window = m_session.toolWindow()) window->Show();
        });
        connect(m_mainWindow.get(), &MainWindow::fadersRequested, this, [this] {
            if (!m_faders) {
                m_faders = std::make_unique<FaderWindow>();
                connect(m_faders.get(), &FaderWindow::channelChanged, this,
                        [this](int channel, int value) { deliver(kChannelValueMsg, channel, value); });
            }
            m_faders->show();
            m_faders->raise();
        });
        connect(m_mainWindow.get(), &MainWindow::quitRequested, this, &HostApp::done);
        m_mainWindow->show();
    }
    // The module asks for its tool window at start; headless it is shown offscreen.
    if (m_session.module().showToolWindowAtStart && m_session.toolWindow()) {
        const com::HRESULT status = m_session.toolWindow()->Show();
        if (com::FAILED(status)) reportFailure(QStringLiteral("showing the tool window: ") + describeFailure(status));
    }
    if (m_options.configure) {
        const com::HRESULT status = m_session.configure();
        if (com::FAILED(status)) reportFailure(QStringLiteral("Configure: ") + describeFailure(status));
    }
    return startInput();
}

void HostApp::printModuleInfo() const {
    const ModuleDescription& m = m_session.module();
    QStringList wanted;
    for (int32_t msg : m.messages) wanted << QString::number(msg);
    auto line = [](const char* label, const QString& value) {
        printLine(stdout, QStringLiteral("%1 %2").arg(QString::fromLatin1(label), -13).arg(value));
    };
    line("plug-in", QStringLiteral("%1 (%2)").arg(m_session.pluginPath(), m_session.progId()));
    line("name", QString::fromStdString(m.displayName));
    line("description", QString::fromStdString(m.description));
    line("author", QString::fromStdString(m.author));
    line("module id", QString::fromStdString(m.moduleId));
    line("messages", wanted.isEmpty() ? QStringLiteral("none") : wanted.join(QStringLiteral(", ")));
    line("tool window", QString::fromStdString(m.toolWindowName) +
                            (m.showToolWindowAtStart ? QStringLiteral(" (shown at start)") : QString()));
    if (m_options.info) {
        line("enabled", m.startEnabled ? QStringLiteral("yes") : QStringLiteral("no"));
        line("in menu", m.showInMenu ? QStringLiteral("yes") : QStringLiteral("no"));
        line("module kind", QString::number(m.moduleKind));
        line("dock", QString::number(m.dockPosition));
        line("project data", m.usesProjectData ? QStringLiteral("yes") : QStringLiteral("no"));
        line("sends", m.sendsMessages ? QStringLiteral("yes") : QStringLiteral("no"));
    }
    if (const auto& version = m_session.versionInfo()) {
        const bool all = m_options.info;
        for (const auto& [key, value] : version->entries) {
            if (!all && key != "FileVersion" && key != "ProductName" && key != "InternalName") continue;
            line(("version " + key).substr(0, 60).c_str(), QString::fromStdString(value));
        }
    } else {
        line("version", QStringLiteral("no version block"));
    }
}

int HostApp::startInput() {
    std::vector<ShowEvent> events;
    switch (m_options.input) {
        case InputKind::Demo:
            events = demoShow();
            break;
        case InputKind::Play: {
            ShowOptions showOptions;
            showOptions.universe = m_options.universe;
            Show show = loadShow(m_options.showFile.toStdString(), showOptions);
            if (show.error) {
                printLine(stderr, QStringLiteral("vexo-host: ") + QString::fromStdString(show.error->toString()));
                return kExitShowFile;
            }
            if (show.fromOlaRecorder)
                printLine(stdout, QStringLiteral("playing universe %1 of a recording").arg(show.universe));
            events = std::move(show.events);
            break;
        }
        case InputKind::Stdin:
            m_stdinParser = std::make_unique<ShowLineParser>("<stdin>");
            m_stdin = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
            connect(m_stdin.get(), &QSocketNotifier::activated, this, &HostApp::readStdin);
            break;
        case InputKind::Faders:
            m_faders = std::make_unique<FaderWindow>();
            connect(m_faders.get(), &FaderWindow::channelChanged, this,
                    [this](int channel, int value) { deliver(kChannelValueMsg, channel, value); });
            if (!m_options.headless) m_faders->show();
            break;
        case InputKind::Ola: {
            m_ola = std::make_unique<OlaReceiver>();
            const QString server = m_options.olaServer;
            const int colon = server.lastIndexOf(':');
            bool portOk = false;
            const uint port = colon > 0 ? server.mid(colon + 1).toUInt(&portOk) : 0;
            if (!portOk || port == 0 || port > 65535) {
                printLine(stderr, QStringLiteral("vexo-host: --ola-server: '%1' is not HOST:PORT").arg(server));
                return kExitUsage;
            }
            m_ola->setServer(server.left(colon), quint16(port));
            connect(m_ola.get(), &OlaReceiver::channelsChanged, this, [this](const ChannelChanges& changes) {
                for (const auto& [channel, value] : changes) deliver(kChannelValueMsg, channel, value);
            });
            connect(m_ola.get(), &OlaReceiver::statusChanged, this, [this](const QString& text) {
                printLine(stdout, QStringLiteral("olad: ") + text);
                showStatus(text);
            });
            if (!m_ola->start(m_options.universe.value_or(1))) {
                printLine(stderr, QStringLiteral("vexo-host: ") + m_ola->status());
                return kExitUsage;
            }
            break;
        }
    }

    const bool live = m_options.input == InputKind::Stdin || m_options.input == InputKind::Faders ||
                      m_options.input == InputKind::Ola;
    if (live) {
        if (m_options.durationSeconds) {
            m_durationTimer = new QTimer(this);
            m_durationTimer->setSingleShot(true);
            connect(m_durationTimer, &QTimer::timeout, this, &HostApp::endInput);
            m_durationTimer->start(int(std::min(*m_options.durationSeconds * 1000.0, 2.0e9)));
        }
        if (!m_options.recordPath.isEmpty())
            printLine(stderr, QStringLiteral("vexo-host: --record needs a show (--demo or --play); ignored"));
        return kExitOk;
    }

    PlayerOptions playerOptions;
    playerOptions.speed = m_options.speed;
    playerOptions.fast = m_options.fast;
    playerOptions.loop = m_options.loop && m_options.input == InputKind::Demo && !m_options.durationSeconds;
    if (m_options.durationSeconds) playerOptions.durationMs = int64_t(*m_options.durationSeconds * 1000.0);
    if (!m_options.recordPath.isEmpty()) {
        playerOptions.loop = false;
        playerOptions.framesPerSecond = m_options.fps;
        QWidget* widget = m_session.toolWidget();
        if (!widget) {
            printLine(stderr, QStringLiteral("vexo-host: the plug-in has no tool window to record"));
            return kExitFailure;
        }
        m_recorder = std::make_unique<GifRecorder>();
        if (!m_recorder->open(m_options.recordPath, widget->width(), widget->height())) {
            printLine(stderr, QStringLiteral("vexo-host: cannot record: ") + m_recorder->error());
            return kExitFailure;
        }
    }
    m_player = std::make_unique<ShowPlayer>(std::move(events), playerOptions);
    m_player->onEvent = [this](const ShowEvent& e) { deliver(e.msg, e.arg1, e.arg2); };
    if (m_recorder) m_player->onFrame = [this](int64_t) { captureFrame(); };
    connect(m_player.get(), &ShowPlayer::finished, this, &HostApp::endInput, Qt::QueuedConnection);
    m_player->start();
    return kExitOk;
}

void HostApp::deliver(int32_t msg, int32_t arg1, int32_t arg2) {
    int32_t channel = arg1;
    if (msg == kChannelValueMsg && m_options.base != 1) {
        // Input channel `base` arrives as channel 1.
        const int64_t shifted = int64_t(arg1) - m_options.base + 1;
        if (shifted < std::numeric_limits<int32_t>::min() || shifted > std::numeric_limits<int32_t>::max()) return;
        channel = int32_t(shifted);
    }
    com::HRESULT status = com::S_OK;
    if (!m_session.deliver(msg, channel, arg2, &status)) {
        ++m_skipped;
        return;
    }
    ++m_passed;
    if (com::SUCCEEDED(status)) return;
    ++m_failures;
    const QString what = msg == kChannelValueMsg
                             ? QStringLiteral("channel %1 = %2").arg(channel).arg(arg2)
                             : QStringLiteral("message %1 (%2, %3)").arg(msg).arg(channel).arg(arg2);
    reportFailure(what + QStringLiteral(": ") + describeFailure(status));
}

void HostApp::reportFailure(const QString& text) {
    // The same failure again and again is said once, with a count.
    const QString key = text.section(QStringLiteral(": "), 1);
    if (!m_lastFailure.isEmpty() && key == m_lastFailure) {
        ++m_repeats;
        return;
    }
    flushRepeatedFailure();
    m_lastFailure = key;
    printLine(stderr, text);
    showStatus(text);
}

void HostApp::flushRepeatedFailure() {
    if (m_repeats > 0)
        printLine(stderr, QStringLiteral("  (the same failure %1 more time%2)").arg(m_repeats).arg(m_repeats == 1 ? "" : "s"));
    m_repeats = 0;
    m_lastFailure.clear();
}

void HostApp::showStatus(const QString& text) {
    if (m_mainWindow) m_mainWindow->setStatus(text);
}

QImage HostApp::renderDisplay() const {
    QWidget* widget = m_session.toolWidget();
    if (!widget) return {};
    QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::black);
    widget->render(&image);
    return image;
}

void HostApp::captureFrame() {
    if (!m_recorder) return;
    if (!m_recorder->addFrame(renderDisplay(), 1000 / m_options.fps)) {
        printLine(stderr, QStringLiteral("vexo-host: recording failed: ") + m_recorder->error());
        m_recorder.reset();
        m_status = kExitFailure;
        return;
    }
    if (isatty(STDERR_FILENO) && m_player && m_player->lengthMs() > 0) {
        const int width = 40;
        const int64_t total = m_options.durationSeconds ? int64_t(*m_options.durationSeconds * 1000) : m_player->lengthMs();
        const int percent = int(std::clamp<int64_t>(m_player->showTimeMs() * 100 / std::max<int64_t>(total, 1), 0, 100));
        const int filled = percent * width / 100;
        std::fprintf(stderr, "\rrecording [%s%s] %3d%%", std::string(size_t(filled), '#').c_str(),
                     std::string(size_t(width - filled), '.').c_str(), percent);
        std::fflush(stderr);
    }
}

void HostApp::readStdin() {
    char buffer[4096];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n <= 0) {
        m_stdin->setEnabled(false);
        if (!m_stdinBuffer.empty()) {
            std::vector<ShowEvent> events;
            if (auto error = m_stdinParser->parseLine(m_stdinBuffer, ++m_stdinLine, &events))
                printLine(stderr, QString::fromStdString(error->toString()));
            for (const ShowEvent& e : events) deliver(e.msg, e.arg1, e.arg2);
            m_stdinBuffer.clear();
        }
        endInput();
        return;
    }
    m_stdinBuffer.append(buffer, size_t(n));
    size_t newline;
    while ((newline = m_stdinBuffer.find('\n')) != std::string::npos) {
        std::vector<ShowEvent> events;
        const std::string line = m_stdinBuffer.substr(0, newline);
        m_stdinBuffer.erase(0, newline + 1);
        // A bad live line is reported and skipped; the input goes on.
        if (auto error = m_stdinParser->parseLine(line, ++m_stdinLine, &events))
            printLine(stderr, QString::fromStdString(error->toString()));
        for (const ShowEvent& e : events) deliver(e.msg, e.arg1, e.arg2);
    }
}

void HostApp::endInput() {
    if (m_ended) return;
    // A show that ends in a window leaves the windows open; headless, or with
    // outputs to write or a duration, the run is over.
    const bool over = m_options.headless || m_options.durationSeconds || !m_options.snapshotPath.isEmpty() ||
                      !m_options.recordPath.isEmpty() || m_options.input == InputKind::Stdin;
    if (!over) return;
    m_ended = true;
    emit done();
}

int HostApp::finish() {
    if (m_player) m_player->stop();
    if (m_ola) m_ola->stop();
    flushRepeatedFailure();
    if (m_recorder) {
        if (isatty(STDERR_FILENO)) std::fprintf(stderr, "\n");
        if (m_recorder->close())
            printLine(stdout, QStringLiteral("wrote %1 frames to %2").arg(m_recorder->frameCount()).arg(absolute(m_options.recordPath)));
        else {
            printLine(stderr, QStringLiteral("vexo-host: writing %1 failed: %2").arg(m_options.recordPath, m_recorder->error()));
            m_status = kExitFailure;
        }
        m_recorder.reset();
    }
    if (!m_options.snapshotPath.isEmpty()) {
        const QImage image = renderDisplay();
        if (image.isNull() || !image.save(m_options.snapshotPath, "PNG")) {
            printLine(stderr, QStringLiteral("vexo-host: cannot write the snapshot %1").arg(m_options.snapshotPath));
            m_status = kExitFailure;
        } else {
            printLine(stdout, QStringLiteral("wrote the display window to %1").arg(absolute(m_options.snapshotPath)));
        }
    }
    printLine(stdout, QStringLiteral("%1 messages passed to the plug-in, %2 not wanted, %3 failed")
                          .arg(m_passed).arg(m_skipped).arg(m_failures));
    m_session.close();
    return m_status;
}

}  // namespace vexohost
