// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_FORMOBJECT_H_
#define PLATFORM_FORMS_FORMOBJECT_H_

#include <utility>

#include "platform/com/object.h"
#include "platform/com/runtimeerror.h"
#include "platform/forms/form.h"
#include "platform/forms/formwindow.h"

namespace forms {

// Makes a window class a COM object that answers its own interfaces and
// IFormWindow:
//     class NimboForm : public forms::FormObject<NimboForm, com::Dual<IVexoTool>> { ... };
// The first listed interface is the object's identity (and its default
// dispatch interface, if it has one). The last reference destroys the
// object and with it the window.
template <class Derived, class... Interfaces>
class FormObject : public Form, public com::ComObject<Interfaces..., IFormWindow> {
public:
    com::HRESULT NIMBO_COM_CALL Show() override {
        return com::guarded([this] { show(); });
    }
    com::HRESULT NIMBO_COM_CALL Hide() override {
        return com::guarded([this] { hide(); });
    }
    com::HRESULT NIMBO_COM_CALL Unload() override {
        return com::guarded([this] { unload(); });
    }
    com::HRESULT NIMBO_COM_CALL get_Visible(com::VARIANT_BOOL* visible) override {
        if (!visible) return com::E_POINTER;
        *visible = isVisible() ? com::VARIANT_TRUE : com::VARIANT_FALSE;
        return com::S_OK;
    }
    com::HRESULT NIMBO_COM_CALL put_Visible(com::VARIANT_BOOL visible) override {
        return com::guarded([this, visible] { setVisible(visible != com::VARIANT_FALSE); });
    }
    com::HRESULT NIMBO_COM_CALL get_Window(NativeWindow* window) override {
        if (!window) return com::E_POINTER;
        *window = widget();
        return com::S_OK;
    }

protected:
    // layout: not owned; must outlive the form.
    explicit FormObject(const FormLayout& layout) : Form(layout) {}
};

// Creates a form of class T and runs its Form_Initialize. If that fails, the
// object is released (destroying it) and the error propagates. Returns the
// first reference.
template <class T, class... Args>
com::ComPtr<T> createForm(Args&&... args) {
    com::ComPtr<T> form = com::makeObject<T>(std::forward<Args>(args)...);
    form->initialize();
    return form;
}

}  // namespace forms

#endif  // PLATFORM_FORMS_FORMOBJECT_H_
