// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_INPUT_HOSTMESSAGE_H_
#define HOST_INPUT_HOSTMESSAGE_H_

#include <cstdint>

#include "vexo/vexotypelib.h"

namespace vexohost {

// What every input hands the application: one host message, as the host
// passes it to a plug-in's MessageHandle. Message 15 carries a channel value
// (arg1 channel, arg2 value).
struct HostMessage {
    int32_t msg = 0;
    int32_t arg1 = 0;
    int32_t arg2 = 0;

    static constexpr HostMessage channelValue(int32_t channel, int32_t value) {
        return {vexo::kMsgChannelValue, channel, value};
    }
    friend bool operator==(const HostMessage&, const HostMessage&) = default;
};

}  // namespace vexohost

#endif  // HOST_INPUT_HOSTMESSAGE_H_
