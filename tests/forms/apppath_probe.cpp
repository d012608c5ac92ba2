// SPDX-License-Identifier: GPL-3.0-or-later
// A module of its own, loaded by the App.Path test: its App.Path must be its
// own folder, not the folder of the program that loaded it.
#include <QString>

#include "platform/forms/apppath.h"

extern "C" __attribute__((visibility("default"))) void formsProbeAppPath(QString* path) {
    *path = forms::appPath();
}
