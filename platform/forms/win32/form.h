// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_WIN32_FORM_H_
#define PLATFORM_FORMS_WIN32_FORM_H_

#include <functional>
#include <memory>
#include <vector>

#include "platform/com/comptr.h"
#include "platform/forms/layout.h"
#include "platform/forms/win32/picture.h"

struct HWND__;

namespace forms {

class Control;
class ControlBinding;
class Surface;

// A window built from a FormLayout, with the lifecycle of the toolkit:
//
//   created    the object exists; its window exists too, hidden and empty.
//              createForm() runs Form_Initialize once, right after construction.
//   loaded     the controls exist, built from the layout with their designed
//              look, and Form_Load has run. A form loads on show(), on
//              render(), on load(), and on the first touch of one of its
//              controls through a ControlArray or ControlRef.
//   unloaded   unload(), or the user closing the window: the controls are
//              destroyed and the window hidden; the object and whatever the
//              derived class keeps stay. The next load starts from the layout.
//
// A derived class is the window's code: it declares its controls as
// ControlArray/ControlRef members, connects their event procedures (usually
// in its constructor) and overrides the hooks below. Use FormObject to make
// it a COM object. The window belongs to the thread that created the form,
// whose message loop runs its events.
class Form {
public:
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Loads the form if needed and shows it modeless, without an owner. The
    // first show after a load gives the focus to the first control in TabIndex
    // order that can take it.
    void show();
    // Hides the window; the form stays loaded. Does nothing when not loaded.
    void hide();
    bool isVisible() const;
    void setVisible(bool visible);

    bool isLoaded() const { return m_loaded; }
    // Builds the controls from the layout and runs Form_Load. An error in
    // either unloads the form again and propagates.
    void load();
    void ensureLoaded() {
        if (!m_loaded) load();
    }
    // Destroys the controls and hides the window; does nothing when not loaded.
    void unload();

    // The form's top-level window, for hosts that embed or snapshot it.
    // Owned by the form; valid while the form exists.
    HWND__* widget() const;
    // The client area with every visible control, at one pixel per layout
    // pixel, opaque. Loads the form if needed; the window need not be shown.
    com::ComPtr<Picture> render();

    const FormLayout& layout() const { return m_layout; }

    // Runs Form_Initialize the first time; later calls do nothing. createForm
    // calls it; an error propagates and leaves the form uninitialised.
    void initialize();

protected:
    // layout: not owned; must outlive the form (layouts are static data).
    explicit Form(const FormLayout& layout);
    virtual ~Form();

    // Once, when the object is created.
    virtual void Form_Initialize() {}
    // At every load, after the controls have been built.
    virtual void Form_Load() {}
    // When the user asks to close the window: return true to cancel the
    // unload (a dialog that should just hide calls hide() and returns true).
    virtual bool Form_QueryUnload() { return false; }

    // Connects an event procedure, e.g. onClick(BalCol, [this](int i) { BalCol_Click(i); }).
    static void onClick(ControlBinding& control, std::function<void(int index)> handler);
    static void onClick(ControlBinding& control, std::function<void()> handler);

private:
    friend class ControlBinding;

    void bind(ControlBinding& binding);
    void unbind(ControlBinding& binding);
    void buildControls();
    void destroyControls();
    void applyWindowLook();
    void focusFirstControl();
    void userClose();
    Surface& surfaceOf(const ControlDesign& design) const;
    void renderSurface(Surface& surface, void* dc, int left, int top) const;

    const FormLayout& m_layout;
    std::unique_ptr<Surface> m_surface;
    std::vector<std::unique_ptr<Control>> m_controls;    // by layout position, while loaded
    std::vector<com::ComPtr<Picture>> m_designPictures;  // by layout position, read once
    bool m_designPicturesRead = false;
    std::vector<HWND__*> m_tabOrder;          // while loaded; owned by their controls
    std::vector<ControlBinding*> m_bindings;  // not owned; members of the derived class
    void* m_icon = nullptr;                   // HICON, made once
    bool m_loaded = false;
    bool m_initialized = false;
    bool m_focusPending = false;
};

}  // namespace forms

#endif  // PLATFORM_FORMS_WIN32_FORM_H_
