// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_QT_LABEL_H_
#define PLATFORM_FORMS_QT_LABEL_H_

#include <QString>

#include "platform/forms/control.h"

namespace forms {

// Windowless static text, left-aligned from the top-left corner, wrapped at
// word boundaries within its width, painted on its container's background.
class Label : public Control {
public:
    static constexpr ControlKind kKind = ControlKind::Label;

    Label(const ControlDesign& design, Canvas& container);

    const QString& caption() const { return m_caption; }
    void setCaption(const QString& caption);

    void paint(QPainter& painter) const override;

private:
    QString m_caption;
};

}  // namespace forms

#endif  // PLATFORM_FORMS_QT_LABEL_H_
