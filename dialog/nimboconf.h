// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef DIALOG_NIMBOCONF_H_
#define DIALOG_NIMBOCONF_H_

#include "platform/forms/combobox.h"
#include "platform/forms/commandbutton.h"
#include "platform/forms/controlarray.h"
#include "platform/forms/controlref.h"
#include "platform/forms/formobject.h"
#include "platform/forms/image.h"
#include "state/tables.h"

namespace nimbo {

// The colour dialog: the user gives each nimbo one of the nine colours and
// sees it at full glow. Each choice goes into NimboCode.NimboColor at once;
// the display shows it with that nimbo's next channel value. OK marks the
// colours as set and hides; Cancel (or closing the window) only hides.
//
// One instance per loaded plug-in, created on first use; a dialog whose
// initialisation failed is discarded, and the next use creates it afresh.
class NimboConf : public forms::FormObject<NimboConf> {
public:
    // The single instance, created (and initialised) now if it does not exist.
    // Not AddRef'ed. A failing initialisation raises its error and leaves none.
    static NimboConf& instance();
    static NimboConf* existingInstance();
    static void releaseInstance();

    forms::ControlArray<forms::ComboBox> BalCol{this, "BalCol"};
    forms::ControlArray<forms::Image> Nimbo{this, "Nimbo"};
    forms::ControlRef<forms::ComboBox> Channels{this, "Channels"};
    forms::ControlRef<forms::CommandButton> setConfig{this, "setConfig"};
    forms::ControlRef<forms::CommandButton> Cancel{this, "Cancel"};
    forms::ControlRef<forms::CommandButton> Save{this, "Save"};
    forms::ControlRef<forms::CommandButton> Help{this, "Help"};

    // Use instance(); public for the object factory.
    NimboConf();

protected:
    void Form_Initialize() override;
    // Closing the window does what Cancel does: it only hides.
    bool Form_QueryUnload() override;

private:
    void BalCol_Click(int index);
    void setConfig_Click();
    void Cancel_Click();
    void Save_Click();
    void help_Click();
};

}  // namespace nimbo

#endif  // DIALOG_NIMBOCONF_H_
