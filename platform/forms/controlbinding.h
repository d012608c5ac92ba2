// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_CONTROLBINDING_H_
#define PLATFORM_FORMS_CONTROLBINDING_H_

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

#include "platform/forms/form.h"
#include "platform/forms/layout.h"

namespace forms {

class Control;

// A form's handle on the controls of one name: resolved against the layout
// once, when the handle is made, and refilled with the live controls at
// every Load. Touching a control through it loads the form first, as any
// touch of a control does; after that, reaching item i is an index check and
// a pointer read. The handle also keeps the Click event procedure of its
// controls, so that it survives Unload and Load.
//
// Made as a member of the form class it belongs to (see ControlArray and
// ControlRef); the form must outlive it, which a member guarantees.
class ControlBinding {
public:
    ControlBinding(const ControlBinding&) = delete;
    ControlBinding& operator=(const ControlBinding&) = delete;

    std::string_view name() const { return m_name; }

    // Connects the Click event procedure; the index argument is the item's
    // index, or kNoIndex for a single control. Replaces an earlier one.
    void onClick(std::function<void(int index)> handler) { m_click = std::move(handler); }

protected:
    // Raises run-time error 5 when the layout has no control of this name,
    // or when its kind or its being an array does not match.
    ControlBinding(Form* form, std::string_view name, ControlKind kind, bool array);
    ~ControlBinding();

    // Loads the form if needed, then finds item index: run-time error 340
    // when the form has no such item.
    Control& item(int index) const {
        m_form->ensureLoaded();
        if (static_cast<size_t>(index) >= m_items.size() || !m_items[static_cast<size_t>(index)])
            raiseNoItem(index);
        return *m_items[static_cast<size_t>(index)];
    }
    // The indexes of existing items, in ascending order (no load needed).
    int lowestIndex() const;
    int highestIndex() const;

private:
    friend class Control;
    friend class Form;

    [[noreturn]] void raiseNoItem(int index) const;
    void raiseClick(int index);

    Form* m_form;
    std::string_view m_name;
    ControlKind m_kind;
    bool m_array;
    std::vector<int> m_positions;   // by item index: position in the layout, or -1
    std::vector<Control*> m_items;  // by item index, while the form is loaded; not owned
    std::function<void(int)> m_click;
};

}  // namespace forms

#endif  // PLATFORM_FORMS_CONTROLBINDING_H_
