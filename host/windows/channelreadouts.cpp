// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/windows/channelreadouts.h"

#include <QEvent>
#include <QHelpEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QToolTip>

namespace vexohost {
namespace {

constexpr int kSteps = 6;
constexpr int kFollowMs = 100;

bool outOfRange(std::optional<int32_t> value) {
    return value && (*value < 0 || *value > 255);
}

// A frame of whole device pixels, filled: a line one pixel wide at a scale
// of 1.5 would come out one or two pixels thick by turns.
void drawFrame(QPainter& painter, const QRect& rect, qreal ratio, const QColor& line, const QBrush& fill) {
    painter.save();
    painter.setWorldTransform(QTransform::fromScale(1 / ratio, 1 / ratio));
    const QRect device(
        QPoint(qRound(rect.left() * ratio), qRound(rect.top() * ratio)),
        QPoint(qRound((rect.right() + 1) * ratio) - 1, qRound((rect.bottom() + 1) * ratio) - 1));
    const int width = std::max(1, int(ratio));
    painter.fillRect(device, line);
    painter.fillRect(device.adjusted(width, width, -width, -width), fill);
    painter.restore();
}

}  // namespace

ChannelReadouts::ChannelReadouts(const SentValues& values, int base, QWidget* parent)
    : QWidget(parent), m_sent(values), m_base(base) {
    setAccessibleName(tr("Channel values"));
    connect(&m_follow, &QTimer::timeout, this, [this] {
        follow();
        Q_EMIT ticked();
    });
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // Every pixel is painted from the background picture: nothing behind needs painting first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void ChannelReadouts::setBase(int base) {
    m_base = base;
    m_background = QPixmap();
    update();
}

void ChannelReadouts::setStale(bool stale) {
    if (stale == m_stale) return;
    m_stale = stale;
    update();
}

void ChannelReadouts::resizeEvent(QResizeEvent* event) {
    m_background = QPixmap();
    QWidget::resizeEvent(event);
}

void ChannelReadouts::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::PaletteChange) {
        m_background = QPixmap();
        m_lineHeight = -1;
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
    m_follow.start(kFollowMs);
}

void ChannelReadouts::hideEvent(QHideEvent* event) {
    m_follow.stop();
    QWidget::hideEvent(event);
}

void ChannelReadouts::follow() {
    if (m_sent.changes() == m_seenChanges) return;
    m_seenChanges = m_sent.changes();
    for (int k = 0; k < SentValues::kChannels; ++k) {
        const Shown now{m_sent.value(k + 1), m_sent.level(k + 1)};
        if (now == m_shown[size_t(k)]) continue;
        m_shown[size_t(k)] = now;
        // The number and the bar; the frame and label stay.
        update(numberRect(k) | barRect(k));
    }
}

QRect ChannelReadouts::numberRect(int k) const {
    const QRect cell = readoutRect(k).adjusted(2, 2, -2, -2);
    // A paint asks for it nine times over: the font's height is measured once.
    if (m_lineHeight < 0) m_lineHeight = fontMetrics().height();
    return {cell.left(), cell.top() + 3 + m_lineHeight, cell.width(), m_lineHeight};
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
        drawFrame(painter, cell, ratio, colours.color(QPalette::Mid), colours.base());
        painter.setPen(colours.color(QPalette::PlaceholderText));
        painter.drawText(QRect(cell.left(), cell.top() + 2, cell.width(), fontMetrics().height()),
                         Qt::AlignCenter, tr("ch %1").arg(m_base + k));
    }
}

void ChannelReadouts::paintEvent(QPaintEvent* event) {
    if (m_background.isNull()) drawBackground();
    QPainter painter(this);
    // Part by part: the bounding rectangle of nine small changes is the whole
    // widget, and a blit that large goes to Qt's thread pool.
    const qreal ratio = m_background.devicePixelRatio();
    for (const QRect& part : event->region())
        painter.drawPixmap(
            part.topLeft(), m_background,
            QRectF(QPointF(part.topLeft()) * ratio, QSizeF(part.size()) * ratio).toAlignedRect());
    const QPalette& colours = palette();
    for (int k = 0; k < SentValues::kChannels; ++k) {
        if (!event->rect().intersects(readoutRect(k))) continue;
        const std::optional<int32_t> value = m_shown[size_t(k)].value;
        const QRect number = numberRect(k);
        const QColor text = colours.color(m_stale ? QPalette::PlaceholderText : QPalette::Text);
        if (value && !outOfRange(value)) {
            painter.setPen(text);
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
        } else if (value) {
            // Out of range: in the colour of a warning, with a mark.
            painter.setPen(QColor(0xd0, 0x20, 0x20));
            painter.drawText(number, Qt::AlignCenter, QString::number(*value) + QStringLiteral(" ⚠"));
        } else {
            painter.setPen(text);
            painter.drawText(number, Qt::AlignCenter, QStringLiteral("–"));
        }
        // The glow level: six steps side by side under the number.
        const int level = m_shown[size_t(k)].level;
        const QRect bar = barRect(k);
        const int step = bar.width() / kSteps, left = bar.left() + (bar.width() - step * kSteps) / 2;
        // Plain colours: a brush made for each step would be allocated each time.
        const QColor lit = m_stale                          ? colours.mid().color()
                           : m_colours[size_t(k)].isValid() ? m_colours[size_t(k)]
                                                            : colours.highlight().color();
        const QColor unlit = colours.window().color();
        for (int s = 0; s < kSteps; ++s)
            painter.fillRect(QRect(left + s * step, bar.top(), step - 1, bar.height()),
                             s < level ? lit : unlit);
    }
}

void ChannelReadouts::setColours(const std::array<QColor, SentValues::kChannels>& colours) {
    if (colours == m_colours) return;
    m_colours = colours;
    update();
}

bool ChannelReadouts::markedOutOfRange(int k) const {
    return outOfRange(m_shown[size_t(k)].value);
}

bool ChannelReadouts::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip) return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    for (int k = 0; k < SentValues::kChannels; ++k) {
        if (!readoutRect(k).contains(help->pos())) continue;
        const Shown& shown = m_shown[size_t(k)];
        QString text;
        if (!shown.value)
            text = tr("channel %1: nothing sent yet").arg(m_base + k);
        else if (glowLevel(*shown.value) < 0)
            text = tr("channel %1: %2 is out of range (0 to 255); the nimbo stays at glow %3")
                       .arg(m_base + k)
                       .arg(*shown.value)
                       .arg(shown.level);
        else
            text = tr("channel %1: %2, glow %3%4")
                       .arg(m_base + k)
                       .arg(*shown.value)
                       .arg(shown.level)
                       .arg(outOfRange(shown.value) ? tr(" (out of range, shown as 1..9)") : QString());
        QToolTip::showText(help->globalPos(), text, this, readoutRect(k));
        return true;
    }
    QToolTip::hideText();
    event->ignore();
    return true;
}

}  // namespace vexohost
