// SPDX-License-Identifier: GPL-3.0-or-later
#include "state/nimbocode.h"

#include "platform/forms/apppath.h"

namespace nimbo {

NimboCodeModule NimboCode;

namespace {
forms::String g_imagesFolder;
}  // namespace

forms::String imagesFolder() {
    return g_imagesFolder.isEmpty() ? forms::appPath() + "/images/" : g_imagesFolder;
}

forms::String pictureFile(int k, int level) {
    if (k < 0 || k >= kColorCount || level < 0 || level >= kGlowLevelCount)
        com::raise(com::kErrSubscriptOutOfRange);
    const std::string_view name = pictureFileName(k, level).view();
    return imagesFolder() + forms::String::fromUtf8(name.data(), static_cast<int>(name.size()));
}

void setImagesFolder(const forms::String& folder) {
    g_imagesFolder = folder.isEmpty() || folder.endsWith('/') ? folder : folder + '/';
}

void resetNimboCode() {
    NimboCode.StartChannel = 0;
    for (int i = 0; i < kNimboCount; ++i) NimboCode.NimboColor(i) = 0;
    NimboCode.ColorsSet = com::VARIANT_FALSE;
    for (int k = 0; k < kColorCount; ++k)
        for (int level = 0; level < kGlowLevelCount; ++level) NimboCode.NimboPicture(k, level) = nullptr;
    NimboCode.PluginHelper = nullptr;
}

}  // namespace nimbo
