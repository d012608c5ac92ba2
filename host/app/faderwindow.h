#ifndef HOST_APP_FADERWINDOW_H_
#define HOST_APP_FADERWINDOW_H_

#include <QWidget>
#include <array>

#include "host/input/hostmessage.h"

class QLabel;
class QSlider;

namespace vexohost {

// A console of faders for channels 0..9: moving one sends its value.
class FaderWindow : public QWidget {
    Q_OBJECT

public:
    static constexpr int kFirstChannel = 0;
    static constexpr int kChannels = 10;

    explicit FaderWindow(QWidget* parent = nullptr);

    // Moves a fader without sending a value (to show values from other inputs).
    void showValue(int channel, int value);

Q_SIGNALS:
    // A fader moved: message 15 for its channel with its new value.
    void messageDue(const vexohost::HostMessage& message);

private:
    std::array<QSlider*, kChannels> m_sliders{};  // owned by this widget through Qt parents
    std::array<QLabel*, kChannels> m_values{};
};

}  // namespace vexohost

#endif  // HOST_APP_FADERWINDOW_H_
