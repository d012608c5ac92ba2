// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_QT_CANVAS_H_
#define PLATFORM_FORMS_QT_CANVAS_H_

#include <QColor>
#include <QRect>
#include <QWidget>
#include <vector>

namespace forms {

class Control;

// A widget that paints a background, an optional sunken border and the
// windowless controls placed on it (Image, Shape, Label): the client area of
// a form or the inside of a PictureBox. Control places are relative to the
// inner top-left corner, inside the border.
//
// Repaints are coalesced: invalidate() only grows a dirty rectangle and, the
// first time, posts one flush to itself, which hands the whole rectangle to
// QWidget::update. A hidden canvas ignores invalidate() altogether, so
// changing controls on a hidden window costs no allocation and no painting.
// On a visible canvas the first invalidate() after a flush allocates the one
// posted event (Qt's event queue owns and frees it), and the flush's update()
// leaves the painting to Qt's next paint pass; every further invalidate()
// before that flush only grows the rectangle. GUI thread only.
class Canvas : public QWidget {
public:
    // parent: the Qt parent, which owns the canvas; null for a window.
    explicit Canvas(QWidget* parent);
    ~Canvas() override;

    void setBackground(const QColor& color);
    // Width in pixels of the sunken frame drawn at the edge; 0 for none.
    void setBorder(int width);
    QPoint origin() const { return QPoint(m_border, m_border); }

    // The windowless controls to paint, from back to front; not owned.
    void addPainted(Control* control);
    void clearPainted();

    // Schedules a repaint of rect (inner coordinates), or does nothing when hidden.
    void invalidate(const QRect& rect) {
        if (!isVisible() || rect.isEmpty()) return;
        invalidateVisible(rect);
    }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    void invalidateVisible(const QRect& rect);
    void paintBorder(QPainter& painter) const;

    std::vector<Control*> m_painted;
    QColor m_background;
    int m_border = 0;
    QRect m_dirty;
    bool m_flushPosted = false;
};

}  // namespace forms

#endif  // PLATFORM_FORMS_QT_CANVAS_H_
