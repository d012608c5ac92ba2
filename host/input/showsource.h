// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_INPUT_SHOWSOURCE_H_
#define HOST_INPUT_SHOWSOURCE_H_

#include <cstdint>
#include <optional>

#include "host/input/showline.h"

namespace vexohost {

// Where a player takes a show from, one moment at a time and in time order:
// a show in memory, a checked file, or a stream read as it comes.
class ShowSource {
public:
    enum class Step {
        Batch,      // *batch holds the next moment (at least one message)
        Pending,    // a stream has no complete line yet: ask again when readyDescriptor() is readable
        End,        // the show has no more moments
        LineError,  // a line of a stream was wrong and is skipped (error() says why); ask again
        Failed,     // the show cannot go on (error() says why); the source stays at its end
    };

    virtual ~ShowSource() = default;

    virtual Step next(ShowBatch* batch) = 0;
    // Why the last LineError or Failed happened.
    virtual const ShowError& error() const = 0;
    // Starts the show again from its first moment; false when the source
    // cannot go back (a pipe).
    virtual bool restart() = 0;
    virtual bool canRestart() const = 0;
    // The time of the last moment, when it is known before playing.
    virtual std::optional<int64_t> lastMomentMs() const = 0;
    // The descriptor to wait on while Pending; -1 when the source never pends.
    virtual int readyDescriptor() const { return -1; }
};

}  // namespace vexohost

#endif  // HOST_INPUT_SHOWSOURCE_H_
