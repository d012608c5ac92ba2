// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_QT_PICTUREBOX_H_
#define PLATFORM_FORMS_QT_PICTUREBOX_H_

#include "platform/forms/qt/windowedcontrol.h"

namespace forms {

// A windowed container with its own background and a two-pixel sunken
// border. Its child controls are placed relative to its inner top-left
// corner; it paints its own windowless children.
class PictureBox : public WindowedControl {
public:
    static constexpr ControlKind kKind = ControlKind::PictureBox;
    static constexpr int kBorder = 2;

    PictureBox(const ControlDesign& design, Canvas& container);
    ~PictureBox() override;

    // The surface its children live on; owned by the container of the box.
    Canvas& canvas() const { return *m_canvas; }

private:
    Canvas* m_canvas;
};

}  // namespace forms

#endif  // PLATFORM_FORMS_QT_PICTUREBOX_H_
