// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/ola/dmxsender.h"

#include <ola/DmxBuffer.h>
#include <ola/client/StreamingClient.h>

namespace olatest {

DmxSender::DmxSender(uint16_t port) : m_port(port) {}

DmxSender::~DmxSender() {
    if (m_client) m_client->Stop();
}

bool DmxSender::connect() {
    ola::client::StreamingClient::Options options;
    options.auto_start = false;  // an olad we did not start is never wanted
    options.server_port = m_port;
    m_client = std::make_unique<ola::client::StreamingClient>(options);
    if (m_client->Setup()) return true;
    m_client.reset();
    return false;
}

bool DmxSender::send(unsigned universe, const std::vector<uint8_t>& values) {
    if (!m_client) return false;
    ola::DmxBuffer buffer(values.data(), unsigned(values.size()));
    return m_client->SendDmx(universe, buffer);
}

}  // namespace olatest
