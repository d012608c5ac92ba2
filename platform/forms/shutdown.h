// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef PLATFORM_FORMS_SHUTDOWN_H_
#define PLATFORM_FORMS_SHUTDOWN_H_

#include <functional>

namespace forms {

// Windows must be destroyed while the application object still exists, but
// a component keeps its forms in module-level references that would only be
// destroyed at process exit, after it. So a component registers here how to
// let go of its forms, and the owner of the application object calls
// shutdown() before destroying it.

// Adds fn to the work of shutdown(). fn is kept until it has run.
void atShutdown(std::function<void()> fn);

// Runs every function registered so far, the last registered first, each
// once. Call on the GUI thread while the application object exists.
void shutdown();

}  // namespace forms

#endif  // PLATFORM_FORMS_SHUTDOWN_H_
