// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/app/channelreadouts.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>

namespace vexohost {
namespace {

// Ten times a second: numbers faster than that cannot be read, and each
// repaint of a window costs its flush to the screen.
constexpr int kFollowMs = 100;
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
    // Every pixel is painted from the background picture: nothing behind needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ChannelReadouts::setBase(int base) {
    m_base = base;
    m_background = QPixmap();
    update();
}

void ChannelReadouts::resizeEvent(QResizeEvent* event) {
    m_background = QPixmap();
    QWidget::resizeEvent(event);
}

void ChannelReadouts::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange) {
        m_background = QPixmap();
        for (QStaticText& number : m_numbers) number = QStaticText();
    }
    QWidget::changeEvent(event);
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
        // The number and the bar; the frame and label stay.
        update(numberRect(k) | barRect(k));
    }
}

QRect ChannelReadouts::numberRect(int k) const {
    const QRect cell = readoutRect(k).adjusted(2, 2, -2, -2);
    const int line = fontMetrics().height();
    return {cell.left(), cell.top() + 3 + line, cell.width(), line};
}

QRect ChannelReadouts::barRect(int k) const {
    const QRect cell = readoutRect(k).adjusted(2, 2, -2, -2);
    const int top = numberRect(k).bottom() + 4;
    return {cell.left() + 4, top, cell.width() - 8, std::max(3, cell.bottom() - 3 - top)};
}

void ChannelReadouts::drawBackground() {
    const qreal ratio = devicePixelRatioF();
    m_background = QPixmap(size() * ratio);
    m_background.setDevicePixelRatio(ratio);
    m_background.fill(palette().color(QPalette::Window));
    QPainter painter(&m_background);
    painter.setFont(font());
    const QPalette& colours = palette();
    for (int k = 0; k < SentValues::kChannels; ++k) {
        const QRect cell = readoutRect(k).adjusted(2, 2, -2, -2);
        painter.setPen(colours.color(QPalette::Mid));
        painter.setBrush(colours.base());
        painter.drawRect(cell.adjusted(0, 0, -1, -1));
        painter.setPen(colours.color(QPalette::PlaceholderText));
        painter.drawText(QRect(cell.left(), cell.top() + 2, cell.width(), fontMetrics().height()),
                         Qt::AlignCenter, tr("ch %1").arg(m_base + k));
    }
}

void ChannelReadouts::paintEvent(QPaintEvent* event) {
    if (m_background.isNull()) drawBackground();
    QPainter painter(this);
    painter.drawPixmap(event->rect(), m_background,
                       QRectF(event->rect().topLeft() * m_background.devicePixelRatio(),
                              event->rect().size() * m_background.devicePixelRatio()));
    const QPalette& colours = palette();
    painter.setPen(colours.color(QPalette::Text));
    for (int k = 0; k < SentValues::kChannels; ++k) {
        if (!event->rect().intersects(readoutRect(k))) continue;
        const std::optional<int32_t> value = m_shown[size_t(k)];
        const QRect number = numberRect(k);
        if (value && *value >= 0 && *value <= 255) {
            QStaticText& text = m_numbers[size_t(*value)];
            if (text.text().isEmpty()) {
                text.setText(QString::number(*value));
                text.setTextFormat(Qt::PlainText);
                text.prepare(QTransform(), font());
            }
            const QSizeF size = text.size();
            painter.drawStaticText(QPointF(number.left() + (number.width() - size.width()) / 2,
                                           number.top() + (number.height() - size.height()) / 2),
                                   text);
        } else {
            painter.drawText(number, Qt::AlignCenter, value ? QString::number(*value) : QStringLiteral("–"));
        }
        // The glow level: six steps side by side under the number.
        const int level = value ? glowLevel(*value) : 0;
        const QRect bar = barRect(k);
        const int step = bar.width() / kSteps, left = bar.left() + (bar.width() - step * kSteps) / 2;
        for (int s = 0; s < kSteps; ++s)
            painter.fillRect(QRect(left + s * step, bar.top(), step - 1, bar.height()),
                             s < level ? colours.highlight() : colours.window());
    }
}

}  // namespace vexohost
