// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_FORMRULES_H_
#define PLATFORM_FORMS_FORMRULES_H_

// What a layout must be and how names find its controls, the same for every
// back end of Form. Failures are run-time error 5 naming the form and the
// control.

#include <string_view>
#include <vector>

#include "platform/forms/layout.h"

namespace forms::rules {

[[noreturn]] void raiseLayoutError(const FormLayout& layout, std::string_view name, const char* problem);

// Layout position of the PictureBox called name, or -1.
int containerPosition(const FormLayout& layout, std::string_view name);

// Every container is a PictureBox of the same layout, and each chain of
// containers ends at the form.
void checkContainers(const FormLayout& layout);

// The layout positions of the controls called name, by item index (a single
// control at index 0), -1 where an index has none. Refuses a name the layout
// lacks, a control of another kind, a control array where a single control
// is meant or the other way round, a negative index and an index used twice.
std::vector<int> bindingPositions(const FormLayout& layout, std::string_view name, ControlKind kind,
                                  bool array);

}  // namespace forms::rules

#endif  // PLATFORM_FORMS_FORMRULES_H_
