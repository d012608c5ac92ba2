// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESTS_OLA_HOSTILESERVER_H_
#define TESTS_OLA_HOSTILESERVER_H_

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QtGlobal>
#include <atomic>
#include <cstdint>
#include <ostream>
#include <thread>
#include <vector>

namespace olatest {

// A server on olad's port that is not olad: it takes each connection and
// closes it at once, resets it (as an olad that dies while we connect),
// first sends bytes of no protocol, as a broken olad or another program
// might, or keeps it open and says nothing (a service of another kind).
class HostileServer {
public:
    enum class Kind { Slams, Resets, SendsGarbage, Silent };
    friend void PrintTo(Kind kind, std::ostream* out) {
        constexpr const char* kWords[] = {"slams", "resets", "sends garbage", "silent"};
        *out << kWords[int(kind)];
    }

    explicit HostileServer(Kind kind) {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(m_fd, 16);
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this, kind] {
            while (!m_stop) {
                pollfd wait{m_fd, POLLIN, 0};
                if (::poll(&wait, 1, 20) <= 0) continue;
                const int client = ::accept(m_fd, nullptr, nullptr);
                if (client < 0) continue;
                ++m_accepted;
                if (kind == Kind::SendsGarbage) {
                    uint32_t random = 0x9e3779b9u * uint32_t(m_accepted);
                    char junk[16384];
                    for (char& c : junk) c = char((random = random * 1664525u + 1013904223u) >> 24);
                    (void)!::send(client, junk, sizeof junk, MSG_NOSIGNAL);
                }
                if (kind == Kind::Silent) {
                    m_held.push_back(client);
                    continue;
                }
                if (kind == Kind::Resets) {
                    const linger reset{1, 0};
                    ::setsockopt(client, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
                }
                ::close(client);
            }
        });
    }
    ~HostileServer() {
        m_stop = true;
        m_thread.join();
        for (int client : m_held) ::close(client);
        ::close(m_fd);
    }
    quint16 port() const { return m_port; }
    int accepted() const { return m_accepted; }

private:
    int m_fd = -1;
    quint16 m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_accepted{0};
    std::vector<int> m_held;  // the silent server's connections, closed at the end
    std::thread m_thread;
};

}  // namespace olatest

#endif  // TESTS_OLA_HOSTILESERVER_H_
