// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef DISPLAY_NIMBOFORM_H_
#define DISPLAY_NIMBOFORM_H_

#include <cstdint>

#include "platform/com/dispatch.h"
#include "platform/forms/controlarray.h"
#include "platform/forms/formobject.h"
#include "platform/forms/image.h"
#include "platform/forms/shape.h"
#include "vexo/vexotypelib.h"

namespace nimbo {

// The display window: nine nimbos whose envelopes glow with their channels.
//
// One instance per loaded plug-in, created on first use by instance(). Its
// creation loads all 63 envelope pictures into NimboCode.NimboPicture; every
// load shows each envelope unlit in its colour with its flame covered.
// The plug-in never shows, hides or closes it; the host does, through the
// window object it receives in the module information.
class NimboForm : public forms::FormObject<NimboForm, com::Dual<vexo::IVexoTool>> {
public:
    // The single instance, created now if it does not exist yet. A failing
    // creation step raises its error and leaves no instance, so the next call
    // tries again from the first picture. The reference is not AddRef'ed.
    static NimboForm& instance();
    // The instance if it exists, else null; never creates it.
    static NimboForm* existingInstance();
    // Releases the instance (the plug-in being unloaded, or tests).
    static void releaseInstance();

    // Shows the value of channel ch on the nimbo it drives: the envelope at
    // the value's glow level in the nimbo's colour, the flame lit for any
    // value but 0. The checks come in this order, each before any change:
    // ch - StartChannel - 1 beyond 16 bits is run-time error 6; a value of
    // 256 or more then returns and changes nothing, whatever the channel;
    // otherwise the index must name a nimbo (0..8), else run-time error 340.
    // Reads no file, decodes nothing and allocates nothing; on a visible
    // window it only schedules the repaint of the nimbo's rectangle.
    void UpdateNimbo(const int32_t& ch, const int32_t& val);

    // IVexoTool: the window keeps no project data.
    com::HRESULT NIMBO_COM_CALL ClearProjectData() override;
    com::HRESULT NIMBO_COM_CALL LoadProjectData() override;
    com::HRESULT NIMBO_COM_CALL SaveProjectData() override;
    com::HRESULT NIMBO_COM_CALL AskToSaveProjectData(com::VARIANT_BOOL* result) override;
    com::HRESULT NIMBO_COM_CALL put_ViewMode(int32_t rhs) override;

    // Envelopes, baskets and flame covers, items 0..8 from left to right.
    forms::ControlArray<forms::Image> Nimbo{this, "Nimbo"};
    forms::ControlArray<forms::Image> korb{this, "korb"};
    forms::ControlArray<forms::Shape> fire{this, "fire"};

    // Use instance(); public for the object factory.
    NimboForm();

protected:
    // Creation step: reads the 63 picture files into the picture table.
    void Form_Initialize() override;
    // Load step: default colours unless set, every envelope unlit.
    void Form_Load() override;
};

}  // namespace nimbo

#endif  // DISPLAY_NIMBOFORM_H_
