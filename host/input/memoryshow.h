// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_INPUT_MEMORYSHOW_H_
#define HOST_INPUT_MEMORYSHOW_H_

#include <vector>

#include "host/input/showsource.h"

namespace vexohost {

// A show held in memory, as the built-in demo is: events of the same time
// are one moment. Events must be in time order.
class MemoryShow : public ShowSource {
public:
    explicit MemoryShow(std::vector<ShowEvent> events) : m_events(std::move(events)) {}

    Step next(ShowBatch* batch) override;
    const ShowError& error() const override { return m_error; }
    bool restart() override;
    bool canRestart() const override { return true; }
    std::optional<int64_t> lastMomentMs() const override;

private:
    std::vector<ShowEvent> m_events;
    size_t m_next = 0;
    ShowError m_error;  // never set
};

}  // namespace vexohost

#endif  // HOST_INPUT_MEMORYSHOW_H_
