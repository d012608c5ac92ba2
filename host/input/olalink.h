// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef HOST_INPUT_OLALINK_H_
#define HOST_INPUT_OLALINK_H_

#include <QTimer>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "host/input/universe.h"

class QSocketNotifier;

namespace ola::client {
class Result;
struct DMXMetadata;
}  // namespace ola::client
namespace ola {
class DmxBuffer;
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

// The connection to olad, driven by the event loop of the thread that made
// it (the GUI thread in the host):
//
//   olad --tcp--> socket watched by the event loop --> OLA's client --> frameArrived
//
// No thread of its own: a frame wakes the one thread that uses it, and is
// handed on the moment OLA's client has read it. Frames that come while the
// thread is busy wait in the socket, in order, and none is lost. The link
// connects without blocking, registers for one universe, and when olad is not
// there or goes away it says so and tries again with a growing pause,
// registering again after each reconnection.
//
// Owns the socket, OLA's client on it and the timers. Every member is called
// on the thread that made the link, and so is every callback; a callback may
// stop or destroy the link.
class OlaLink {
public:
    // frameArrived gets each frame of the universe as it is read;
    // statusChanged says when the link starts or stops receiving, with a text
    // for people.
    using FrameArrived = std::function<void(const DmxFrame& frame)>;
    using StatusChanged = std::function<void(bool receiving, const std::string& text)>;

    // Starts the first attempt from the event loop. The host must be an IPv4
    // address or "localhost"; see parseHost().
    OlaLink(OlaLinkOptions options, unsigned universe, FrameArrived frameArrived,
            StatusChanged statusChanged);
    ~OlaLink();  // stop()

    OlaLink(const OlaLink&) = delete;
    OlaLink& operator=(const OlaLink&) = delete;

    // Ends the connection at once; no callback runs afterwards.
    void stop();

    // Frames of the universe read since the link was made.
    uint64_t framesArrived() const { return m_framesArrived; }

    // The IPv4 address for `host` ("localhost" is 127.0.0.1), or false.
    static bool parseHost(const std::string& host, uint32_t* networkOrderAddress);

private:
    struct Connection;
    enum class Ending { None, Closed, Refused };

    void attempt();
    void connected();
    void connectFailed(int error);
    void deadlinePassed();
    void serve(int fd);
    static void readable(Connection* connection);
    void end(Ending ending);
    void dropConnection();
    int nextPause();  // the pause before the next attempt, doubling the one after it
    // Reports `text` and tries again after the next pause. Calls out last: the
    // callback may stop or destroy the link.
    void waitAndRetry(const std::string& text, bool sayWhen);
    void report(bool receiving, const std::string& text);
    std::string where() const;

    // Called by OLA's client while it reads.
    void onDmx(const ola::client::DMXMetadata& metadata, const ola::DmxBuffer& data);
    void onRegistered(const ola::client::Result& result);
    void onClosed();

    const OlaLinkOptions m_options;
    const unsigned m_universe;
    FrameArrived m_frameArrived;
    StatusChanged m_statusChanged;

    int m_retryMs;
    bool m_stopped = false;
    QTimer m_retry;     // the next attempt
    QTimer m_deadline;  // for the connection, then for olad's answer

    int m_connecting = -1;  // the socket of an attempt under way
    std::unique_ptr<QSocketNotifier> m_connectWatch;
    Connection* m_connection = nullptr;  // the connection OLA's client serves
    Ending m_ending = Ending::None;      // what OLA's client said while it read
    bool m_registered = false;           // olad took this connection's registration

    DmxFrame m_frame;
    uint64_t m_framesArrived = 0;
};

}  // namespace vexohost

#endif  // HOST_INPUT_OLALINK_H_
