// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_CONTROLARRAY_H_
#define PLATFORM_FORMS_CONTROLARRAY_H_

#include "platform/forms/controlbinding.h"

namespace forms {

// A control array of a form, addressed as Nimbo(i):
//     forms::ControlArray<forms::Image> Nimbo{this, "Nimbo"};
// Nimbo(i) loads the form if it is not loaded, then raises run-time error
// 340 when there is no item i. The reference is valid until the form unloads.
template <class T>
class ControlArray : public ControlBinding {
public:
    ControlArray(Form* form, std::string_view name) : ControlBinding(form, name, T::kKind, true) {}

    T& operator()(int index) const { return static_cast<T&>(item(index)); }

    int lbound() const { return lowestIndex(); }
    int ubound() const { return highestIndex(); }
};

}  // namespace forms

#endif  // PLATFORM_FORMS_CONTROLARRAY_H_
