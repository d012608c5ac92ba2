// SPDX-License-Identifier: GPL-3.0-or-later
// The change list from frames, and olad addresses, without olad.

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <vector>

#include "host/input/olachanneltracker.h"
#include "host/input/olalink.h"
#include "tests/support/casename.h"

namespace {

using vexohost::ChannelChanges;
using vexohost::OlaChannelTracker;

std::vector<uint8_t> frame(size_t size, uint8_t fill) {
    return std::vector<uint8_t>(size, fill);
}

std::vector<uint8_t> with(std::vector<uint8_t> values, size_t slot, uint8_t value) {
    values.at(slot) = value;
    return values;
}

// Channels of a change list, for short expectations.
std::vector<int> channels(const ChannelChanges& changes) {
    std::vector<int> result;
    for (const auto& [channel, value] : changes) result.push_back(channel);
    return result;
}

std::vector<int> range(int first, int last) {
    std::vector<int> result;
    for (int c = first; c <= last; ++c) result.push_back(c);
    return result;
}

struct TrackerCase {
    const char* name;
    std::vector<std::vector<uint8_t>> earlier;  // applied first
    std::vector<uint8_t> last;                  // its changes are checked
    std::vector<int> changed;
};

class TrackerTest : public testing::TestWithParam<TrackerCase> {};

TEST_P(TrackerTest, ReportsChangedChannels) {
    const TrackerCase& c = GetParam();
    OlaChannelTracker tracker;
    for (const auto& f : c.earlier) tracker.apply(f.data(), f.size());
    const ChannelChanges& changes = tracker.apply(c.last.data(), c.last.size());
    EXPECT_EQ(channels(changes), c.changed);
    for (const auto& [channel, value] : changes) {
        EXPECT_EQ(value, c.last[size_t(channel - 1)]) << "channel " << channel;
        EXPECT_EQ(tracker.value(channel), value);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Frames, TrackerTest,
    testing::Values(
        TrackerCase{"FirstFrameAllChannelsEvenZero", {}, frame(512, 0), range(1, 512)},
        TrackerCase{"SameFrameAgainNothing", {frame(512, 7)}, frame(512, 7), {}},
        TrackerCase{"OneSlotChanged", {frame(512, 7)}, with(frame(512, 7), 99, 8), {100}},
        TrackerCase{
            "FirstAndLastChannel", {frame(512, 1)}, with(with(frame(512, 1), 0, 0), 511, 255), {1, 512}},
        TrackerCase{"ShortFirstFrameOnlyItsSlots", {}, frame(24, 0), range(1, 24)},
        TrackerCase{"ShortFrameLeavesTheRestAlone", {frame(512, 9)}, frame(3, 0), {1, 2, 3}},
        TrackerCase{"LongerFrameAfterShortReportsNewSlots", {frame(4, 5)}, frame(6, 5), {5, 6}},
        TrackerCase{"BackToAnEarlierValue", {frame(512, 1), frame(512, 2)}, frame(512, 1), range(1, 512)},
        TrackerCase{"SlotsPastTheUniverseIgnored", {frame(512, 0)}, frame(600, 0), {}},
        TrackerCase{"EmptyFrameNothing", {frame(512, 3)}, {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TrackerTest, ResetForgetsValues) {
    OlaChannelTracker tracker;
    const auto f = frame(512, 40);
    tracker.apply(f.data(), f.size());
    tracker.reset();
    EXPECT_EQ(tracker.value(1), -1);
    EXPECT_EQ(tracker.apply(f.data(), f.size()).size(), 512u);
}

TEST(TrackerTest, ValueOutsideTheUniverseIsUnknown) {
    OlaChannelTracker tracker;
    const auto f = frame(512, 40);
    tracker.apply(f.data(), f.size());
    for (int channel : {-1, 0, 513}) EXPECT_EQ(tracker.value(channel), -1) << channel;
    EXPECT_EQ(tracker.value(512), 40);
    EXPECT_TRUE(tracker.apply(nullptr, 512).empty());
}

struct HostCase {
    const char* host;
    bool valid;
    uint32_t address;  // host order
};

void PrintTo(const HostCase& c, std::ostream* out) {
    *out << (*c.host ? c.host : "empty") << (c.valid ? "" : " refused");
}

class HostTest : public testing::TestWithParam<HostCase> {};

TEST_P(HostTest, ParsesIpv4OrLocalhost) {
    uint32_t address = 0;
    EXPECT_EQ(vexohost::OlaLink::parseHost(GetParam().host, &address), GetParam().valid);
    if (GetParam().valid) {
        EXPECT_EQ(ntohl(address), GetParam().address);
    }
}

INSTANTIATE_TEST_SUITE_P(Hosts, HostTest,
                         testing::Values(HostCase{"127.0.0.1", true, 0x7f000001},
                                         HostCase{"localhost", true, 0x7f000001},
                                         HostCase{"127.0.0.2", true, 0x7f000002}, HostCase{"", false, 0},
                                         HostCase{"::1", false, 0}, HostCase{"256.0.0.1", false, 0},
                                         HostCase{"olad.example", false, 0},
                                         HostCase{"127.0.0.1:9010", false, 0}),
                         testsupport::CaseName());

}  // namespace
