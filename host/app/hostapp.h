#ifndef HOST_APP_HOSTAPP_H_
#define HOST_APP_HOSTAPP_H_

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

#include "host/app/atomicfile.h"
#include "host/app/displaywatch.h"
#include "host/app/failurereport.h"
#include "host/app/framerate.h"
#include "host/app/hostoptions.h"
#include "host/app/hostsettings.h"
#include "host/app/recorder.h"
#include "host/app/recordingprogress.h"
#include "host/app/sentvalues.h"
#include "host/input/hostmessage.h"
#include "host/session/pluginsession.h"

namespace vexohost {

class FaderWindow;
class MainWindow;
class OlaReceiver;
class ShowFile;
class ShowPlayer;
class ShowSource;

// Exit statuses of vexo-host.
enum ExitStatus : int {
    kExitOk = 0,
    kExitFailure = 1,        // a write failed, or something else went wrong
    kExitUsage = 2,          // unknown option or bad value
    kExitPluginMissing = 3,  // plug-in file missing
    kExitPluginFailed = 4,   // registration, creation or Init failed
    kExitModuleInfo = 5,     // ModuleInfo failed (e.g. a missing picture file)
    kExitShowFile = 6,       // the show file is malformed or unreadable
};

// The host program: loads the plug-in, feeds it the host messages of one
// input, shows or records its display window, and reports what happens.
// GUI thread.
class HostApp : public QObject {
    Q_OBJECT

public:
    // options: as parseHostOptions() checked them.
    explicit HostApp(HostOptions options, QObject* parent = nullptr);
    ~HostApp() override;

    // "vexo-host VERSION" and the plug-in's version from its version block,
    // one line each, without loading it; kExitPluginMissing when it is not there.
    static int printVersions(const HostOptions& options);
    // The plug-in file a run loads: --plugin, or the one installed with the host.
    static QString pluginPath(const HostOptions& options);

    // Loads the plug-in and starts the input. Returns kExitOk to go on into
    // the event loop, or the exit status when there is nothing to run.
    int start();
    // The exit status after the event loop (writes the outputs of the run).
    int finish();
    // The user interrupted the run (SIGINT, SIGTERM): the recording is
    // discarded, nothing more is written, and the run ends with 128 + signal.
    void interrupt(int signalNumber);

    // What the main window does for its user; each replaces the input that
    // runs. A show that cannot be opened is said in a message box, with its
    // file, line and column, and nothing changes.
    void openShow(const QString& path);
    void playPause();
    // showMs: from the start of the part played.
    void seek(int64_t showMs);
    void step(int64_t deltaMs);
    void setLoop(bool loop);
    void setSpeed(double speed);
    void connectLive(unsigned universe, const QString& server);
    void disconnectLive();
    void setBase(int base);
    // What the status line says now; the main window shows it four times a second.
    QString statusText() const;

Q_SIGNALS:
    // The input has ended (headless) or the user quit.
    void done();

private:
    int loadPlugin();
    void showWindows();
    int startInput();
    int startShow();
    int startStdin();
    int play(std::unique_ptr<ShowSource> source);
    int startOla();
    FaderWindow& faderWindow();
    // A message of an input: shifted by the base address, then sent.
    void deliver(const HostMessage& message);
    // A message as the plug-in gets it.
    void send(const HostMessage& message);
    // The last value of each channel again, for a display that was reloaded.
    void sendLastValues();
    void reportFailure(const QString& text);
    // A frame of the recording, shown for lengthMs.
    void captureFrame(qint64 playedMs, qint64 lengthMs);
    void endInput();
    void writeSnapshot();
    // The main window's status line, failures, readouts and controls, from the input's state.
    void updateWindow();
    void updateControls();
    // Ends the input that runs, so that another can start.
    void stopInput();
    // Every channel the host sent goes back to 0 (unlit, as at load), for
    // an input that starts anew or a show that moves to another moment.
    void clearChannels();
    void applySettings();
    void saveSettings();

    HostOptions m_options;
    PluginSession m_session;
    std::unique_ptr<ShowPlayer> m_player;
    std::unique_ptr<Recorder> m_recorder;
    std::unique_ptr<MainWindow> m_mainWindow;
    std::unique_ptr<FaderWindow> m_faders;
    std::unique_ptr<OlaReceiver> m_ola;
    const ShowFile* m_stream = nullptr;  // owned by m_player: standard input, for its line count
    QString m_showName;                  // "demo" or the show file's name
    QString m_inputError;                // why the input stopped, until another starts
    QString m_lastFailure;
    int m_reported = 0;  // failures reported, of messages and of the plug-in's windows
    HostSettings m_settings;
    QTimer m_statusTimer;
    QElapsedTimer m_clock;
    FrameRate m_frameRate;
    QTimer* m_durationTimer = nullptr;  // child of this
    AtomicFile m_snapshotFile;          // open from start() until the snapshot is written
    SentValues m_sent;
    DisplayWatch m_displayWatch;
    FailureReport m_failureReport;
    RecordingProgress m_progress;
    int m_failures = 0;
    int m_passed = 0;
    int m_skipped = 0;
    bool m_ended = false;
    bool m_interrupted = false;
    int m_status = kExitOk;
};

}  // namespace vexohost

#endif  // HOST_APP_HOSTAPP_H_
