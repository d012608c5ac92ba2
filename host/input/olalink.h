// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_INPUT_OLALINK_H_
#define HOST_INPUT_OLALINK_H_

#include <array>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "host/input/universe.h"

namespace ola {
class DmxBuffer;
template <typename ReturnType>
class SingleUseCallback0;
template <typename ReturnType, typename Arg0>
class SingleUseCallback1;
namespace client {
class Result;
struct DMXMetadata;
}  // namespace client
namespace io {
class SelectServer;
}  // namespace io
}  // namespace ola

namespace vexohost {

struct OlaLinkOptions {
    std::string host = "127.0.0.1";  // IPv4 address of olad's RPC port
    uint16_t port = 9010;
    int firstRetryMs = 250;  // wait after the first failed attempt, doubled after each further one
    int maxRetryMs = 4000;
    int connectTimeoutMs = 2000;  // for a connection, and then for the answer to the registration
};

// One DMX frame as olad delivered it: the first `size` values are valid.
struct DmxFrame {
    std::array<uint8_t, kUniverseSize> slotValues{};
    unsigned size = 0;
};

// The connection to olad, on a thread of its own:
//
//   olad --tcp--> OlaLink thread (OlaClient + SelectServer)
//        --frame queue--> frameReady() --> whoever takes the frames
//
// The thread connects, registers for one universe and queues the frames in
// a ring of kQueuedFrames, made once, so that a reader held up for a moment
// (a window being drawn, a burst from a fast fader) still gets every frame in
// order. A reader held up longer than the ring lasts loses frames, never
// memory: when the ring is full, a new frame replaces the newest queued one,
// so the last frame taken is always the latest state. When olad is not there
// or goes away the thread says so and tries again with a growing pause,
// registering again after each reconnection.
class OlaLink {
public:
    // Called on the link's thread, so they must be quick and must not call
    // back into the link except takeFrame(). frameReady runs when the queue
    // goes from empty to holding a frame; statusChanged when the link starts or stops
    // receiving, with a text for people.
    using FrameReady = std::function<void()>;
    using StatusChanged = std::function<void(bool receiving, const std::string& text)>;

    // Starts the thread. The host must be an IPv4 address or "localhost"; see
    // parseHost().
    OlaLink(OlaLinkOptions options, unsigned universe, FrameReady frameReady, StatusChanged statusChanged);
    ~OlaLink();  // stop()

    OlaLink(const OlaLink&) = delete;
    OlaLink& operator=(const OlaLink&) = delete;

    // Frames the ring holds: 128 ms at 500 frames/s, 1.4 s at a console's 44.
    static constexpr unsigned kQueuedFrames = 64;

    // Moves the oldest queued frame into `frame`; false (and `frame`
    // untouched) when none is queued. Any thread.
    bool takeFrame(DmxFrame& frame);

    // Ends the connection and joins the thread; no callback runs afterwards.
    // Returns within about 0.1 s.
    void stop();

    // Frames that reached the queue, taken or replaced. Any thread.
    uint64_t framesArrived() const;

    // The IPv4 address for `host` ("localhost" is 127.0.0.1), or false.
    static bool parseHost(const std::string& host, uint32_t* networkOrderAddress);

private:
    enum class Ending { Closed, Refused, Stopped };

    void run();
    int connectToServer(std::string* error);
    Ending serve(int fd);
    Ending runClient(int fd, ola::SingleUseCallback0<void>* closeNotice,
                     ola::SingleUseCallback1<void, const ola::client::Result&>* registeredNotice);
    bool pause(int ms);  // false when stopped during the pause
    bool stopping() const;
    void report(bool receiving, const std::string& text);
    std::string where() const;

    // Called by the OLA client inside serve().
    void onDmx(const ola::client::DMXMetadata& metadata, const ola::DmxBuffer& data);
    void onRegistered(const ola::client::Result& result);
    void onNoAnswer();
    void onClosed();
    void terminateLoop();

    const OlaLinkOptions m_options;
    // Link thread only.
    bool m_refused = false;     // olad refused the registration
    bool m_registered = false;  // the registration of this connection went through

    const unsigned m_universe;
    FrameReady m_frameReady;
    StatusChanged m_statusChanged;

    mutable std::mutex m_mutex;  // guards everything below but the thread
    std::condition_variable m_wake;
    bool m_stopping = false;
    ola::io::SelectServer* m_loop = nullptr;  // owned by serve(), set while it runs
    std::array<DmxFrame, kQueuedFrames> m_queue;
    unsigned m_oldest = 0;  // index of the oldest queued frame
    unsigned m_queued = 0;
    uint64_t m_framesArrived = 0;

    std::thread m_thread;
};

}  // namespace vexohost

#endif  // HOST_INPUT_OLALINK_H_
