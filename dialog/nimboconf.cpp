// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialog/nimboconf.h"

#include "platform/forms/forminstance.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/picture.h"
#include "state/nimbocode.h"
#include "ui/nimboconflayout.h"

namespace nimbo {
namespace {

forms::FormInstance<NimboConf> g_nimboConf;

constexpr int kChannelEntries = 512;
constexpr std::string_view kNotYetAvailable = "Not yet available !";

forms::String text(std::string_view utf8) {
    return forms::String::fromUtf8(utf8.data(), static_cast<int>(utf8.size()));
}

forms::String colorName(int k) {
    return text(kColorNames[size_t(k)]);
}

// The colour code of a list text: exact, case-sensitive; -1 for none.
int colorCodeOf(const forms::String& entry) {
    for (int k = 0; k < kColorCount; ++k)
        if (entry == colorName(k)) return k;
    return -1;
}

}  // namespace

NimboConf::NimboConf() : FormObject(nimboConfLayout()) {
    onClick(BalCol, [this](int i) { BalCol_Click(i); });
    onClick(setConfig, [this] { setConfig_Click(); });
    onClick(Cancel, [this] { Cancel_Click(); });
    onClick(Save, [this] { Save_Click(); });
    onClick(Help, [this] { help_Click(); });
}

NimboConf& NimboConf::instance() {
    return g_nimboConf.get();
}

NimboConf* NimboConf::existingInstance() {
    return g_nimboConf.existing();
}

void NimboConf::releaseInstance() {
    g_nimboConf.release();
}

void NimboConf::Form_Initialize() {
    // The base addresses on offer; nothing selected.
    for (int n = 1; n <= kChannelEntries; ++n) Channels->addItem(forms::String::number(n));

    // Every colour list offers the nine colours, in colour-code order, and
    // starts on colour i; each selection stores that colour for nimbo i.
    for (int i = 0; i < kNimboCount; ++i)
        for (int k = 0; k < kColorCount; ++k) BalCol(i).addItem(colorName(k));
    for (int i = 0; i < kNimboCount; ++i) BalCol(i).setListIndex(i);

    // The full-glow column of the picture table, read afresh.
    for (int k = 0; k < kColorCount; ++k)
        NimboCode.NimboPicture(k, kFullGlow) = forms::loadPicture(pictureFile(k, kFullGlow));

    // The selections above showed whatever the table held then, which is
    // nothing when the display window has not been created yet: show every
    // selected colour's full glow now that the column is loaded.
    for (int i = 0; i < kNimboCount; ++i) {
        const int k = colorCodeOf(BalCol(i).text());
        if (k >= 0) Nimbo(i).setPicture(NimboCode.NimboPicture(k, kFullGlow));
    }
}

bool NimboConf::Form_QueryUnload() {
    Cancel_Click();
    return true;
}

void NimboConf::BalCol_Click(int index) {
    const int k = colorCodeOf(BalCol(index).text());
    if (k < 0) return;
    Nimbo(index).setPicture(NimboCode.NimboPicture(k, kFullGlow));
    NimboCode.NimboColor(index) = static_cast<int16_t>(k);
}

void NimboConf::setConfig_Click() {
    NimboCode.ColorsSet = com::VARIANT_TRUE;
    hide();
}

void NimboConf::Cancel_Click() {
    setVisible(false);
}

void NimboConf::Save_Click() {
    forms::msgBox(text(kNotYetAvailable), forms::kOkOnly);
}

void NimboConf::help_Click() {
    forms::msgBox(text(kNotYetAvailable), forms::kOkOnly);
}

}  // namespace nimbo
