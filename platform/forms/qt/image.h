// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_QT_IMAGE_H_
#define PLATFORM_FORMS_QT_IMAGE_H_

#include "platform/com/comptr.h"
#include "platform/forms/control.h"
#include "platform/forms/picture.h"

namespace forms {

// A windowless picture holder: shows its picture unscaled with the top-left
// corner at its place and takes the picture's pixel size; transparent pixels
// show whatever lies behind. Without a picture it keeps its size and shows
// nothing.
class Image : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::Image;

    Image(const ControlDesign& design, Canvas& container);

    // The shown picture, shared with every other holder of it; empty when none.
    const com::ComPtr<Picture>& picture() const { return m_picture; }
    // Shows picture (AddRef'ed, never copied); an empty reference clears the
    // image. Only stores the reference and schedules a repaint of the area:
    // no allocation, no file, no decoding, no painting.
    void setPicture(const com::ComPtr<Picture>& picture);

    void paint(QPainter& painter) const override;

private:
    com::ComPtr<Picture> m_picture;
};

}  // namespace forms

#endif  // PLATFORM_FORMS_QT_IMAGE_H_
