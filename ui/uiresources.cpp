// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/uiresources.h"

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
