// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef STATE_PICTURETABLE_H_
#define STATE_PICTURETABLE_H_

#include <array>
#include <cstddef>

#include "platform/com/comptr.h"
#include "platform/com/runtimeerror.h"
#include "platform/forms/picture.h"
#include "state/tables.h"

namespace nimbo {

// The loaded envelope pictures, indexed by colour code and glow level; both
// indexes checked (run-time error 9). Entries are counted references shared
// with every control that shows them.
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

}  // namespace nimbo

#endif  // STATE_PICTURETABLE_H_
