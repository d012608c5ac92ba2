// SPDX-License-Identifier: GPL-3.0-or-later
#include <signal.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <cstdio>
#include <exception>
#include <new>

#include "host/app/hostapp.h"
#include "host/app/interruptwatcher.h"
#include "host/app/pluginfile.h"
#include "host/files/console.h"
#include "host/session/hostclasses.h"
#include "platform/com/registry.h"
#include "platform/forms/shutdown.h"

namespace {

// The installed icon: from the icon theme, so that a theme may replace it,
// else from the hicolor folder of the installation the program is in (a
// system without a theme index, or an unpacked package).
QIcon applicationIcon() {
    const QString name = QStringLiteral("nimbo-lux");
    QIcon icon = QIcon::fromTheme(name);
    if (!icon.isNull()) return icon;
    const QDir hicolor(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/icons/hicolor"));
    for (const QString& size : hicolor.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString file =
            hicolor.filePath(size + QStringLiteral("/apps/") + name + QStringLiteral(".png"));
        if (QFileInfo::exists(file)) icon.addFile(file);
    }
    return icon;
}

// A reader that leaves a pipe or FIFO the host writes to (an output, or the
// terminal's pipe) makes the write fail with EPIPE, which the writer reports
// with the file's name, instead of ending the run silently with the signal.
// A handler of its own rather than SIG_IGN: programs the host starts get the
// default again.
extern "C" void onBrokenPipe(int) {}

void reportBrokenPipes() {
    struct sigaction action {};
    action.sa_handler = onBrokenPipe;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGPIPE, &action, nullptr);
}

int run(int argc, char** argv) {
    reportBrokenPipes();
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const vexohost::ParsedOptions parsed = vexohost::parseHostOptions(arguments);
    if (!parsed.error.isEmpty()) {
        vexohost::printError(parsed.error);
        return vexohost::kExitUsage;
    }
    if (parsed.help) {
        std::fputs(parsed.helpText.toLocal8Bit().constData(), stdout);
        return vexohost::kExitOk;
    }

    int qtArgc = 1;
    if (parsed.version) {
        const QCoreApplication core(qtArgc, argv);  // for the folder of the program
        return vexohost::printVersions(parsed.options);
    }
    // The registry file lives in the user's data folder unless told otherwise.
    if (parsed.options.registryPath.isEmpty() && qEnvironmentVariableIsEmpty("NIMBO_REGISTRY") &&
        qEnvironmentVariableIsEmpty("XDG_DATA_HOME") && qEnvironmentVariableIsEmpty("HOME")) {
        vexohost::printError(QStringLiteral(
            "no home folder for the registry file: set HOME or XDG_DATA_HOME, or give --registry PATH"));
        return vexohost::kExitFailure;
    }
    // Without a display the run is headless, as if --headless were given.
    const vexohost::HostOptions options = [&parsed] {
        vexohost::HostOptions o = parsed.options;
        const bool noDisplay =
            qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
        if (o.info || noDisplay || qgetenv("QT_QPA_PLATFORM") == "offscreen") o.headless = true;
        return o;
    }();
    if (options.headless) qputenv("QT_QPA_PLATFORM", "offscreen");

    // Qt takes some options of its own from the command line (-plugin among
    // them); ours are parsed already, so Qt gets the program name only.
    QApplication app(qtArgc, argv);
    QApplication::setApplicationName(QString::fromLatin1(vexohost::kHostTitle));
    // The menu entry's id (Wayland's app id) and icon, for every window the host opens;
    // on X11 the windows' class is the application name, the entry's StartupWMClass.
    QGuiApplication::setDesktopFileName(QStringLiteral(NIMBO_APP_ID));
    QApplication::setWindowIcon(applicationIcon());
    // Closing the display window unloads it; only Quit ends the host.
    QApplication::setQuitOnLastWindowClosed(false);
    if (!options.registryPath.isEmpty()) com::registry().setLocation(options.registryPath.toStdString());
    // A look at the plug-in registers it for this run only.
    com::registry().setReadOnly(options.info);

    int status = vexohost::kExitOk;
    {
        vexohost::HostApp host(options);
        vexohost::InterruptWatcher interrupts;
        QObject::connect(&interrupts, &vexohost::InterruptWatcher::interrupted, &host,
                         &vexohost::HostApp::interrupt);
        // exit(), not quit(): quit() would first close every window, which
        // unloads the plug-in's display before its snapshot is taken.
        QObject::connect(
            &host, &vexohost::HostApp::done, &app, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
        status = host.start();
        if (status == vexohost::kExitOk && !options.info) {
            app.exec();
            vexohost::InterruptWatcher::endAtOnce();
            status = host.finish();
        }
    }
    // The plug-in's windows go before the application object does.
    forms::shutdown();
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    // Nothing a user feeds the program may end it without a word.
    try {
        return run(argc, argv);
    } catch (const std::bad_alloc&) {
        vexohost::printError(QStringLiteral("out of memory"));
    } catch (const std::exception& error) {
        vexohost::printError(QString::fromLocal8Bit(error.what()));
    }
    return vexohost::kExitFailure;
}
