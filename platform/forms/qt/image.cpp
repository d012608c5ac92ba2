// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/image.h"

#include <QPainter>

namespace forms {

Image::Image(const ControlDesign& design, Canvas& container) : Control(design, container) {}

void Image::setPicture(const com::ComPtr<Picture>& picture) {
    if (picture == m_picture) return;
    invalidate();
    m_picture = picture;
    if (m_picture) {
        setGeometry(QRect(geometry().topLeft(), m_picture->size()));
    }
    invalidate();
}

void Image::paint(QPainter& painter) const {
    if (m_picture) painter.drawImage(geometry().topLeft(), m_picture->image());
}

}  // namespace forms
