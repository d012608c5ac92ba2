// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/forms/shutdown.h"

#include <utility>
#include <vector>

namespace forms {
namespace {

std::vector<std::function<void()>>& pending() {
    static std::vector<std::function<void()>> functions;
    return functions;
}

}  // namespace

void atShutdown(std::function<void()> fn) {
    pending().push_back(std::move(fn));
}

void shutdown() {
    // A function may register more; run until none is left.
    while (!pending().empty()) {
        std::function<void()> fn = std::move(pending().back());
        pending().pop_back();
        fn();
    }
}

}  // namespace forms
