// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef UI_NIMBOFORMLAYOUT_H_
#define UI_NIMBOFORMLAYOUT_H_

#include "platform/forms/layout.h"

namespace nimbo {

// The display window: nine nimbos on black above a dark green strip of ground.
// Each nimbo i is an envelope Nimbo(i), a basket korb(i) whose picture shows a
// lit burner flame, and a black square fire(i) that covers that flame.
const forms::FormLayout& nimboFormLayout();

}  // namespace nimbo

#endif  // UI_NIMBOFORMLAYOUT_H_
