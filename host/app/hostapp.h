// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_APP_HOSTAPP_H_
#define HOST_APP_HOSTAPP_H_

#include <QObject>
#include <QRect>
#include <QString>
#include <QTimer>
#include <memory>

#include "host/app/exitstatus.h"
#include "host/app/hostoptions.h"
#include "host/app/hostsettings.h"
#include "host/app/inputcontrol.h"
#include "host/app/pluginfeed.h"
#include "host/outputs/runoutputs.h"
#include "host/session/pluginsession.h"
#include "host/windows/channeltimeline.h"
#include "host/windows/nimbocolours.h"

namespace vexohost {

class ClockRecording;
class FaderWindow;
class InstanceSlot;
class MainWindow;

// The host program: loads the plug-in and joins it to the rooms of a run,
// the feed of messages to the plug-in (PluginFeed), the input that makes
// them (InputControl), the nine channels over time (ChannelTimeline) and
// what the run writes (RunOutputs); shows the windows, and reads and writes
// what a window remembers.
//
// Owns the options as given, the plug-in session, those four, the nimbos'
// colours, the windows, where they stand, and the settings. main() creates it, starts it, runs the event loop
// and finishes it. GUI thread.
class HostApp : public QObject {
    Q_OBJECT

public:
    // options: as parseHostOptions() checked them; they stay as given.
    explicit HostApp(const HostOptions& options, QObject* parent = nullptr);
    ~HostApp() override;

    // Loads the plug-in and starts the input. Returns kExitOk to go on into
    // the event loop, or the exit status when there is nothing to run.
    int start();
    // The exit status after the event loop (writes the outputs of the run).
    int finish();
    // The user interrupted the run (SIGINT, SIGTERM): the recording is
    // discarded, nothing more is written, and the run ends with 128 + signal;
    // but the first one ends a live input or a recording on the wall clock,
    // and what the run writes is kept.
    void interrupt(int signalNumber);

    // The input of the run, as the main window drives it.
    InputControl& input() { return m_input; }

Q_SIGNALS:
    // The input has ended (headless, or with outputs to write) or the user quit.
    void done();

private:
    int loadPlugin();
    void showWindows();
    void createMainWindow();
    void placeWindows(QWidget* display);
    void activateMainWindow();
    void configure();
    FaderWindow& faderWindow();
    QImage renderNimbos();
    // Names the nimbos' colours from the display and hands them to what
    // stands for the nimbos, when one changed.
    void sampleColours();
    void inputEnded();
    void saveSettings();
    // Records the display on the wall clock to path. False, said on standard
    // error and in *why, when it cannot start.
    bool recordOnClock(const QString& path, QString* why = nullptr);
    void stopClockRecording();

    const HostOptions m_options;
    const HostSettings m_remembered;  // as stored when the run started (nothing headless)
    HostSettings m_changed;           // what the user changed in this run, stored at its end
    const bool m_settingsIgnored;     // the file is none of ours: never read or written
    PluginSession m_session;
    PluginFeed m_feed;
    RunOutputs m_outputs;
    ChannelTimeline m_timeline;
    NimboColours m_colours;
    QTimer m_sampleColours;  // once a second, in a window
    InputControl m_input;
    std::unique_ptr<MainWindow> m_mainWindow;
    std::unique_ptr<FaderWindow> m_faders;
    std::unique_ptr<ClockRecording> m_clockRecording;  // a recording on the wall clock, while it runs
    const std::unique_ptr<InstanceSlot> m_instance;    // windowed runs: which of those running at once
    QRect m_placedMain;                                // where this run put its windows
    QRect m_placedDisplay;
    bool m_ended = false;
    bool m_interrupted = false;
    bool m_keeping = false;  // the first Ctrl-C of a live run ended it, keeping what it wrote
    int m_status = kExitOk;
};

}  // namespace vexohost

#endif  // HOST_APP_HOSTAPP_H_
