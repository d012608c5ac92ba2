// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_WINDOWS_MAINWINDOW_H_
#define HOST_WINDOWS_MAINWINDOW_H_

#include <QWidget>
#include <cstdint>

#include "host/windows/sentvalues.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QSpinBox;

namespace vexohost {

class ChannelReadouts;
class LiveChooser;
class RecordingNote;
class TimelinePane;

// The host's main window: what the host is doing, the nine channels as
// numbers and over time, a small player for shows and a chooser for a live
// universe.
//
// It is a view: it says what the user asked for through its signals and
// shows what it is told; the host does the work. Keys, in every window of
// the program: Space play/pause (a live timeline: stand still), Left/Right
// seek 5 s, . and , to the next and previous change, + and - zoom the
// timeline, 0 shows the whole part, Ctrl+O open, Ctrl+Q quit. GUI thread.
class MainWindow : public QWidget {
    Q_OBJECT

public:
    // values: what the host sent the plug-in; outlives the window.
    explicit MainWindow(const SentValues& values, QWidget* parent = nullptr);
    ~MainWindow() override;

    void setPluginName(const QString& name, const QString& description);
    // What the input is ("demo", "show.txt", "universe 1"), in the title.
    void setInputName(const QString& name);
    void setStatus(const QString& status);
    QString status() const;
    // The failures the host reported; hidden while there are none.
    void setFailures(const QString& text);
    QString failures() const;

    // The show's controls: usable when a show plays; seekable when it can
    // start again. lengthMs: the slider's range (0 when unknown).
    void setShowControls(bool enabled, bool seekable, int64_t lengthMs);
    // The timeline follows a live input (olad, the faders) on the wall
    // clock: how much of it is shown can be chosen.
    void setLiveTrace(bool live);
    // Where the show stands; the slider follows unless the user holds it.
    void setPosition(int64_t ms);
    void setPlaying(bool playing);
    void setLoop(bool loop);
    void setSpeed(double speed);
    // The live chooser: what it shows, and whether a universe is connected.
    void setLive(unsigned universe, const QString& server, bool connected);
    void setBase(int base);
    // The values are a live universe's last before it went quiet.
    void setStale(bool stale);
    // The nimbos' colours, for the readouts.
    void setColours(const std::array<QColor, SentValues::kChannels>& colours);
    // The Open dialog starts in this file's folder.
    void setLastShowFile(const QString& path);
    // A recording runs to path; the Record button is its Stop, when it can be stopped.
    void setRecording(bool recording, const QString& path, bool stoppable);
    // The nine channels over time, drawn by the channel timeline; shown or not.
    TimelinePane* timeline() const { return m_timeline; }
    void setTimelineShown(bool shown);

Q_SIGNALS:
    // The readouts followed the values on their tick (ten times a second).
    void readoutsTicked();
    void openRequested(const QString& path);
    void playPauseRequested();
    void seekRequested(qint64 ms);
    // Seek by deltaMs from where the show stands (the keys).
    void stepRequested(qint64 deltaMs);
    // Seek to the next (or the previous) moment a lane changes (. and ,).
    void changeRequested(bool forward);
    void loopChanged(bool loop);
    void speedChanged(double speed);
    void connectRequested(unsigned universe, const QString& server);
    void disconnectRequested();
    void baseChanged(int base);
    void configureRequested();
    void showDisplayRequested();
    void fadersRequested();
    // Record the display from now on, to a GIF or WebP file chosen; stop that.
    void recordRequested(const QString& path);
    void stopRecordingRequested();
    // How much of a live input the timeline shows, and whether it is shown.
    void liveWindowChanged(qint64 ms);
    void timelineShownChanged(bool shown);
    void quitRequested();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void chooseShowFile();
    void chooseRecordFile();
    void showTime(int ms);

    QLabel* m_name = nullptr;  // this and the rest: owned through Qt parents
    QLabel* m_status = nullptr;
    QLabel* m_failures = nullptr;
    ChannelReadouts* m_readouts = nullptr;
    TimelinePane* m_timeline = nullptr;
    QCheckBox* m_showTimeline = nullptr;
    QPushButton* m_wholeShow = nullptr;
    QComboBox* m_liveWindow = nullptr;
    QPushButton* m_open = nullptr;
    QPushButton* m_play = nullptr;
    QSlider* m_position = nullptr;
    QLineEdit* m_time = nullptr;  // where the show stands; a time typed there is gone to
    QCheckBox* m_loop = nullptr;
    QComboBox* m_speed = nullptr;
    LiveChooser* m_live = nullptr;
    QPushButton* m_record = nullptr;
    RecordingNote* m_recordingNote = nullptr;
    QSpinBox* m_base = nullptr;
    QString m_lastShowFile;
    QString m_inputName;
    int m_paneHeight = 0;  // the timeline's, when it was hidden
    bool m_recording = false;
};

}  // namespace vexohost

#endif  // HOST_WINDOWS_MAINWINDOW_H_
