#ifndef CONFIG_NIMBOCODE_H_
#define CONFIG_NIMBOCODE_H_

#include <QString>
#include <array>
#include <cstdint>
#include <string_view>

#include "platform/com/comptr.h"
#include "platform/com/runtimeerror.h"
#include "platform/forms/picture.h"
#include "plugin/vexotypelib.h"

namespace nimbo {

constexpr int kNimboCount = 9;        // nimbos 0..8, left to right
constexpr int kColorCount = 9;        // colour codes 0..8
constexpr int kGlowLevelCount = 7;    // glow levels 0 (unlit) .. 6 (full glow)
constexpr int kFullGlow = kGlowLevelCount - 1;

// Picture-file words, in colour-code order: the colour order of the whole system.
constexpr std::array<std::string_view, kColorCount> kColorWords = {
    "blau", "gelb", "gruen", "hellblau", "lila", "orange", "rosa", "rot", "weiss"};
// Picture-file codes, in glow-level order.
constexpr std::array<std::string_view, kGlowLevelCount> kGlowCodes = {"000", "001", "020", "040",
                                                                      "060", "080", "100"};

// A fixed-size table whose every access checks its index (run-time error 9).
template <class T, int N>
class CheckedTable {
public:
    T& operator()(int i) {
        if (i < 0 || i >= N) com::raise(com::kErrSubscriptOutOfRange);
        return m_items[static_cast<size_t>(i)];
    }
    const T& operator()(int i) const { return const_cast<CheckedTable&>(*this)(i); }

private:
    std::array<T, N> m_items{};
};

// The loaded envelope pictures, indexed by colour code and glow level; both
// indexes checked. Entries are counted references shared with every control
// that shows them.
class PictureTable {
public:
    com::ComPtr<forms::Picture>& operator()(int color, int level) {
        if (color < 0 || color >= kColorCount || level < 0 || level >= kGlowLevelCount)
            com::raise(com::kErrSubscriptOutOfRange);
        return m_entries[static_cast<size_t>(color)][static_cast<size_t>(level)];
    }

private:
    std::array<std::array<com::ComPtr<forms::Picture>, kGlowLevelCount>, kColorCount> m_entries;
};

// State shared by the plug-in class, the display window and the dialog. It
// lives in memory only and starts from these values whenever the plug-in is
// loaded. Everything runs on the host's thread; no locks.
struct NimboCodeModule {
    // The channel before the first nimbo's: channels StartChannel + 1 .. + 9
    // drive nimbos 0..8. Nothing assigns it.
    int16_t StartChannel = 0;
    // Colour code 0..8 of each nimbo.
    CheckedTable<int16_t, kNimboCount> NimboColor;
    // True once NimboColor holds a choice (defaults or the user's).
    com::VARIANT_BOOL ColorsSet = com::VARIANT_FALSE;
    PictureTable NimboPicture;
    // The host's helper object, as handed to Init; or empty.
    com::ComPtr<vexo::IVexoPluginHelper> PluginHelper;
};

extern NimboCodeModule NimboCode;

// The folder that holds the picture files, with a trailing separator: the
// folder "images" beside the plug-in's own file.
QString imagesFolder();
// Points the picture readers at another folder (tests); empty restores the default.
void setImagesFolder(const QString& folder);

// Puts the shared state back to its values at load, releasing what it holds.
void resetNimboCode();

}  // namespace nimbo

#endif  // CONFIG_NIMBOCODE_H_
