#include "host/app/channelreadouts.h"

#include <QPaintEvent>
#include <QPainter>

namespace vexohost {
namespace {

// About the display's frame rate: a faster readout would only cost repaints.
constexpr int kFollowMs = 40;
constexpr int kSteps = 6;

}  // namespace

int glowLevel(int32_t value) {
    if (value == 0) return 0;
    // The first bound the value is below gives its level; 210 and over is full glow.
    constexpr int32_t kBelow[] = {10, 60, 110, 160, 210};
    int level = 1;
    for (const int32_t bound : kBelow) {
        if (value < bound) return level;
        ++level;
    }
    return level;
}

ChannelReadouts::ChannelReadouts(const SentValues& values, int base, QWidget* parent)
    : QWidget(parent), m_sent(values), m_base(base) {
    setAccessibleName(tr("Channel values"));
    m_follow.setInterval(kFollowMs);
    connect(&m_follow, &QTimer::timeout, this, &ChannelReadouts::follow);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void ChannelReadouts::setBase(int base) {
    m_base = base;
    update();
}

QSize ChannelReadouts::minimumSizeHint() const {
    const QFontMetrics metrics = fontMetrics();
    const int cell = std::max(metrics.horizontalAdvance(QStringLiteral("ch 512")),
                              metrics.horizontalAdvance(QStringLiteral("255"))) +
                     12;
    return {SentValues::kChannels * cell, 2 * metrics.height() + 20};
}

QSize ChannelReadouts::sizeHint() const {
    return minimumSizeHint();
}

QRect ChannelReadouts::readoutRect(int k) const {
    const int w = width() / SentValues::kChannels;
    return {k * w, 0, w, height()};
}

void ChannelReadouts::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    follow();
    m_follow.start();
}

void ChannelReadouts::hideEvent(QHideEvent* event) {
    m_follow.stop();
    QWidget::hideEvent(event);
}

void ChannelReadouts::follow() {
    if (m_sent.changes() == m_seenChanges) return;
    m_seenChanges = m_sent.changes();
    for (int k = 0; k < SentValues::kChannels; ++k) {
        const std::optional<int32_t> value = m_sent.value(k + 1);
        if (value == m_shown[size_t(k)]) continue;
        m_shown[size_t(k)] = value;
        update(readoutRect(k));
    }
}

void ChannelReadouts::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QPalette& colours = palette();
    const QFontMetrics metrics = fontMetrics();
    for (int k = 0; k < SentValues::kChannels; ++k) {
        const QRect cell = readoutRect(k).adjusted(2, 2, -2, -2);
        if (!event->rect().intersects(cell)) continue;
        painter.setPen(colours.color(QPalette::Mid));
        painter.setBrush(colours.base());
        painter.drawRect(cell.adjusted(0, 0, -1, -1));
        const QRect label(cell.left(), cell.top() + 2, cell.width(), metrics.height());
        const QRect number(cell.left(), label.bottom() + 1, cell.width(), metrics.height());
        painter.setPen(colours.color(QPalette::PlaceholderText));
        painter.drawText(label, Qt::AlignCenter, tr("ch %1").arg(m_base + k));
        const std::optional<int32_t> value = m_shown[size_t(k)];
        painter.setPen(colours.color(QPalette::Text));
        painter.drawText(number, Qt::AlignCenter, value ? QString::number(*value) : QStringLiteral("–"));
        // The glow level: six steps side by side under the number.
        const int level = value ? glowLevel(*value) : 0;
        const int barTop = number.bottom() + 4, barHeight = std::max(3, cell.bottom() - 3 - barTop);
        const int inner = cell.width() - 8, step = inner / kSteps;
        for (int s = 0; s < kSteps; ++s) {
            const QRect segment(cell.left() + 4 + s * step + (inner - step * kSteps) / 2, barTop, step - 1,
                                barHeight);
            painter.fillRect(segment, s < level ? colours.highlight() : colours.window());
        }
    }
}

}  // namespace vexohost
