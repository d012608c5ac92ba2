// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef UI_NIMBOCONFLAYOUT_H_
#define UI_NIMBOCONFLAYOUT_H_

#include "platform/forms/layout.h"

namespace nimbo {

// The configuration dialog: a panel of nine full-glow previews, a colour list
// under each, and a row of buttons with the base-address list.
const forms::FormLayout& nimboConfLayout();

}  // namespace nimbo

#endif  // UI_NIMBOCONFLAYOUT_H_
