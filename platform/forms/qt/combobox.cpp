// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/combobox.h"

#include <QComboBox>
#include <QLineEdit>

#include "platform/com/runtimeerror.h"
#include "platform/forms/qt/canvas.h"

namespace forms {
namespace {

constexpr int kErrInvalidArgument = 5;
constexpr int kErrInvalidPropertyValue = 380;
constexpr int kErrTextReadOnly = 383;

QComboBox* makeBox(const ControlDesign& design, Canvas& container) {
    auto* box = new QComboBox(&container);
    box->setEditable(design.style == ComboBox::kDropDownCombo);
    // Typing into a drop-down combo edits its text; it never adds entries.
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setFocusPolicy(Qt::StrongFocus);
    return box;
}

}  // namespace

ComboBox::ComboBox(const ControlDesign& design, Canvas& container)
    : WindowedControl(design, container, makeBox(design, container)),
      m_box(static_cast<QComboBox*>(widget())) {
    QObject::connect(m_box, &QComboBox::activated, [this](int) { raiseClick(); });
}

void ComboBox::addItem(const QString& text) {
    int index = m_box->count();
    if (sorted()) {
        index = 0;
        while (index < m_box->count() &&
               QString::compare(m_box->itemText(index), text, Qt::CaseInsensitive) <= 0)
            ++index;
    }
    addItem(text, index);
}

void ComboBox::addItem(const QString& text, int index) {
    if (index < 0 || index > m_box->count())
        throw com::RuntimeError(kErrInvalidArgument, "Invalid procedure call or argument: AddItem index");
    const bool noSelection = m_box->currentIndex() < 0;
    const QString edited = m_box->isEditable() ? m_box->currentText() : QString();
    m_box->insertItem(index, text);
    // The box selects the first entry of an empty list by itself; keep "none".
    if (noSelection) {
        m_box->setCurrentIndex(-1);
        if (m_box->isEditable()) m_box->setEditText(edited);
    }
}

void ComboBox::removeItem(int index) {
    if (index < 0 || index >= m_box->count())
        throw com::RuntimeError(kErrInvalidArgument, "Invalid procedure call or argument: RemoveItem index");
    m_box->removeItem(index);
}

void ComboBox::clear() {
    m_box->clear();
}

int ComboBox::listCount() const {
    return m_box->count();
}

QString ComboBox::list(int index) const {
    return m_box->itemText(index);
}

int ComboBox::listIndex() const {
    const int index = m_box->currentIndex();
    // Text typed into a drop-down combo that differs from its entry selects nothing.
    if (index >= 0 && m_box->isEditable() && m_box->currentText() != m_box->itemText(index)) return -1;
    return index;
}

void ComboBox::setListIndex(int index) {
    if (index < -1 || index >= m_box->count())
        throw com::RuntimeError(kErrInvalidPropertyValue, "Invalid property value: ListIndex");
    m_box->setCurrentIndex(index);
    if (index < 0 && m_box->isEditable()) m_box->setEditText(QString());
    raiseClick();
}

QString ComboBox::text() const {
    if (!m_box->isEditable() && m_box->currentIndex() < 0) return {};
    return m_box->currentText();
}

void ComboBox::setText(const QString& text) {
    if (m_box->isEditable()) {
        m_box->setEditText(text);
        return;
    }
    const int index = m_box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0) throw com::RuntimeError(kErrTextReadOnly, "'Text' property is read-only");
    m_box->setCurrentIndex(index);
}

}  // namespace forms
