// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_WIN32_PICTUREBOX_H_
#define PLATFORM_FORMS_WIN32_PICTUREBOX_H_

#include <memory>

#include "platform/forms/win32/control.h"
#include "platform/forms/win32/surface.h"

namespace forms {

// A windowed container with its own background and a two-pixel sunken
// border. Its child controls are placed relative to its inner top-left
// corner; it paints its own windowless children.
class PictureBox : public WindowedControl {
public:
    static constexpr ControlKind kKind = ControlKind::PictureBox;
    static constexpr int kBorder = 2;

    PictureBox(const ControlDesign& design, Surface& container);
    ~PictureBox() override;

    // The surface its children live on.
    Surface& canvas() const { return *m_surface; }

private:
    PictureBox(const ControlDesign& design, Surface& container, std::unique_ptr<Surface> surface);

    std::unique_ptr<Surface> m_surface;
};

}  // namespace forms

#endif  // PLATFORM_FORMS_WIN32_PICTUREBOX_H_
