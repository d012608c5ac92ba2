// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/input/demoshow.h"

#include <algorithm>

#include "vexo/vexotypelib.h"

namespace vexohost {
namespace {

// The nimbos a host drives through channels 1..9.
constexpr int kNimbos = 9;
// One value inside each glow band, from unlit to full glow.
constexpr int kBandValues[] = {0, 5, 35, 85, 135, 185, 235};

class Builder {
public:
    void set(int64_t timeMs, int nimbo, int value) {
        m_events.push_back({timeMs, vexo::kMsgChannelValue, nimbo + 1, value, 0});
    }
    std::vector<ShowEvent> take() {
        std::stable_sort(m_events.begin(), m_events.end(),
                         [](const ShowEvent& a, const ShowEvent& b) { return a.timeMs < b.timeMs; });
        return std::move(m_events);
    }

private:
    std::vector<ShowEvent> m_events;
};

}  // namespace

std::vector<ShowEvent> demoShow() {
    Builder show;
    int64_t t = 0;

    // A wave up through the seven levels, each nimbo a little after its left neighbour.
    for (int level = 0; level < 7; ++level)
        for (int i = 0; i < kNimbos; ++i) show.set(t + level * 800 + i * 90, i, kBandValues[level]);
    t += 7 * 800 + kNimbos * 90;

    // All dark, then a bright nimbo chasing across and back, twice.
    for (int i = 0; i < kNimbos; ++i) show.set(t, i, 0);
    t += 300;
    for (int pass = 0; pass < 2; ++pass) {
        for (int step = 0; step < 2 * kNimbos - 2; ++step) {
            const int i = step < kNimbos ? step : 2 * kNimbos - 2 - step;
            const int previous = step == 0 ? (pass == 0 ? -1 : 1) : (step <= kNimbos - 1 ? i - 1 : i + 1);
            if (previous >= 0 && previous < kNimbos) show.set(t, previous, 0);
            show.set(t, i, 255);
            t += 170;
        }
    }
    show.set(t, 0, 0);
    t += 200;

    // Flames flicker: odd and even nimbos take turns at a low glow with the burner lit.
    for (int beat = 0; beat < 12; ++beat) {
        for (int i = 0; i < kNimbos; ++i) show.set(t, i, (i + beat) % 2 == 0 ? 5 : 0);
        t += 250;
    }

    // Everything to full glow, then a fade down through the levels to dark.
    for (int level = 6; level >= 0; --level) {
        for (int i = 0; i < kNimbos; ++i) show.set(t, i, kBandValues[level]);
        t += level == 6 ? 1200 : 350;
    }
    return show.take();
}

}  // namespace vexohost
