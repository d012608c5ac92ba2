// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef STATE_CHECKEDTABLE_H_
#define STATE_CHECKEDTABLE_H_

#include <array>
#include <cstddef>

#include "platform/com/runtimeerror.h"

namespace nimbo {

// A fixed-size table whose every access checks its index (run-time error 9).
template <class T, int N>
class CheckedTable {
public:
    static constexpr int kSize = N;

    T& operator()(int i) {
        if (i < 0 || i >= N) com::raise(com::kErrSubscriptOutOfRange);
        return m_items[static_cast<size_t>(i)];
    }
    const T& operator()(int i) const { return const_cast<CheckedTable&>(*this)(i); }

private:
    std::array<T, N> m_items{};
};

}  // namespace nimbo

#endif  // STATE_CHECKEDTABLE_H_
