// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/app/channelrouter.h"

#include <limits>

#include "host/app/pluginfeed.h"
#include "host/input/olalink.h"
#include "host/input/showplayer.h"
#include "host/outputs/runoutputs.h"
#include "host/windows/channeltimeline.h"

namespace vexohost {

ChannelRouter::ChannelRouter(PluginFeed& feed, RunOutputs& outputs, ChannelTimeline& timeline)
    : m_feed(feed), m_outputs(outputs), m_timeline(timeline) {}

void ChannelRouter::playerStarts(const ShowPlayer* player) {
    m_player = player;
    if (!player) return;
    const int64_t last = m_outputs.lastMs();
    m_showOffsetMs = last < 0 ? 0 : last - player->fromMs();
}

int64_t ChannelRouter::nowMs() const {
    return m_player ? m_showOffsetMs + m_player->fromMs() + m_player->playedMs() : m_outputs.wallMs();
}

// The nine go into the timeline, a show's on its own time, a live input's
// on the wall clock.
void ChannelRouter::route(int64_t ms, int64_t inputChannel, int32_t value, int base) {
    const int64_t channel = inputChannel - (base - 1);
    const bool lane = channel >= 1 && channel <= SentValues::kChannels;
    m_outputs.keep(ms, inputChannel, lane ? int32_t(channel) : 0, value, !m_player);
    if (channel < std::numeric_limits<int32_t>::min()) return;
    m_feed.send(HostMessage::channelValue(int32_t(channel), value));
    if (!lane) return;
    if (m_player)
        m_timeline.take(m_player->fromMs() + m_player->playedMs(), int(channel), value);
    else
        m_timeline.takeLive(int(channel), value);
}

void ChannelRouter::sendAll(const ChannelChanges& changes, int base) {
    const int64_t ms = nowMs();
    for (const auto& [channel, value] : changes) route(ms, channel, value, base);
}

void ChannelRouter::reset(int base) {
    const SentValues& sent = m_feed.sent();
    for (int channel = 1; channel <= SentValues::kChannels; ++channel)
        if (const std::optional<int32_t> value = sent.value(channel); value && *value != 0)
            send(int64_t(channel) + base - 1, 0, base);
}

void ChannelRouter::markMoment() {
    m_outputs.markMoment(nowMs());
}

void ChannelRouter::keepFrame(unsigned universe, const DmxFrame& frame) {
    m_outputs.keepFrame(nowMs(), universe, frame.slotValues.data(), frame.size);
}

}  // namespace vexohost
