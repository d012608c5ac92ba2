// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_WINDOWS_FADERWINDOW_H_
#define HOST_WINDOWS_FADERWINDOW_H_

#include <QTimer>
#include <QWidget>
#include <array>
#include <functional>

#include "host/input/hostmessage.h"
#include "host/windows/sentvalues.h"

class QLabel;
class QSlider;

namespace vexohost {

// A console of nine faders, one per nimbo, left to right as the nimbos
// stand. Each is labelled with the input channel it stands for (from the
// base address on) and the nimbo's colour as the display shows it, and
// stands at the value its channel last had from any input, so the faders
// never disagree with the display. Moving a fader sends its value to the
// nimbo's channel as the plug-in numbers it; an input that sends the channel
// again takes it back. Escape closes the window. GUI thread.
class FaderWindow : public QWidget {
    Q_OBJECT

public:
    // values: what the host sent; outlives the window. base: the input
    // channel that arrives as channel 1.
    FaderWindow(const SentValues& values, int base, QWidget* parent = nullptr);

    // The nimbos' colours, for the swatches (invalid: not named yet).
    void setColours(const std::array<QColor, SentValues::kChannels>& colours);
    // Labels the faders from another base address on.
    void setBase(int base);
    // The values are a live universe's last before it went quiet: the
    // labels are greyed until it sends again.
    void setStale(bool stale);

Q_SIGNALS:
    // A fader moved: message 15 for its nimbo's channel 1..9 with its new value.
    void messageDue(const vexohost::HostMessage& message);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void follow();

    const SentValues& m_sent;
    std::array<QSlider*, SentValues::kChannels> m_sliders{};  // owned by this widget through Qt parents
    std::array<QLabel*, SentValues::kChannels> m_values{};
    std::array<QLabel*, SentValues::kChannels> m_swatches{};
    std::array<QLabel*, SentValues::kChannels> m_names{};
    QTimer m_follow;  // while shown
    uint64_t m_seenChanges = ~uint64_t(0);
};

}  // namespace vexohost

#endif  // HOST_WINDOWS_FADERWINDOW_H_
