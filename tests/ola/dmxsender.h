// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef TESTS_OLA_DMXSENDER_H_
#define TESTS_OLA_DMXSENDER_H_

#include <cstdint>
#include <memory>
#include <vector>

namespace ola::client {
class StreamingClient;
}  // namespace ola::client

namespace olatest {

// Sends frames to olad on 127.0.0.1:port the way a console bridge would,
// through OLA's streaming client. Never starts an olad of its own.
class DmxSender {
public:
    explicit DmxSender(uint16_t port);
    ~DmxSender();

    bool connect();
    // False when not connected or olad went away.
    bool send(unsigned universe, const std::vector<uint8_t>& values);

private:
    uint16_t m_port;
    std::unique_ptr<ola::client::StreamingClient> m_client;
};

}  // namespace olatest

#endif  // TESTS_OLA_DMXSENDER_H_
