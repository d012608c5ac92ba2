// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/input/olalink.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <ola/Callback.h>
#include <ola/DmxBuffer.h>
#include <ola/client/OlaClient.h>
#include <ola/io/SelectServer.h>
#include <ola/network/TCPSocket.h>
#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <utility>

namespace vexohost {
namespace {

// How often a blocking step looks at the stop flag.
constexpr int kStopCheckMs = 50;

std::string seconds(int ms) {
    std::string text = std::to_string(ms / 1000);
    if (const int rest = ms % 1000) {
        std::string fraction = std::to_string(1000 + rest).substr(1);
        fraction.erase(fraction.find_last_not_of('0') + 1);
        text += "." + fraction;
    }
    return text + " s";
}

// Closes a socket that never reached the OLA client.
struct FdCloser {
    int fd;
    ~FdCloser() {
        if (fd >= 0) ::close(fd);
    }
    int release() { return std::exchange(fd, -1); }
};

// A one-shot OLA callback that calls a member of the link and clears *alive
// when it is deleted, by OLA after running or by serve().
template <typename Base, typename... Args>
class OneShot : public Base {
public:
    OneShot(OlaLink* link, void (OlaLink::*method)(Args...), bool* alive)
        : m_link(link), m_method(method), m_alive(alive) {
        *m_alive = true;
    }
    ~OneShot() override { *m_alive = false; }

private:
    void DoRun(Args... args) override { (m_link->*m_method)(args...); }

    OlaLink* m_link;
    void (OlaLink::*m_method)(Args...);
    bool* m_alive;
};

}  // namespace

OlaLink::OlaLink(OlaLinkOptions options, unsigned universe, FrameReady frameReady,
                 StatusChanged statusChanged)
    : m_options(std::move(options)),
      m_universe(universe),
      m_frameReady(std::move(frameReady)),
      m_statusChanged(std::move(statusChanged)) {
    m_thread = std::thread([this] { run(); });
}

OlaLink::~OlaLink() {
    stop();
}

void OlaLink::stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
        // Execute() is the one SelectServer call that is safe from another
        // thread; the loop stays alive while m_loop is set under the mutex.
        if (m_loop) m_loop->Execute(ola::NewSingleCallback(this, &OlaLink::terminateLoop));
    }
    m_wake.notify_all();
    if (m_thread.joinable()) m_thread.join();
}

bool OlaLink::takeFrame(DmxFrame& frame) {
    std::lock_guard lock(m_mutex);
    if (m_queued == 0) return false;
    const DmxFrame& oldest = m_queue[m_oldest];
    frame.size = oldest.size;
    std::copy_n(oldest.slotValues.begin(), oldest.size, frame.slotValues.begin());
    m_oldest = (m_oldest + 1) % kQueuedFrames;
    --m_queued;
    return true;
}

uint64_t OlaLink::framesArrived() const {
    std::lock_guard lock(m_mutex);
    return m_framesArrived;
}

bool OlaLink::parseHost(const std::string& host, uint32_t* networkOrderAddress) {
    in_addr address{};
    if (host == "localhost") {
        address.s_addr = htonl(INADDR_LOOPBACK);
    } else if (::inet_pton(AF_INET, host.c_str(), &address) != 1) {
        return false;
    }
    if (networkOrderAddress) *networkOrderAddress = address.s_addr;
    return true;
}

bool OlaLink::stopping() const {
    std::lock_guard lock(m_mutex);
    return m_stopping;
}

bool OlaLink::pause(int ms) {
    std::unique_lock lock(m_mutex);
    return !m_wake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_stopping; });
}

void OlaLink::report(bool receiving, const std::string& text) {
    if (m_statusChanged) m_statusChanged(receiving, text);
}

std::string OlaLink::where() const {
    return m_options.host + ":" + std::to_string(m_options.port);
}

void OlaLink::run() {
    // A write to a socket olad just closed must end in EPIPE on this thread,
    // not in a signal that ends the program.
    sigset_t pipe;
    sigemptyset(&pipe);
    sigaddset(&pipe, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipe, nullptr);

    const int firstRetryMs = std::max(1, m_options.firstRetryMs);
    int retryMs = firstRetryMs;
    while (!stopping()) {
        std::string error;
        const int fd = connectToServer(&error);
        if (fd >= 0) {
            const Ending ending = serve(fd);
            if (ending == Ending::Stopped) break;
            if (ending == Ending::Closed) {
                report(false, "lost connection to olad on " + where());
                // After a working connection olad may just be restarting: try
                // again at once. One that closed before the registration went
                // through waits like a failed attempt, so a server that keeps
                // dropping us is not hammered.
                if (m_registered) {
                    retryMs = firstRetryMs;
                    continue;
                }
            }
            // A refused registration has reported its own text.
        } else if (stopping()) {
            break;
        } else {
            report(false, error + ", retrying in " + seconds(retryMs));
        }
        if (!pause(retryMs)) break;
        retryMs = std::min(retryMs * 2, std::max(m_options.maxRetryMs, firstRetryMs));
    }
}

int OlaLink::connectToServer(std::string* error) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(m_options.port);
    if (!parseHost(m_options.host, &address.sin_addr.s_addr)) {
        *error = "olad address not valid: " + m_options.host;
        return -1;
    }
    FdCloser socket{::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0)};
    if (socket.fd < 0) {
        *error = std::string("no socket for olad: ") + std::strerror(errno);
        return -1;
    }
    // Not blocking, so that stop() is not held up by an address that does not answer.
    int result = ::connect(socket.fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    int failure = result == 0 ? 0 : errno;
    if (failure == EINPROGRESS) {
        failure = ETIMEDOUT;
        for (int waited = 0; waited < m_options.connectTimeoutMs && !stopping(); waited += kStopCheckMs) {
            pollfd wait{socket.fd, POLLOUT, 0};
            const int ready = ::poll(&wait, 1, kStopCheckMs);
            if (ready < 0 && errno != EINTR) {
                failure = errno;
                break;
            }
            if (ready > 0) {
                socklen_t length = sizeof failure;
                if (::getsockopt(socket.fd, SOL_SOCKET, SO_ERROR, &failure, &length) != 0) failure = errno;
                break;
            }
        }
    }
    if (failure != 0) {
        if (failure == ECONNREFUSED)
            *error = "olad not running on " + where();
        else
            *error = "olad not reachable on " + where() + " (" + std::strerror(failure) + ")";
        return -1;
    }
    // The OLA client expects a blocking socket, as its own connect makes.
    const int flags = ::fcntl(socket.fd, F_GETFL);
    if (flags < 0 || ::fcntl(socket.fd, F_SETFL, flags & ~O_NONBLOCK) < 0) {
        *error = std::string("socket for olad not usable: ") + std::strerror(errno);
        return -1;
    }
    return socket.release();
}

OlaLink::Ending OlaLink::serve(int fd) {
    // The two one-shot callbacks go to the OLA client, which deletes them when
    // they run. The installed client drops them unrun, and undeleted, when
    // the connection ends on our side or before olad answered; then they are
    // deleted here, once no OLA object is left that could still run them.
    bool closeNoticeAlive = false;
    bool registeredNoticeAlive = false;
    auto* closeNotice =
        new OneShot<ola::SingleUseCallback0<void>>(this, &OlaLink::onClosed, &closeNoticeAlive);
    auto* registeredNotice =
        new OneShot<ola::SingleUseCallback1<void, const ola::client::Result&>, const ola::client::Result&>(
            this, &OlaLink::onRegistered, &registeredNoticeAlive);
    const Ending ending = runClient(fd, closeNotice, registeredNotice);
    if (closeNoticeAlive) delete closeNotice;
    if (registeredNoticeAlive) delete registeredNotice;
    return ending;
}

OlaLink::Ending OlaLink::runClient(
    int fd, ola::SingleUseCallback0<void>* closeNotice,
    ola::SingleUseCallback1<void, const ola::client::Result&>* registeredNotice) {
    // Destroyed in reverse order: the client before the loop, the loop before the socket.
    ola::network::TCPSocket socket(fd);
    socket.SetNoDelay();
    ola::io::SelectServer loop;
    ola::client::OlaClient client(&socket);
    if (!client.Setup()) return stopping() ? Ending::Stopped : Ending::Closed;
    loop.AddReadDescriptor(&socket);
    client.SetCloseHandler(closeNotice);
    client.SetDMXCallback(ola::NewCallback(this, &OlaLink::onDmx));
    m_refused = m_registered = false;
    client.RegisterUniverse(m_universe, ola::client::REGISTER, registeredNotice);
    // Something that takes connections on olad's port but never answers is
    // not olad: say so, and try again later as after a refusal.
    loop.RegisterSingleTimeout(unsigned(std::max(1, m_options.connectTimeoutMs)),
                               ola::NewSingleCallback(this, &OlaLink::onNoAnswer));
    // A request that cannot even be sent (olad went away as we connected)
    // fails at once, before there is a loop to end: it must not run then,
    // for nothing would ever end it.
    const bool failedAtOnce = m_refused;

    {
        std::lock_guard lock(m_mutex);
        if (m_stopping) return Ending::Stopped;
        m_loop = &loop;
    }
    if (!failedAtOnce) loop.Run();
    {
        std::lock_guard lock(m_mutex);
        m_loop = nullptr;
    }
    if (socket.ValidReadDescriptor()) loop.RemoveReadDescriptor(&socket);
    client.Stop();
    if (stopping()) return Ending::Stopped;
    return m_refused ? Ending::Refused : Ending::Closed;
}

void OlaLink::onDmx(const ola::client::DMXMetadata& metadata, const ola::DmxBuffer& data) {
    if (metadata.universe != m_universe) return;
    bool wasEmpty;
    {
        std::lock_guard lock(m_mutex);
        wasEmpty = m_queued == 0;
        // A full ring keeps its oldest frames and the latest state: the new
        // frame takes the newest one's place.
        if (m_queued < kQueuedFrames) ++m_queued;
        DmxFrame& into = m_queue[(m_oldest + m_queued - 1) % kQueuedFrames];
        unsigned length = unsigned(into.slotValues.size());
        data.Get(into.slotValues.data(), &length);
        into.size = length;
        ++m_framesArrived;
    }
    if (wasEmpty && m_frameReady) m_frameReady();
}

void OlaLink::onRegistered(const ola::client::Result& result) {
    if (result.Success()) {
        m_registered = true;
        report(true, "receiving universe " + std::to_string(m_universe));
        return;
    }
    m_refused = true;
    report(false, "universe " + std::to_string(m_universe) + ": olad refused the registration (" +
                      result.Error() + ")");
    terminateLoop();
}

void OlaLink::onNoAnswer() {
    if (m_registered || m_refused) return;
    m_refused = true;
    report(false, "no olad answers on " + where() + " (something else listens there), retrying");
    terminateLoop();
}

void OlaLink::onClosed() {
    terminateLoop();
}

void OlaLink::terminateLoop() {
    // Runs on the loop's own thread, where Terminate() sees the loop running.
    std::lock_guard lock(m_mutex);
    if (m_loop) m_loop->Terminate();
}

}  // namespace vexohost
