// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QImage>
#include <QScreen>
#include <algorithm>
#include <string>

#include "platform/com/runtimeerror.h"
#include "platform/forms/combobox.h"
#include "platform/forms/commandbutton.h"
#include "platform/forms/controlbinding.h"
#include "platform/forms/formrules.h"
#include "platform/forms/image.h"
#include "platform/forms/label.h"
#include "platform/forms/picturebox.h"
#include "platform/forms/qt/color.h"
#include "platform/forms/qt/formwidget.h"
#include "platform/forms/shape.h"
#include "platform/forms/twips.h"

namespace forms {
namespace {

QString qString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::unique_ptr<Control> makeControl(const ControlDesign& design, Canvas& container) {
    switch (design.kind) {
        case ControlKind::Image:
            return std::make_unique<Image>(design, container);
        case ControlKind::Shape:
            return std::make_unique<Shape>(design, container);
        case ControlKind::ComboBox:
            return std::make_unique<ComboBox>(design, container);
        case ControlKind::CommandButton:
            return std::make_unique<CommandButton>(design, container);
        case ControlKind::PictureBox:
            return std::make_unique<PictureBox>(design, container);
        case ControlKind::Label:
            return std::make_unique<Label>(design, container);
    }
    return nullptr;
}

// A window shown for the first time that nobody placed stands centred over
// the active window (or on the primary screen), wholly on the screen's
// available area as far as its size allows, rather than wherever a window
// manager puts it: partly off the screen, or under another window.
void placeOnScreen(QWidget& window) {
    if (window.testAttribute(Qt::WA_Moved)) return;
    const QWidget* over = QApplication::activeWindow();
    QScreen* screen = over ? over->screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    // The frame a window manager adds, until the window has one to ask.
    const QMargins frame(4, 28, 4, 4);
    QRect framed(QPoint(0, 0), window.size().grownBy(frame));
    framed.moveCenter(over ? over->frameGeometry().center() : area.center());
    framed.moveLeft(std::max(area.left(), std::min(framed.left(), area.right() + 1 - framed.width())));
    framed.moveTop(std::max(area.top(), std::min(framed.top(), area.bottom() + 1 - framed.height())));
    window.move(framed.topLeft());
}

}  // namespace

Form::Form(const FormLayout& layout) : m_layout(layout), m_widget(std::make_unique<FormWidget>(*this)) {
    rules::checkContainers(m_layout);
    m_widget->setAttribute(Qt::WA_DeleteOnClose, false);
}

Form::~Form() {
    destroyControls();
    m_widget.reset();
}

void Form::initialize() {
    if (m_initialized) return;
    Form_Initialize();
    m_initialized = true;
}

QWidget* Form::widget() const {
    return m_widget.get();
}

void Form::show() {
    ensureLoaded();
    placeOnScreen(*m_widget);
    m_widget->show();
    if (m_focusPending) {
        m_focusPending = false;
        focusFirstControl();
    }
}

void Form::hide() {
    if (m_loaded) m_widget->hide();
}

bool Form::isVisible() const {
    return m_loaded && m_widget->isVisible();
}

void Form::setVisible(bool visible) {
    if (visible)
        show();
    else
        hide();
}

void Form::load() {
    if (m_loaded) return;
    buildControls();
    m_loaded = true;
    m_focusPending = true;
    try {
        Form_Load();
    } catch (...) {
        unload();
        throw;
    }
}

void Form::unload() {
    if (!m_loaded) return;
    m_widget->hide();
    destroyControls();
    m_loaded = false;
}

QImage Form::render() {
    ensureLoaded();
    QImage image(m_widget->size(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(1.0);
    image.fill(Qt::transparent);
    m_widget->render(&image);
    return image;
}

void Form::onClick(ControlBinding& control, std::function<void(int)> handler) {
    control.onClick(std::move(handler));
}

void Form::onClick(ControlBinding& control, std::function<void()> handler) {
    if (!handler) {
        control.onClick(nullptr);
        return;
    }
    control.onClick([handler = std::move(handler)](int) { handler(); });
}

void Form::bind(ControlBinding& binding) {
    binding.m_positions = rules::bindingPositions(m_layout, binding.m_name, binding.m_kind, binding.m_array);
    const std::vector<int>& positions = binding.m_positions;
    binding.m_items.assign(positions.size(), nullptr);
    m_bindings.push_back(&binding);
    if (m_loaded) {
        for (size_t slot = 0; slot < positions.size(); ++slot) {
            if (positions[slot] < 0) continue;
            Control* control = m_controls[static_cast<size_t>(positions[slot])].get();
            binding.m_items[slot] = control;
            control->m_binding = &binding;
        }
    }
}

void Form::unbind(ControlBinding& binding) {
    std::erase(m_bindings, &binding);
    for (Control* control : binding.m_items)
        if (control) control->m_binding = nullptr;
}

void Form::applyWindowLook() {
    m_widget->setWindowTitle(qString(m_layout.caption));
    m_widget->setFixedSize(twipsToPixels(m_layout.clientWidth), twipsToPixels(m_layout.clientHeight));
    m_widget->setBackground(qColorOf(m_layout.backColor));
    m_widget->setWindowIcon(m_layout.icon.empty() ? QIcon() : QIcon(qString(m_layout.icon)));
}

void Form::buildControls() {
    const auto& specs = m_layout.controls;
    // Design-time pictures are decoded once per form and shared by every load.
    if (!m_designPicturesRead) {
        std::vector<com::ComPtr<Picture>> pictures(specs.size());
        for (size_t i = 0; i < specs.size(); ++i) {
            if (specs[i].kind == ControlKind::Image && !specs[i].picture.empty())
                pictures[i] = loadPicture(qString(specs[i].picture));
        }
        m_designPictures = std::move(pictures);
        m_designPicturesRead = true;
    }

    applyWindowLook();
    try {
        m_controls.resize(specs.size());
        // Containers first, each after its own container, so every control
        // finds the surface it lives on.
        const auto canvasOf = [&](const ControlDesign& design) -> Canvas& {
            if (design.container.empty()) return *m_widget;
            const auto position = static_cast<size_t>(rules::containerPosition(m_layout, design.container));
            return static_cast<PictureBox&>(*m_controls[position]).canvas();
        };
        const auto build = [&](size_t i, const auto& self) -> void {
            if (m_controls[i]) return;
            const ControlDesign& design = specs[i];
            if (!design.container.empty())
                self(static_cast<size_t>(rules::containerPosition(m_layout, design.container)), self);
            m_controls[i] = makeControl(design, canvasOf(design));
        };
        for (size_t i = 0; i < specs.size(); ++i)
            if (specs[i].kind == ControlKind::PictureBox) build(i, build);
        for (size_t i = 0; i < specs.size(); ++i) build(i, build);

        // The list runs from front to back: paint and stack from its end.
        for (size_t i = specs.size(); i-- > 0;) {
            Control& control = *m_controls[i];
            if (QWidget* widget = control.widget())
                widget->raise();
            else
                canvasOf(specs[i]).addPainted(&control);
            if (specs[i].kind == ControlKind::Image && m_designPictures[i])
                static_cast<Image&>(control).setPicture(m_designPictures[i]);
        }

        // Keyboard focus follows TabIndex; controls without one take no part.
        m_tabOrder.clear();
        std::vector<std::pair<int, QWidget*>> order;
        for (size_t i = 0; i < specs.size(); ++i) {
            QWidget* widget = m_controls[i]->widget();
            if (!widget) continue;
            if (specs[i].tabIndex == kNoTabStop)
                widget->setFocusPolicy(Qt::NoFocus);
            else
                order.emplace_back(specs[i].tabIndex, widget);
        }
        std::stable_sort(order.begin(), order.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (const auto& entry : order) m_tabOrder.push_back(entry.second);
        for (size_t i = 1; i < m_tabOrder.size(); ++i) QWidget::setTabOrder(m_tabOrder[i - 1], m_tabOrder[i]);

        for (ControlBinding* binding : m_bindings) {
            for (size_t slot = 0; slot < binding->m_positions.size(); ++slot) {
                const int position = binding->m_positions[slot];
                if (position < 0) continue;
                Control* control = m_controls[static_cast<size_t>(position)].get();
                binding->m_items[slot] = control;
                control->m_binding = binding;
            }
        }
    } catch (...) {
        destroyControls();
        throw;
    }
}

void Form::destroyControls() {
    for (ControlBinding* binding : m_bindings)
        std::fill(binding->m_items.begin(), binding->m_items.end(), nullptr);
    m_tabOrder.clear();
    m_widget->clearPainted();
    m_controls.clear();
}

void Form::focusFirstControl() {
    for (QWidget* widget : m_tabOrder) {
        if ((widget->focusPolicy() & Qt::TabFocus) && widget->isEnabled() &&
            widget->isVisibleTo(m_widget.get())) {
            widget->setFocus(Qt::TabFocusReason);
            return;
        }
    }
}

void Form::userClose(QCloseEvent* event) {
    if (!m_loaded) {
        event->accept();
        return;
    }
    bool cancel = false;
    try {
        cancel = Form_QueryUnload();
    } catch (...) {
        // An event procedure's error ends it; the window stays as it is.
        event->ignore();
        return;
    }
    if (cancel) {
        event->ignore();
        return;
    }
    event->accept();
    unload();
}

}  // namespace forms
