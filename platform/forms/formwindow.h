// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_FORMWINDOW_H_
#define PLATFORM_FORMS_FORMWINDOW_H_

#include "platform/com/automation.h"
#include "platform/com/unknown.h"

#if defined(_WIN32)
struct HWND__;
#else
class QWidget;
#endif

namespace forms {

// The system's handle of a top-level window.
#if defined(_WIN32)
using NativeWindow = HWND__*;
#else
using NativeWindow = QWidget*;
#endif

// What every form answers to, whatever else it implements: the window
// operations a host needs to show, hide, close and embed it.
struct IFormWindow : com::IUnknown {
    static constexpr com::IID iid = com::makeGuid("6b1f3a52-0c4e-4d8e-9a57-2f0e51d3c702");

    // Loads the form if needed and shows it modeless.
    virtual com::HRESULT NIMBO_COM_CALL Show() = 0;
    // Hides the form; it stays loaded.
    virtual com::HRESULT NIMBO_COM_CALL Hide() = 0;
    // Unloads the form: its controls are destroyed, the object stays.
    virtual com::HRESULT NIMBO_COM_CALL Unload() = 0;
    virtual com::HRESULT NIMBO_COM_CALL get_Visible(com::VARIANT_BOOL* visible) = 0;
    virtual com::HRESULT NIMBO_COM_CALL put_Visible(com::VARIANT_BOOL visible) = 0;
    // The form's top-level window, not loaded or shown by this call. The form
    // keeps ownership; the pointer is valid while the caller holds a reference.
    virtual com::HRESULT NIMBO_COM_CALL get_Window(NativeWindow* window) = 0;

protected:
    ~IFormWindow() = default;
};

}  // namespace forms

#endif  // PLATFORM_FORMS_FORMWINDOW_H_
