// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_APP_CHANNELROUTER_H_
#define HOST_APP_CHANNELROUTER_H_

#include <cstdint>

#include "host/input/hostmessage.h"
#include "host/input/olachanneltracker.h"

namespace vexohost {

class ChannelTimeline;
class PluginFeed;
class RunOutputs;
class ShowPlayer;
struct DmxFrame;

// The one way a channel value reaches the plug-in and, with it, the run's
// outputs (the saved show, the values) and the timeline, all at one time: a
// show's own (over its passes and seeks, played fast or slow), a live
// input's on the wall clock; a show started again, or another input, goes on
// from the last time taken. Input channels arrive shifted by the base
// address: input channel `base` is the plug-in's channel 1.
//
// Owns where the player's time begins on the outputs' time. The input
// control calls it for every value of its input, the faders' and the zeros
// of a reset, and tells it which player plays. Allocates nothing. GUI thread.
class ChannelRouter {
public:
    // feed, outputs, timeline: outlive this.
    ChannelRouter(PluginFeed& feed, RunOutputs& outputs, ChannelTimeline& timeline);

    // The show that plays from now on (null: a live input, on the wall
    // clock); it starts (again) now, so its time goes on from the last taken.
    void playerStarts(const ShowPlayer* player);
    void playerGone() { m_player = nullptr; }

    // Input channel inputChannel is value.
    void send(int64_t inputChannel, int32_t value, int base) { route(nowMs(), inputChannel, value, base); }
    // A frame's changed channels, all at one time.
    void sendAll(const ChannelChanges& changes, int base);
    // The channels sent a value other than 0 go back to 0 (unlit, as at load).
    void reset(int base);
    // The values have a row now, whether or not a value changes (the state after a seek).
    void markMoment();
    // A live universe's frame as it came, for a saved universe.
    void keepFrame(unsigned universe, const DmxFrame& frame);

    // The time of what is sent now, on the outputs' time.
    int64_t nowMs() const;

private:
    void route(int64_t ms, int64_t inputChannel, int32_t value, int base);

    PluginFeed& m_feed;
    RunOutputs& m_outputs;
    ChannelTimeline& m_timeline;
    const ShowPlayer* m_player = nullptr;
    int64_t m_showOffsetMs = 0;  // the outputs' time where the player's own began
};

}  // namespace vexohost

#endif  // HOST_APP_CHANNELROUTER_H_
