// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/input/showline.h"

namespace vexohost {

std::string ShowError::toString() const {
    std::string text = file;
    if (line > 0) text += ':' + std::to_string(line);
    if (line > 0 && column > 0) text += ':' + std::to_string(column);
    return text + ": " + message;
}

}  // namespace vexohost
