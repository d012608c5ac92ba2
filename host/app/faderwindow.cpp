#include "host/app/faderwindow.h"

#include <QGridLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>

namespace vexohost {

FaderWindow::FaderWindow(QWidget* parent) : QWidget(parent) {
    setWindowTitle(tr("Faders"));
    auto* grid = new QGridLayout(this);
    for (int k = 0; k < kChannels; ++k) {
        const int channel = kFirstChannel + k;
        auto* value = new QLabel(QStringLiteral("0"), this);
        value->setAlignment(Qt::AlignCenter);
        value->setMinimumWidth(value->fontMetrics().horizontalAdvance(QStringLiteral("255")) + 4);
        auto* slider = new QSlider(Qt::Vertical, this);
        slider->setRange(0, 255);
        slider->setPageStep(16);
        slider->setMinimumHeight(160);
        slider->setAccessibleName(tr("Channel %1").arg(channel));
        auto* name = new QLabel(QString::number(channel), this);
        name->setAlignment(Qt::AlignCenter);
        grid->addWidget(value, 0, k, Qt::AlignHCenter);
        grid->addWidget(slider, 1, k, Qt::AlignHCenter);
        grid->addWidget(name, 2, k, Qt::AlignHCenter);
        connect(slider, &QSlider::valueChanged, this, [this, value, channel](int v) {
            value->setNum(v);
            Q_EMIT messageDue(HostMessage::channelValue(channel, v));
        });
        m_sliders[size_t(k)] = slider;
        m_values[size_t(k)] = value;
    }
}

void FaderWindow::showValue(int channel, int value) {
    const int k = channel - kFirstChannel;
    if (k < 0 || k >= kChannels) return;
    QSlider* slider = m_sliders[size_t(k)];
    const QSignalBlocker block(slider);
    slider->setValue(value);
    m_values[size_t(k)]->setNum(value);
}

}  // namespace vexohost
