// SPDX-License-Identifier: GPL-3.0-or-later
#include "host/input/olalink.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <ola/Callback.h>
#include <ola/DmxBuffer.h>
#include <ola/client/OlaClient.h>
#include <ola/network/TCPSocket.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

namespace vexohost {
namespace {

std::string seconds(int ms) {
    std::string text = std::to_string(ms / 1000);
    if (const int rest = ms % 1000) {
        std::string fraction = std::to_string(1000 + rest).substr(1);
        fraction.erase(fraction.find_last_not_of('0') + 1);
        text += "." + fraction;
    }
    return text + " s";
}

// A one-shot OLA callback that calls a member of the link and clears *alive
// when it is deleted, by OLA after running or by the connection.
template <typename Base, typename Link, typename... Args>
class OneShot : public Base {
public:
    OneShot(Link* link, void (Link::*method)(Args...), bool* alive)
        : m_link(link), m_method(method), m_alive(alive) {
        *m_alive = true;
    }
    ~OneShot() override { *m_alive = false; }

private:
    void DoRun(Args... args) override { (m_link->*m_method)(args...); }

    Link* m_link;
    void (Link::*m_method)(Args...);
    bool* m_alive;
};

}  // namespace

// One connection to olad and OLA's client on it. The client is called only
// with `busy` set; a connection the link lets go of meanwhile (a callback
// stopped or destroyed the link) is only marked `orphaned`, and deleted by
// whoever called into the client, once the client has returned.
struct OlaLink::Connection {
    // The two one-shot callbacks go to OLA's client, which deletes them when
    // they run. It drops them unrun, and undeleted, when the connection ends
    // on our side or before olad answered; then they are deleted here, after
    // the client (this member is destroyed last).
    struct Notices {
        bool closeAlive = false;
        bool registeredAlive = false;
        ola::SingleUseCallback0<void>* close = nullptr;
        ola::SingleUseCallback1<void, const ola::client::Result&>* registered = nullptr;
        ~Notices() {
            if (closeAlive) delete close;
            if (registeredAlive) delete registered;
        }
    };

    Connection(OlaLink* link, int fd) : link(link), socket(fd), client(&socket) {}
    ~Connection() { client.Stop(); }

    OlaLink* const link;
    Notices notices;
    ola::network::TCPSocket socket;
    ola::client::OlaClient client;
    std::unique_ptr<QSocketNotifier> notifier;
    bool busy = false;
    bool orphaned = false;
    bool pausedInside = false;  // a nested event loop found the socket readable while the client read
};

OlaLink::OlaLink(OlaLinkOptions options, unsigned universe, FrameArrived frameArrived,
                 StatusChanged statusChanged)
    : m_options(std::move(options)),
      m_universe(universe),
      m_frameArrived(std::move(frameArrived)),
      m_statusChanged(std::move(statusChanged)),
      m_retryMs(std::max(1, m_options.firstRetryMs)) {
    m_retry.setSingleShot(true);
    m_deadline.setSingleShot(true);
    QObject::connect(&m_retry, &QTimer::timeout, [this] { attempt(); });
    QObject::connect(&m_deadline, &QTimer::timeout, [this] { deadlinePassed(); });
    m_retry.start(0);
}

OlaLink::~OlaLink() {
    stop();
}

void OlaLink::stop() {
    m_stopped = true;
    m_retry.stop();
    m_deadline.stop();
    m_connectWatch.reset();
    if (m_connecting >= 0) ::close(std::exchange(m_connecting, -1));
    dropConnection();
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

std::string OlaLink::where() const {
    return m_options.host + ":" + std::to_string(m_options.port);
}

void OlaLink::attempt() {
    m_connectWatch.reset();
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(m_options.port);
    if (!parseHost(m_options.host, &address.sin_addr.s_addr)) {
        waitAndRetry("olad address not valid: " + m_options.host, true);
        return;
    }
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        waitAndRetry(std::string("no socket for olad: ") + std::strerror(errno), true);
        return;
    }
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        serve(fd);
        return;
    }
    if (errno != EINPROGRESS) {
        const int failure = errno;
        ::close(fd);
        connectFailed(failure);
        return;
    }
    // Not waited for here: the event loop says when the attempt is decided.
    m_connecting = fd;
    m_connectWatch = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
    QObject::connect(m_connectWatch.get(), &QSocketNotifier::activated, [this] { connected(); });
    m_deadline.start(std::max(1, m_options.connectTimeoutMs));
}

void OlaLink::connected() {
    m_deadline.stop();
    m_connectWatch.reset();  // Qt allows a notifier to be deleted by its own signal
    const int fd = std::exchange(m_connecting, -1);
    int failure = 0;
    socklen_t length = sizeof failure;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &failure, &length) != 0) failure = errno;
    if (failure != 0) {
        ::close(fd);
        connectFailed(failure);
        return;
    }
    serve(fd);
}

void OlaLink::connectFailed(int error) {
    if (error == ECONNREFUSED)
        waitAndRetry("olad not running on " + where(), true);
    else
        waitAndRetry("olad not reachable on " + where() + " (" + std::strerror(error) + ")", true);
}

void OlaLink::deadlinePassed() {
    if (m_connecting >= 0) {
        m_connectWatch.reset();
        ::close(std::exchange(m_connecting, -1));
        connectFailed(ETIMEDOUT);
        return;
    }
    // Something that takes connections on olad's port but never answers is
    // not olad: say so, and try again later as after a refusal.
    if (!m_connection || m_registered) return;
    dropConnection();
    waitAndRetry("no olad answers on " + where() + " (something else listens there), retrying", false);
}

void OlaLink::serve(int fd) {
    // The socket stays non-blocking: a message that has come only in part is
    // read on as the rest comes, and never holds up the thread.
    m_ending = Ending::None;
    m_registered = false;
    auto* c = new Connection(this, fd);
    c->socket.SetNoDelay();
    if (!c->client.Setup()) {
        delete c;
        end(Ending::Closed);
        return;
    }
    m_connection = c;
    c->notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(c->notifier.get(), &QSocketNotifier::activated, [c] { readable(c); });
    auto& n = c->notices;
    n.close = new OneShot<ola::SingleUseCallback0<void>, OlaLink>(this, &OlaLink::onClosed, &n.closeAlive);
    n.registered = new OneShot<ola::SingleUseCallback1<void, const ola::client::Result&>, OlaLink,
                               const ola::client::Result&>(this, &OlaLink::onRegistered, &n.registeredAlive);
    c->client.SetCloseHandler(n.close);
    c->client.SetDMXCallback(ola::NewCallback(this, &OlaLink::onDmx));
    // A request that cannot even be sent (olad went away as we connected)
    // is answered at once, inside this call.
    c->busy = true;
    c->client.RegisterUniverse(m_universe, ola::client::REGISTER, n.registered);
    c->busy = false;
    if (c->orphaned) {
        delete c;
        return;
    }
    if (m_ending != Ending::None) {
        end(m_ending);
        return;
    }
    m_deadline.start(std::max(1, m_options.connectTimeoutMs));
}

// What the poller of OLA's own event loop does when a connection's socket is
// readable: a socket with nothing left to read was closed by olad.
void OlaLink::readable(Connection* c) {
    if (c->busy) {
        // A nested event loop while the client reads: the socket waits for the
        // client to return, rather than wake that loop again and again.
        c->notifier->setEnabled(false);
        c->pausedInside = true;
        return;
    }
    c->busy = true;
    // Closed by olad, or by the client on a message it could not make sense of.
    bool closed = c->socket.IsClosed();
    if (!closed) {
        c->socket.PerformRead();
        closed = !c->socket.ValidReadDescriptor();
    }
    if (closed) {
        if (ola::SingleUseCallback0<void>* onClose = c->socket.TransferOnClose()) onClose->Run();
    }
    c->busy = false;
    if (c->orphaned) {
        delete c;  // the link is stopped or gone: touch nothing else
        return;
    }
    if (std::exchange(c->pausedInside, false)) c->notifier->setEnabled(true);
    if (c->link->m_ending != Ending::None) c->link->end(c->link->m_ending);
}

void OlaLink::end(Ending ending) {
    const bool wasRegistered = m_registered;
    dropConnection();
    if (ending == Ending::Refused) {
        // The refusal has reported its own text.
        m_retry.start(nextPause());
        return;
    }
    // After a working connection olad may just be restarting: try again at
    // once. One that closed before the registration went through waits like
    // a failed attempt, so a server that keeps dropping us is not hammered.
    if (wasRegistered) {
        m_retryMs = std::max(1, m_options.firstRetryMs);
        m_retry.start(0);
    } else {
        m_retry.start(nextPause());
    }
    report(false, "lost connection to olad on " + where());
}

void OlaLink::dropConnection() {
    m_deadline.stop();
    m_registered = false;
    m_ending = Ending::None;
    Connection* c = std::exchange(m_connection, nullptr);
    if (!c) return;
    if (c->busy) {
        c->notifier->setEnabled(false);
        c->orphaned = true;
    } else {
        delete c;
    }
}

int OlaLink::nextPause() {
    const int wait = m_retryMs;
    const int first = std::max(1, m_options.firstRetryMs);
    m_retryMs = std::min(m_retryMs * 2, std::max(m_options.maxRetryMs, first));
    return wait;
}

void OlaLink::waitAndRetry(const std::string& text, bool sayWhen) {
    const int wait = nextPause();
    m_retry.start(wait);
    report(false, sayWhen ? text + ", retrying in " + seconds(wait) : text);
}

void OlaLink::report(bool receiving, const std::string& text) {
    if (!m_statusChanged) return;
    const StatusChanged call = m_statusChanged;  // lives on if the callback destroys the link
    call(receiving, text);
}

// The callbacks of OLA's client come while it reads, with the connection
// busy. Each calls out last, since the callback it calls may stop or destroy
// the link.

void OlaLink::onDmx(const ola::client::DMXMetadata& metadata, const ola::DmxBuffer& data) {
    if (metadata.universe != m_universe || m_stopped) return;
    unsigned length = unsigned(m_frame.slotValues.size());
    data.Get(m_frame.slotValues.data(), &length);
    m_frame.size = length;
    ++m_framesArrived;
    // Called through a copy (the small function object stays on the stack),
    // which lives on if the callback destroys the link.
    if (!m_frameArrived) return;
    const FrameArrived call = m_frameArrived;
    call(m_frame);
}

void OlaLink::onRegistered(const ola::client::Result& result) {
    if (m_stopped) return;
    if (result.Success()) {
        m_registered = true;
        m_deadline.stop();
        report(true, "receiving universe " + std::to_string(m_universe));
        return;
    }
    m_ending = Ending::Refused;
    report(false, "universe " + std::to_string(m_universe) + ": olad refused the registration (" +
                      result.Error() + ")");
}

void OlaLink::onClosed() {
    m_ending = Ending::Closed;
}

}  // namespace vexohost
