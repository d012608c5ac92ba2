// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/windows/mainwindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <limits>

#include "host/input/universe.h"
#include "host/session/hostclasses.h"
#include "host/timeline/timelinepane.h"
#include "host/windows/channelreadouts.h"
#include "host/windows/filechoosers.h"
#include "host/windows/jumpingsliderstyle.h"
#include "host/windows/livechooser.h"
#include "host/windows/recordingnote.h"
#include "host/windows/statustext.h"

namespace vexohost {
namespace {

constexpr int kStepMs = 5000;
constexpr double kSpeeds[] = {0.25, 0.5, 1.0, 2.0, 4.0};

QString speedText(double speed) {
    return QString::number(speed) + QStringLiteral("×");
}

}  // namespace

MainWindow::MainWindow(const SentValues& values, QWidget* parent) : QWidget(parent) {
    setWindowTitle(QString::fromLatin1(kHostTitle));
    auto* column = new QVBoxLayout(this);
    // Everything in it is always seen whole: the window cannot be made smaller than its contents.
    column->setSizeConstraint(QLayout::SetMinimumSize);

    m_name = new QLabel(this);
    m_name->setTextFormat(Qt::PlainText);
    QFont bold = m_name->font();
    bold.setBold(true);
    m_name->setFont(bold);
    m_status = new QLabel(tr("Starting"), this);
    m_status->setTextFormat(Qt::PlainText);
    m_status->setWordWrap(true);
    m_failures = new QLabel(this);
    m_failures->setTextFormat(Qt::PlainText);
    m_failures->setWordWrap(true);
    // Dark red, readable on the window's background in a light or a dark style.
    QPalette failurePalette = m_failures->palette();
    const bool dark = failurePalette.color(QPalette::Window).lightness() < 128;
    failurePalette.setColor(QPalette::WindowText, dark ? QColor(255, 120, 110) : QColor(170, 0, 0));
    m_failures->setPalette(failurePalette);
    m_failures->hide();
    m_readouts = new ChannelReadouts(values, 1, this);
    connect(m_readouts, &ChannelReadouts::ticked, this, &MainWindow::readoutsTicked);
    column->addWidget(m_name);
    column->addWidget(m_status);
    column->addWidget(m_failures);
    column->addWidget(m_readouts);

    // The nine channels over time: a show's whole part (the wheel zooms), or
    // the last seconds of a live input.
    auto* timelineRow = new QHBoxLayout;
    m_showTimeline = new QCheckBox(tr("Timeline"), this);
    m_showTimeline->setChecked(true);
    m_showTimeline->setToolTip(tr("Show the nine channels over time"));
    auto* wholeShow = m_wholeShow = new QPushButton(tr("Whole show"), this);
    wholeShow->setToolTip(tr("See the whole part played again (the mouse wheel zooms in the timeline)"));
    auto* liveWindow = m_liveWindow = new QComboBox(this);
    liveWindow->setAccessibleName(tr("Live timeline"));
    liveWindow->setToolTip(tr("How much of a live input the timeline shows"));
    for (const auto& [text, ms] : {std::pair{tr("last 10 s"), 10000}, std::pair{tr("last 60 s"), 60000},
                                   std::pair{tr("last 10 min"), 600000}})
        liveWindow->addItem(text, ms);
    liveWindow->setCurrentIndex(1);
    timelineRow->addWidget(m_showTimeline);
    timelineRow->addStretch(1);
    timelineRow->addWidget(wholeShow);
    timelineRow->addWidget(liveWindow);
    m_timeline = new TimelinePane(this);
    column->addLayout(timelineRow);
    // Room the window is given beyond its contents goes to the timeline.
    column->addWidget(m_timeline, 1);
    connect(m_timeline, &TimelinePane::seekRequested, this, &MainWindow::seekRequested);
    connect(wholeShow, &QPushButton::clicked, m_timeline, &TimelinePane::showWholePart);
    connect(m_showTimeline, &QCheckBox::toggled, this, [this](bool shown) {
        setTimelineShown(shown);
        Q_EMIT timelineShownChanged(shown);
    });
    connect(liveWindow, &QComboBox::activated, this, [this, liveWindow](int index) {
        Q_EMIT liveWindowChanged(liveWindow->itemData(index).toLongLong());
    });

    // The show: open, play or pause, where it stands, loop, speed.
    auto* show = new QHBoxLayout;
    m_open = new QPushButton(tr("Open…"), this);
    m_open->setToolTip(tr("Open a show or a recording (Ctrl+O)"));
    m_play = new QPushButton(tr("Pause"), this);
    m_play->setToolTip(tr("Play or pause the show (Space)"));
    m_position = new QSlider(Qt::Horizontal, this);
    m_position->setAccessibleName(tr("Position"));
    m_position->setToolTip(tr("Where the show stands (Left and Right: 5 s back or on)"));
    m_position->setSingleStep(kStepMs);
    m_position->setPageStep(6 * kStepMs);
    m_position->setMinimumWidth(160);
    auto* jumping = new JumpingSliderStyle;  // on the application's style
    jumping->setParent(m_position);
    m_position->setStyle(jumping);
    m_time = new QLineEdit(clockTime(0), this);
    m_time->setAccessibleName(tr("Go to"));
    m_time->setToolTip(
        tr("Where the show stands, and its length (its last moment, held for a second); "
           "type a time (M:SS.mmm) and Return to go there"));
    m_time->setMinimumWidth(m_time->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00 / 00:00:00")) +
                            12);
    connect(m_time, &QLineEdit::returnPressed, this, [this] {
        if (const std::optional<int64_t> ms = parseClockTime(m_time->text().section(QLatin1Char('/'), 0, 0)))
            Q_EMIT seekRequested(*ms);
        m_time->clearFocus();
    });
    m_loop = new QCheckBox(tr("Loop"), this);
    m_speed = new QComboBox(this);
    m_speed->setAccessibleName(tr("Speed"));
    for (const double speed : kSpeeds) m_speed->addItem(speedText(speed), speed);
    m_speed->setCurrentIndex(2);
    show->addWidget(m_open);
    show->addWidget(m_play);
    show->addWidget(m_position, 1);
    show->addWidget(m_time);
    show->addWidget(m_loop);
    show->addWidget(m_speed);
    column->addLayout(show);

    // A live universe from olad, and the base address every input is shifted by.
    auto* live = new QHBoxLayout;
    m_live = new LiveChooser(this);
    m_base = new QSpinBox(this);
    m_base->setRange(1, kUniverseSize);
    m_base->setAccessibleName(tr("Base address"));
    m_base->setToolTip(tr("The input channel that drives the first nimbo"));
    auto* baseLabel = new QLabel(tr("Base address"), this);
    baseLabel->setBuddy(m_base);
    live->addWidget(m_live, 1);
    live->addSpacing(12);
    live->addWidget(baseLabel);
    live->addWidget(m_base);
    column->addLayout(live);

    auto* buttons = new QHBoxLayout;
    auto add = [&](const QString& text, void (MainWindow::*signal)()) {
        auto* button = new QPushButton(text, this);
        button->setAutoDefault(true);  // Return clicks the button that has focus
        buttons->addWidget(button);
        connect(button, &QPushButton::clicked, this, signal);
    };
    add(tr("Configure…"), &MainWindow::configureRequested);
    add(tr("Show display"), &MainWindow::showDisplayRequested);
    add(tr("Faders"), &MainWindow::fadersRequested);
    m_record = new QPushButton(tr("Record…"), this);
    m_record->setAutoDefault(true);
    m_record->setToolTip(tr("Record the display from now on, as an animated GIF or WebP"));
    buttons->addWidget(m_record);
    m_recordingNote = new RecordingNote(this);
    buttons->addWidget(m_recordingNote);
    connect(m_record, &QPushButton::clicked, this, [this] {
        if (m_recording)
            Q_EMIT stopRecordingRequested();
        else
            chooseRecordFile();
    });
    buttons->addStretch(1);
    add(tr("Quit"), &MainWindow::quitRequested);
    column->addLayout(buttons);

    connect(m_open, &QPushButton::clicked, this, &MainWindow::chooseShowFile);
    connect(m_play, &QPushButton::clicked, this, &MainWindow::playPauseRequested);
    // Keys on the slider seek at once; a click or a drag seeks where the
    // handle is let go, and the time follows the handle meanwhile.
    connect(m_position, &QSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove) Q_EMIT seekRequested(m_position->sliderPosition());
    });
    connect(m_position, &QSlider::sliderMoved, this, &MainWindow::showTime);
    connect(m_position, &QSlider::sliderReleased, this,
            [this] { Q_EMIT seekRequested(m_position->sliderPosition()); });
    connect(m_loop, &QCheckBox::toggled, this, &MainWindow::loopChanged);
    connect(m_speed, &QComboBox::activated, this,
            [this](int index) { Q_EMIT speedChanged(m_speed->itemData(index).toDouble()); });
    connect(m_live, &LiveChooser::connectRequested, this, &MainWindow::connectRequested);
    connect(m_live, &LiveChooser::disconnectRequested, this, &MainWindow::disconnectRequested);
    connect(m_base, &QSpinBox::valueChanged, this, [this](int base) {
        m_readouts->setBase(base);
        Q_EMIT baseChanged(base);
    });
    for (QPushButton* button : {m_open, m_play}) button->setAutoDefault(true);

    // The player's keys act in every window of the program that is not
    // blocked by a dialog, whatever has focus, except that a text field
    // keeps the keys it edits with.
    auto key = [this](const QKeySequence& keys, auto slot) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::ApplicationShortcut);
        connect(shortcut, &QShortcut::activated, this, slot);
    };
    // Space: play or pause a show, or make a live input's timeline stand still.
    key(QKeySequence(Qt::Key_Space), &MainWindow::playPauseRequested);
    key(QKeySequence(Qt::Key_Left), [this] {
        if (m_position->isEnabled()) Q_EMIT stepRequested(-kStepMs);
    });
    key(QKeySequence(Qt::Key_Right), [this] {
        if (m_position->isEnabled()) Q_EMIT stepRequested(kStepMs);
    });
    // The timeline's zoom: +, - and 0 for the whole part.
    for (const int in : {Qt::Key_Plus, Qt::Key_Equal})
        key(QKeySequence(in), [this] { m_timeline->zoomBy(0.5); });
    key(QKeySequence(Qt::Key_Minus), [this] { m_timeline->zoomBy(2.0); });
    key(QKeySequence(Qt::Key_Period), [this] { Q_EMIT changeRequested(true); });
    key(QKeySequence(Qt::Key_Comma), [this] { Q_EMIT changeRequested(false); });
    key(QKeySequence(Qt::Key_0), [this] { m_timeline->showWholePart(); });
    key(QKeySequence::Open, &MainWindow::chooseShowFile);
    key(QKeySequence(Qt::CTRL | Qt::Key_Q), &MainWindow::quitRequested);

    setShowControls(false, false, 0);
    m_open->setFocus();
}

void MainWindow::setInputName(const QString& name) {
    m_inputName = name;
    // "● " before it while a recording runs.
    QString title = QString::fromLatin1(kHostTitle);
    if (!name.isEmpty()) title += QStringLiteral(" – ") + name;
    if (m_recording) title.prepend(QStringLiteral("● "));
    if (windowTitle() != title) setWindowTitle(title);
}

MainWindow::~MainWindow() = default;

void MainWindow::setPluginName(const QString& name, const QString& description) {
    m_name->setText(description.isEmpty() ? name : name + QStringLiteral(" — ") + description);
}

void MainWindow::setStatus(const QString& status) {
    if (m_status->text() != status) m_status->setText(status);
}

QString MainWindow::status() const {
    return m_status->text();
}

void MainWindow::setFailures(const QString& text) {
    if (m_failures->text() != text) m_failures->setText(text);
    m_failures->setVisible(!text.isEmpty());
}

QString MainWindow::failures() const {
    return m_failures->text();
}

void MainWindow::setTimelineShown(bool shown) {
    const QSignalBlocker block(m_showTimeline);
    m_showTimeline->setChecked(shown);
    if (shown != m_timeline->isHidden()) return;
    // The window grows or shrinks by the pane, so that nothing moves and no
    // gap is left; shown again, the pane has at least its own height.
    const int pane = shown ? std::max(m_paneHeight, m_timeline->sizeHint().height()) : m_timeline->height();
    if (!shown) m_paneHeight = m_timeline->height();
    for (QWidget* part : {static_cast<QWidget*>(m_timeline), static_cast<QWidget*>(m_wholeShow),
                          static_cast<QWidget*>(m_liveWindow)})
        part->setVisible(shown);
    if (!isVisible()) return;
    // The smallest size counts the pane or not from here on.
    layout()->activate();
    resize(width(), height() + (shown ? 1 : -1) * (pane + layout()->spacing()));
}

void MainWindow::setShowControls(bool enabled, bool seekable, int64_t lengthMs) {
    // A show's timeline zooms.
    m_wholeShow->setEnabled(seekable);
    m_play->setEnabled(enabled);
    m_loop->setEnabled(enabled && seekable);
    m_speed->setEnabled(enabled);
    m_position->setEnabled(enabled && seekable && lengthMs > 0);
    const QSignalBlocker block(m_position);
    m_position->setRange(0, int(std::clamp<int64_t>(lengthMs, 0, std::numeric_limits<int>::max())));
    m_time->setEnabled(enabled && seekable && lengthMs > 0);
    if (!enabled) m_time->clear();
}

void MainWindow::setPosition(int64_t ms) {
    if (!m_position->isSliderDown()) {
        const QSignalBlocker block(m_position);
        m_position->setValue(int(std::clamp<int64_t>(ms, 0, std::numeric_limits<int>::max())));
    }
    if (!m_position->isSliderDown())
        showTime(int(std::clamp<int64_t>(ms, 0, std::numeric_limits<int>::max())));
}

void MainWindow::showTime(int ms) {
    QString text = clockTime(ms);
    if (m_position->maximum() > 0) text += QStringLiteral(" / ") + clockTime(m_position->maximum());
    if (m_time->text() != text && !m_time->hasFocus()) m_time->setText(text);
}

void MainWindow::setLiveTrace(bool live) {
    m_liveWindow->setEnabled(live);
}

void MainWindow::setPlaying(bool playing) {
    m_play->setText(playing ? tr("Pause") : tr("Play"));
}

void MainWindow::setLoop(bool loop) {
    const QSignalBlocker block(m_loop);
    m_loop->setChecked(loop);
}

void MainWindow::setSpeed(double speed) {
    int index = m_speed->findData(speed);
    if (index < 0) {
        m_speed->addItem(speedText(speed), speed);
        index = m_speed->count() - 1;
    }
    m_speed->setCurrentIndex(index);
}

void MainWindow::setLive(unsigned universe, const QString& server, bool connected) {
    m_live->setLive(universe, server, connected);
}

void MainWindow::setBase(int base) {
    const QSignalBlocker block(m_base);
    m_base->setValue(base);
    m_readouts->setBase(base);
}

void MainWindow::setStale(bool stale) {
    m_readouts->setStale(stale);
}

void MainWindow::setColours(const std::array<QColor, SentValues::kChannels>& colours) {
    m_readouts->setColours(colours);
}

void MainWindow::setLastShowFile(const QString& path) {
    m_lastShowFile = path;
}

void MainWindow::setRecording(bool recording, const QString& path, bool stoppable) {
    m_recording = recording;
    if (recording)
        m_recordingNote->start(path);
    else
        m_recordingNote->stop();
    setInputName(m_inputName);
    m_record->setText(recording ? tr("Stop recording") : tr("Record…"));
    m_record->setEnabled(!recording || stoppable);
    m_record->setToolTip(recording ? tr("Recording %1").arg(path)
                                   : tr("Record the display from now on, as an animated GIF or WebP"));
}

void MainWindow::chooseRecordFile() {
    if (const QString path = vexohost::chooseRecordFile(this, m_lastShowFile); !path.isEmpty())
        Q_EMIT recordRequested(path);
}

void MainWindow::chooseShowFile() {
    if (const QString path = vexohost::chooseShowFile(this, m_lastShowFile); !path.isEmpty())
        Q_EMIT openRequested(path);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    Q_EMIT quitRequested();
}

}  // namespace vexohost
