// SPDX-License-Identifier: GPL-3.0-or-later
#include "display/nimboform.h"

#include "platform/forms/forminstance.h"
#include "platform/forms/picture.h"
#include "state/nimbocode.h"
#include "ui/nimboformlayout.h"

namespace nimbo {
namespace {

// The module-level reference to the one display window.
forms::FormInstance<NimboForm> g_nimboForm;

// The glow level of a channel value, or -1 for values the window ignores
// (256 and more). The bands are tested in this order; negative values fall
// into band 1 with the small values.
constexpr int glowLevel(int32_t value) {
    if (value == 0) return 0;
    if (value < 10) return 1;
    if (value < 60) return 2;
    if (value < 110) return 3;
    if (value < 160) return 4;
    if (value < 210) return 5;
    if (value < 256) return 6;
    return -1;
}

}  // namespace

NimboForm::NimboForm() : FormObject(nimboFormLayout()) {}

NimboForm& NimboForm::instance() {
    return g_nimboForm.get();
}

NimboForm* NimboForm::existingInstance() {
    return g_nimboForm.existing();
}

void NimboForm::releaseInstance() {
    g_nimboForm.release();
}

void NimboForm::Form_Initialize() {
    for (int k = 0; k < kColorCount; ++k)
        for (int level = 0; level < kGlowLevelCount; ++level)
            NimboCode.NimboPicture(k, level) = forms::loadPicture(pictureFile(k, level));
}

void NimboForm::Form_Load() {
    if (NimboCode.ColorsSet == com::VARIANT_FALSE) {
        for (int i = 0; i < kNimboCount; ++i) NimboCode.NimboColor(i) = static_cast<int16_t>(i);
        NimboCode.ColorsSet = com::VARIANT_TRUE;
    }
    for (int i = 0; i < kNimboCount; ++i) {
        const int k = NimboCode.NimboColor(i);
        Nimbo(i).setPicture(NimboCode.NimboPicture(k, 0));
    }
}

void NimboForm::UpdateNimbo(const int32_t& ch, const int32_t& val) {
    const int64_t index = int64_t(ch) - NimboCode.StartChannel - 1;
    if (index < INT16_MIN || index > INT16_MAX) com::raise(com::kErrOverflow);
    const int i = static_cast<int16_t>(index);

    const int level = glowLevel(val);
    if (level < 0) return;
    if (level == 0) {
        // Unlit: the envelope first, then cover the flame.
        forms::Image& envelope = Nimbo(i);
        envelope.setPicture(NimboCode.NimboPicture(NimboCode.NimboColor(i), 0));
        fire(i).setVisible(true);
    } else {
        // Lit: uncover the flame first, then the envelope at its glow.
        fire(i).setVisible(false);
        forms::Image& envelope = Nimbo(i);
        envelope.setPicture(NimboCode.NimboPicture(NimboCode.NimboColor(i), level));
    }
}

com::HRESULT NimboForm::ClearProjectData() {
    return com::S_OK;
}
com::HRESULT NimboForm::LoadProjectData() {
    return com::S_OK;
}
com::HRESULT NimboForm::SaveProjectData() {
    return com::S_OK;
}

com::HRESULT NimboForm::AskToSaveProjectData(com::VARIANT_BOOL* result) {
    if (!result) return com::E_POINTER;
    *result = com::VARIANT_FALSE;
    return com::S_OK;
}

com::HRESULT NimboForm::put_ViewMode(int32_t) {
    return com::S_OK;
}

}  // namespace nimbo
