// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_CONTROLREF_H_
#define PLATFORM_FORMS_CONTROLREF_H_

#include "platform/forms/controlbinding.h"

namespace forms {

// A single control of a form, addressed as Shape1->setVisible(false):
//     forms::ControlRef<forms::Shape> Shape1{this, "Shape1"};
// Every access loads the form if it is not loaded. The reference is valid
// until the form unloads.
template <class T>
class ControlRef : public ControlBinding {
public:
    ControlRef(Form* form, std::string_view name) : ControlBinding(form, name, T::kKind, false) {}

    T& get() const { return static_cast<T&>(item(0)); }
    T& operator*() const { return get(); }
    T* operator->() const { return &get(); }
};

}  // namespace forms

#endif  // PLATFORM_FORMS_CONTROLREF_H_
