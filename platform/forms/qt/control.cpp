// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/control.h"

#include "platform/forms/controlbinding.h"
#include "platform/forms/qt/canvas.h"
#include "platform/forms/twips.h"

namespace forms {

Control::Control(const ControlDesign& design, Canvas& container)
    : m_spec(design),
      m_container(container),
      m_geometry(twipsToPixels(design.left, design.top, design.width, design.height)),
      m_visible(design.visible) {}

Control::~Control() = default;

void Control::setVisible(bool visible) {
    if (visible == m_visible) return;
    m_visible = visible;
    invalidate();
}

void Control::paint(QPainter&) const {}

void Control::setGeometry(const QRect& geometry) {
    if (geometry == m_geometry) return;
    invalidate();
    m_geometry = geometry;
    invalidate();
}

void Control::invalidate() const {
    m_container.invalidate(m_geometry);
}

void Control::raiseClick() {
    if (m_binding) m_binding->raiseClick(m_spec.index);
}

}  // namespace forms
