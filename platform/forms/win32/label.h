// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_WIN32_LABEL_H_
#define PLATFORM_FORMS_WIN32_LABEL_H_

#include "platform/forms/win32/control.h"
#include "platform/forms/win32/text.h"

namespace forms {

// Windowless static text, left-aligned from the top-left corner, wrapped at
// word boundaries within its width, painted on its container's background.
class Label : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::Label;

    Label(const ControlDesign& design, Surface& container);

    const String& caption() const { return m_caption; }
    void setCaption(const String& caption);

    void paint(HDC__* dc) const override;

private:
    String m_caption;
};

}  // namespace forms

#endif  // PLATFORM_FORMS_WIN32_LABEL_H_
