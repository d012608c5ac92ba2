// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef STATE_NIMBOCODE_H_
#define STATE_NIMBOCODE_H_

#include <cstdint>

#include "platform/com/comptr.h"
#include "platform/forms/text.h"
#include "state/checkedtable.h"
#include "state/picturetable.h"
#include "state/tables.h"
#include "vexo/vexotypelib.h"

namespace nimbo {

// State shared by the plug-in class, the display window and the dialog. It
// lives in memory only and starts from these values whenever the plug-in is
// loaded. Everything runs on the host's thread; no locks.
struct NimboCodeModule {
    // The channel before the first nimbo's: channels StartChannel + 1 .. + 9
    // drive nimbos 0..8. Nothing assigns it.
    int16_t StartChannel = 0;
    // Colour code 0..8 of each nimbo.
    CheckedTable<int16_t, kNimboCount> NimboColor;
    // True once NimboColor holds a choice (defaults or the user's).
    com::VARIANT_BOOL ColorsSet = com::VARIANT_FALSE;
    PictureTable NimboPicture;
    // The host's helper object, as handed to Init; or empty.
    com::ComPtr<vexo::IVexoPluginHelper> PluginHelper;
};

extern NimboCodeModule NimboCode;

// The folder that holds the picture files, with a trailing separator: the
// folder "images" beside the plug-in's own file.
forms::String imagesFolder();
// The full path of the picture of colour k at glow level `level` in
// imagesFolder(). Both must be in range (run-time error 9).
forms::String pictureFile(int k, int level);
// Points the picture readers at another folder (tests); empty restores the default.
void setImagesFolder(const forms::String& folder);

// Puts the shared state back to its values at load, releasing what it holds.
void resetNimboCode();

}  // namespace nimbo

#endif  // STATE_NIMBOCODE_H_
