// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/windows/clientcheck.h"

#include <cstdio>

namespace client {
namespace {

int g_failures = 0;

}  // namespace

bool check(bool ok, const std::string& what) {
    std::printf("%s: %s\n", ok ? "ok" : "FAIL", what.c_str());
    std::fflush(stdout);
    if (!ok) ++g_failures;
    return ok;
}

int failures() {
    return g_failures;
}

std::string utf8(const wchar_t* text) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(length > 0 ? length - 1 : 0), '\0');
    if (length > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), length, nullptr, nullptr);
    return out;
}

std::string hex(HRESULT status) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(status));
    return text;
}

std::string errorDescription() {
    Ref<IErrorInfo> info;
    if (GetErrorInfo(0, info.put()) != S_OK || !info) return {};
    Text description;
    info->GetDescription(description.put());
    return description.utf8();
}

}  // namespace client
