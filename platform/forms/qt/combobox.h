// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_QT_COMBOBOX_H_
#define PLATFORM_FORMS_QT_COMBOBOX_H_

#include <QString>

#include "platform/forms/qt/windowedcontrol.h"

class QComboBox;

namespace forms {

// A closed box with a drop-down list. Style 0 is the drop-down combo (an
// editable text field with a list), style 2 the drop-down list (the user can
// only pick an entry). Positions are 0-based; -1 means nothing selected.
//
// Click runs when the user picks an entry (by mouse or keyboard) and when
// code sets listIndex, exactly as for the user's choice.
class ComboBox : public WindowedControl {
public:
    static constexpr ControlKind kKind = ControlKind::ComboBox;
    static constexpr int kDropDownCombo = 0;
    static constexpr int kDropDownList = 2;

    ComboBox(const ControlDesign& design, Canvas& container);

    int style() const { return design().style; }
    bool sorted() const { return design().sorted; }

    // Appends text, or inserts it at its alphabetical place (ignoring case,
    // after equal entries) when the list is sorted. The selection stays on
    // the same entry, or on none.
    void addItem(const QString& text);
    // Inserts text at position index (0..listCount()); run-time error 5 otherwise.
    void addItem(const QString& text, int index);
    // Run-time error 5 for a position that does not exist.
    void removeItem(int index);
    void clear();

    int listCount() const;
    // The text at position index, or an empty text when there is none.
    QString list(int index) const;

    int listIndex() const;
    // Selects position index (-1: none) and runs Click; run-time error 380
    // for any other value.
    void setListIndex(int index);

    // The edit text of a drop-down combo, the selected entry of a drop-down list.
    QString text() const;
    // Drop-down combo: sets the edit text. Drop-down list: selects the entry
    // with exactly this text, or raises run-time error 383.
    void setText(const QString& text);

private:
    QComboBox* m_box;  // owned by the container
};

}  // namespace forms

#endif  // PLATFORM_FORMS_QT_COMBOBOX_H_
