// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/windows/faderwindow.h"

#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QShortcut>
#include <QSignalBlocker>
#include <QSlider>

namespace vexohost {
namespace {

// The faders follow the inputs at about the display's frame rate.
constexpr int kFollowMs = 40;

}  // namespace

FaderWindow::FaderWindow(const SentValues& values, int base, QWidget* parent)
    : QWidget(parent), m_sent(values) {
    setWindowTitle(tr("Faders"));
    auto* grid = new QGridLayout(this);
    for (int k = 0; k < SentValues::kChannels; ++k) {
        const int channel = k + 1;                            // as the plug-in gets it
        auto* value = new QLabel(QStringLiteral("–"), this);  // as the readouts, until the channel is sent
        value->setAlignment(Qt::AlignCenter);
        value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("255")) + 4);
        auto* slider = new QSlider(Qt::Vertical, this);
        slider->setRange(0, 255);
        slider->setPageStep(16);
        slider->setMinimumHeight(160);
        auto* swatch = new QLabel(this);
        swatch->setFixedSize(24, 12);
        swatch->setFrameShape(QFrame::Box);
        auto* name = new QLabel(this);
        name->setAlignment(Qt::AlignCenter);
        grid->addWidget(value, 0, k, Qt::AlignHCenter);
        grid->addWidget(slider, 1, k, Qt::AlignHCenter);
        grid->addWidget(swatch, 2, k, Qt::AlignHCenter);
        grid->addWidget(name, 3, k, Qt::AlignHCenter);
        connect(slider, &QSlider::valueChanged, this, [this, value, channel](int v) {
            value->setNum(v);
            Q_EMIT messageDue(HostMessage::channelValue(channel, v));
        });
        m_sliders[size_t(k)] = slider;
        m_values[size_t(k)] = value;
        m_swatches[size_t(k)] = swatch;
        m_names[size_t(k)] = name;
    }
    setBase(base);
    // Escape closes the window, as it closes a dialog.
    auto* close = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(close, &QShortcut::activated, this, &QWidget::close);
    m_follow.setInterval(kFollowMs);
    connect(&m_follow, &QTimer::timeout, this, &FaderWindow::follow);
}

void FaderWindow::setBase(int base) {
    for (int k = 0; k < SentValues::kChannels; ++k) {
        const int input = base + k;  // as an input sends it
        m_sliders[size_t(k)]->setAccessibleName(tr("Nimbo %1, channel %2").arg(k + 1).arg(input));
        m_names[size_t(k)]->setText(tr("ch %1").arg(input));
    }
}

void FaderWindow::setStale(bool stale) {
    for (QLabel* value : m_values) value->setEnabled(!stale);
}

void FaderWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    follow();
    m_follow.start();
}

void FaderWindow::hideEvent(QHideEvent* event) {
    m_follow.stop();
    QWidget::hideEvent(event);
}

void FaderWindow::follow() {
    if (m_sent.changes() == m_seenChanges) return;
    m_seenChanges = m_sent.changes();
    for (int k = 0; k < SentValues::kChannels; ++k) {
        const std::optional<int32_t> value = m_sent.value(k + 1);
        QSlider* slider = m_sliders[size_t(k)];
        const QSignalBlocker block(slider);
        slider->setValue(value.value_or(0));
        // Nothing sent since the input started: "–", as the readouts say.
        if (value)
            m_values[size_t(k)]->setNum(*value);
        else
            m_values[size_t(k)]->setText(QStringLiteral("–"));
    }
}

void FaderWindow::setColours(const std::array<QColor, SentValues::kChannels>& colours) {
    for (int k = 0; k < SentValues::kChannels; ++k)
        if (const QColor& colour = colours[size_t(k)]; colour.isValid())
            m_swatches[size_t(k)]->setStyleSheet(QStringLiteral("background-color: %1").arg(colour.name()));
}

}  // namespace vexohost
