// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_APP_INPUTCONTROL_H_
#define HOST_APP_INPUTCONTROL_H_

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <memory>
#include <optional>

#include "host/app/channelrouter.h"
#include "host/app/inputchoice.h"
#include "host/input/hostmessage.h"

namespace vexohost {

class ChannelTimeline;
class MainWindow;
class LiveInput;
class PluginFeed;
class RunOutputs;
class ShowFile;
class ShowPlayer;
class ShowSource;

// Starts, stops and switches the input (the demo, a show, standard input,
// the faders, a live universe of olad), plays it (pause, seek, loop,
// speed), shifts its channels by the base address on their way to the feed,
// and says what it is doing: the status text, and the main window's show
// and live controls, kept up to date four times a second.
//
// Every channel value the plug-in is sent passes here (the input's, the
// faders', and the zeros of channels a seek, a new pass or another input
// leaves unlit), on its way through the channel router.
//
// Owns the player or the live receiver of the input that runs, the choice
// it was started from, the router its values take, and the input's failure. The main window's signals
// connect straight to its slots; the application starts and stops it. A
// show's frames go to the run's outputs while it is recorded, and nothing
// can seek in or replace a show that is recorded. GUI thread.
class InputControl : public QObject {
    Q_OBJECT

public:
    // feed, outputs, timeline: outlive this.
    InputControl(PluginFeed& feed, RunOutputs& outputs, ChannelTimeline& timeline, InputChoice choice,
                 PlayRules rules, QObject* parent = nullptr);
    ~InputControl() override;

    // The window kept up to date from now on; may be null (headless).
    void setView(MainWindow* view);
    // Starts the chosen input. kExitOk, or the exit status of a run that cannot start.
    int start();
    // Ends the input at the end of the run, saying what a live universe delivered.
    void finish();

    const InputChoice& choice() const { return m_choice; }
    // The player of the show or stream that plays (null for a live input),
    // for what follows its messages.
    const ShowPlayer* player() const { return m_player.get(); }
    // The base address the input is shifted by: the demo plays at 1 unless
    // the base was asked for in this run.
    int base() const;
    // What the status line says now.
    QString statusText() const;
    // What the input is, for window titles: "demo", "show.txt", "universe 1".
    QString inputName() const;
    // kExitShowFile when a show could not go on; kExitOk otherwise.
    int status() const { return m_status; }
    // The values shown are a live universe's last before it went quiet.
    bool isStale() const;

    // What the main window asks for (inputrequests.cpp). A show that cannot
    // be opened is said in a message box, with its file, line and column,
    // and nothing changes.
    void openShow(const QString& path);
    void playPause();
    // showMs: from the start of the part played.
    void seek(qint64 showMs);
    void step(qint64 deltaMs);
    // To the next (or the previous) moment one of the nine lanes, or the
    // lane chosen in the timeline, changes.
    void jumpToChange(bool forward);
    void setLoop(bool loop);
    void setSpeed(double speed);
    void connectLive(unsigned universe, const QString& server);
    void disconnectLive();
    void setBase(int base);
    // A fader moved: channel 1..9 as the plug-in numbers it.
    void sendFader(const HostMessage& message);

Q_SIGNALS:
    // The input came to its end (or its duration is over).
    void ended();
    // The user opened a show (absolute path), connected a universe, set the
    // base address or looping: what a window remembers.
    void showOpened(const QString& path);
    void liveConnected(unsigned universe, const QString& server);
    void baseChanged(int base);
    void loopChanged(bool loop);
    // The values shown are a live universe's last before it went quiet (no
    // data), or live again.
    void staleChanged(bool stale);

private:
    int startShow();
    int startStdin();
    int startOla();
    int play(std::unique_ptr<ShowSource> source);
    void startDurationTimer();
    // An input's message; its channel is shifted by the base address.
    void deliver(const HostMessage& message);
    // The channels sent a value other than 0 go back to 0 (unlit, as at load).
    void resetChannels();
    // A show starts playing (again): its time goes on from the last taken.
    void startPlayer();
    void captureFrame(qint64 playedMs, qint64 lengthMs);
    void stop();
    bool playsShow() const;
    QString frozenNote() const;
    void updateView();
    void updateControls();

    PluginFeed& m_feed;
    RunOutputs& m_outputs;
    ChannelTimeline& m_timeline;
    ChannelRouter m_router;
    InputChoice m_choice;
    const PlayRules m_rules;
    QPointer<MainWindow> m_view;
    std::unique_ptr<ShowPlayer> m_player;
    std::unique_ptr<LiveInput> m_live;
    const ShowFile* m_stream = nullptr;  // owned by m_player: standard input, for its line count
    QString m_showName;                  // "demo" or the show file's name
    QString m_inputError;                // why the input stopped, until another starts
    QTimer m_viewTimer;
    QTimer m_durationTimer;
    int m_status = 0;
    int m_skippedLines = 0;  // malformed lines a stream skipped, over the run
};

}  // namespace vexohost

#endif  // HOST_APP_INPUTCONTROL_H_
