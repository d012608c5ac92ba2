// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/controlbinding.h"

#include <string>

#include "platform/com/runtimeerror.h"

namespace forms {

ControlBinding::ControlBinding(Form* form, std::string_view name, ControlKind kind, bool array)
    : m_form(form), m_name(name), m_kind(kind), m_array(array) {
    m_form->bind(*this);
}

ControlBinding::~ControlBinding() {
    m_form->unbind(*this);
}

int ControlBinding::lowestIndex() const {
    for (size_t i = 0; i < m_positions.size(); ++i)
        if (m_positions[i] >= 0) return static_cast<int>(i);
    return 0;
}

int ControlBinding::highestIndex() const {
    for (size_t i = m_positions.size(); i > 0; --i)
        if (m_positions[i - 1] >= 0) return static_cast<int>(i - 1);
    return -1;
}

void ControlBinding::raiseNoItem(int index) const {
    std::string detail(m_name);
    if (m_array) detail += "(" + std::to_string(index) + ")";
    com::raise(com::kErrControlArrayElement, detail);
}

void ControlBinding::raiseClick(int index) {
    if (m_click) m_click(index);
}

}  // namespace forms
