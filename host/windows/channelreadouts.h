// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_WINDOWS_CHANNELREADOUTS_H_
#define HOST_WINDOWS_CHANNELREADOUTS_H_

#include <QColor>
#include <QPixmap>
#include <QStaticText>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>

#include "host/windows/sentvalues.h"

namespace vexohost {

// Nine read-only readouts in a row, one for each nimbo: the input channel
// that drives it (from the base address on), the value the host last sent
// it, and beside it the glow level the display shows, a bar of six steps, so
// a user can check the balloons against the console. A value out of 0..255
// is marked; one the display ignores leaves the bar where it was, as the
// balloon stays.
//
// They follow the values ten times a second while shown, as fast as anyone
// reads a number; a bar trails its balloon by 100 ms at most. Each tick says
// so (ticked()), so that the main window's other live views change in the
// same paint. Following compares the count of messages taken and repaints
// the readouts whose value or level changed, so the message path does
// nothing more than it does without them. What does not
// change (frames, channel labels) is drawn once into a picture, and the
// numbers 0..255 are laid out once, so a repaint draws a picture, a number
// and a bar per readout. GUI thread.
class ChannelReadouts : public QWidget {
    Q_OBJECT

public:
    // values: what the host sent; outlives the widget. base: the input
    // channel that arrives as channel 1.
    explicit ChannelReadouts(const SentValues& values, int base, QWidget* parent = nullptr);

    void setBase(int base);
    // Shows the values and levels as they are now, where they changed.
    void follow();
    // The values are the last a live universe sent before it went quiet:
    // drawn greyed until it sends again.
    void setStale(bool stale);
    // The nimbos' colours, for the glow bars (invalid: the style's highlight).
    void setColours(const std::array<QColor, SentValues::kChannels>& colours);
    bool isStale() const { return m_stale; }
    // What readout k (0..8) shows now: nothing until its channel was sent.
    std::optional<int32_t> shownValue(int k) const { return m_shown[size_t(k)].value; }
    // The glow level its bar shows, and whether its value is marked out of range.
    int shownLevel(int k) const { return m_shown[size_t(k)].level; }
    bool markedOutOfRange(int k) const;
    // The rectangle of readout k, for tests and for accessibility.
    QRect readoutRect(int k) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    // They followed on their own tick; what paints with them may follow now.
    void ticked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    // The frames and labels, for the widget's size, font, palette and base.
    void drawBackground();
    QRect numberRect(int k) const;
    QRect barRect(int k) const;

    const SentValues& m_sent;
    int m_base;
    bool m_stale = false;
    QTimer m_follow;
    uint64_t m_seenChanges = ~uint64_t(0);
    struct Shown {
        std::optional<int32_t> value;
        int level = 0;
        bool operator==(const Shown&) const = default;
    };
    std::array<Shown, SentValues::kChannels> m_shown{};
    std::array<QColor, SentValues::kChannels> m_colours{};
    QPixmap m_background;                    // empty until drawn for the current look
    mutable int m_lineHeight = -1;           // of the font, once measured
    std::array<QStaticText, 256> m_numbers;  // laid out on first use
};

}  // namespace vexohost

#endif  // HOST_WINDOWS_CHANNELREADOUTS_H_
