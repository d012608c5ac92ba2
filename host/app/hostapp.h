#ifndef HOST_APP_HOSTAPP_H_
#define HOST_APP_HOSTAPP_H_

#include <QObject>
#include <QString>
#include <memory>

#include "host/app/atomicfile.h"
#include "host/app/displaywatch.h"
#include "host/app/failurereport.h"
#include "host/app/hostoptions.h"
#include "host/app/recorder.h"
#include "host/app/recordingprogress.h"
#include "host/app/sentvalues.h"
#include "host/input/hostmessage.h"
#include "host/session/pluginsession.h"

class QTimer;

namespace vexohost {

class FaderWindow;
class MainWindow;
class OlaReceiver;
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
    void showStatus(const QString& text);
    void writeSnapshot();

    HostOptions m_options;
    PluginSession m_session;
    std::unique_ptr<ShowPlayer> m_player;
    std::unique_ptr<Recorder> m_recorder;
    std::unique_ptr<MainWindow> m_mainWindow;
    std::unique_ptr<FaderWindow> m_faders;
    std::unique_ptr<OlaReceiver> m_ola;
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
