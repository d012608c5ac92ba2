// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/uiresources.h"

#if defined(_WIN32)

namespace nimbo {

// On Windows the pictures are resources of the module itself (pictures.rc,
// written by ui/CMakeLists.txt), there from the start.
void registerUiResources() {}

}  // namespace nimbo

#else

#include <QtCore/qglobal.h>

#include <QDir>

// Q_INIT_RESOURCE must be used outside any namespace.
static void initPictures() {
    Q_INIT_RESOURCE(pictures);
}

namespace nimbo {

void registerUiResources() {
    static const bool registered = (initPictures(), true);
    (void)registered;
}

}  // namespace nimbo

#endif
