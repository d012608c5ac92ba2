// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef UI_UIRESOURCES_H_
#define UI_UIRESOURCES_H_

namespace nimbo {

// Registers the design-time pictures under ":/ui/" (once; later calls do
// nothing). The layouts call it, so a window built from them finds its pictures.
void registerUiResources();

}  // namespace nimbo

#endif  // UI_UIRESOURCES_H_
