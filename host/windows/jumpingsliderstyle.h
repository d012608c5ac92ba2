// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_WINDOWS_JUMPINGSLIDERSTYLE_H_
#define HOST_WINDOWS_JUMPINGSLIDERSTYLE_H_

#include <QProxyStyle>

namespace vexohost {

// A click on a slider's groove moves the handle there, as in a media
// player, instead of a page towards it. Set on one slider, over the
// application's style. GUI thread.
class JumpingSliderStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        if (hint == SH_Slider_AbsoluteSetButtons) return Qt::LeftButton;
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

}  // namespace vexohost

#endif  // HOST_WINDOWS_JUMPINGSLIDERSTYLE_H_
