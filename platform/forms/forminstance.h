// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_FORMINSTANCE_H_
#define PLATFORM_FORMS_FORMINSTANCE_H_

#include "platform/com/comptr.h"
#include "platform/forms/formobject.h"
#include "platform/forms/shutdown.h"

namespace forms {

// The module-level reference to the single instance of a window class:
//     forms::FormInstance<NimboForm> g_nimboForm;   // in the window's .cpp
// The window is created on first use and kept until release(), which
// forms::shutdown() calls too, so it goes before the application object.
// GUI thread only.
template <class T>
class FormInstance {
public:
    // The instance, created (and initialised) now if there is none. Not
    // AddRef'ed. A failing initialisation raises its error and leaves no
    // instance, so the next call tries again from the start.
    T& get() {
        if (!m_form) {
            m_form = createForm<T>();
            atShutdown([this] { release(); });
        }
        return *m_form;
    }
    // The instance if it exists, else null; never creates it.
    T* existing() const { return m_form.get(); }
    // Lets go of the module's reference (which destroys the window unless
    // someone else holds one).
    void release() { m_form = nullptr; }

private:
    com::ComPtr<T> m_form;
};

}  // namespace forms

#endif  // PLATFORM_FORMS_FORMINSTANCE_H_
