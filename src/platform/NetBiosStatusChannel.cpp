#include "platform/NetBiosStatusChannel.h"

#include "engine/ports/PlatformError.h"
#include "model/LogCategories.h"
#include "platform/DatagramSocket.h"

#include <cerrno>
#include <chrono>
#include <netinet/in.h>
#include <sys/socket.h>

namespace {

constexpr int kSocketBufferBytes = 4 << 20;
constexpr int kReplyBufferSize = 2049;

uint16_t MillisecondTicks()
{
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<uint16_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

} // namespace

NetBiosStatusChannel::NetBiosStatusChannel(uint16_t port) : m_port(port)
{
    m_socket.reset(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP));
    if (!m_socket.valid()) {
        qCDebug(kestrovaProbe) << "NetBIOS socket refused, no NetBIOS probes:"
                               << PlatformError::fromErrno(errno).message;
        return;
    }
    RaiseSocketBuffers(m_socket.get(), kSocketBufferBytes);
    EnableQueuedErrors(m_socket.get());
}

// Exact text: the bytes of a node status query for "*", which every NetBIOS node
// answers; the probe packet tests compare them.
QByteArray NetBiosStatusChannel::BuildNodeStatusRequest(uint16_t transactionId)
{
    QByteArray request;
    request.reserve(50);
    request.append(static_cast<char>(transactionId & 0xFF));
    request.append(static_cast<char>(transactionId >> 8));
    request.append("\x00\x10", 2);                 // flags
    request.append("\x00\x01", 2);                 // questions
    request.append("\x00\x00\x00\x00\x00\x00", 6); // answers, authority, additional
    request.append('\x20');                        // length of the encoded name
    // "*" padded with zero bytes, first-level encoded: each half-byte + 'A'.
    request.append("CKAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA", 32);
    request.append('\x00');
    request.append("\x00\x21", 2); // node status
    request.append("\x00\x01", 2); // class IN
    return request;
}

ProbeStatus NetBiosStatusChannel::begin(ProbeId id, uint32_t address)
{
    if (!m_socket.valid())
        return ProbeStatus::Failed;
    const QByteArray request = BuildNodeStatusRequest(MillisecondTicks());
    if (SendDatagram(m_socket.get(), request.constData(), static_cast<size_t>(request.size()), address,
                     m_port) != 0)
        return ProbeStatus::Failed;
    m_pendingByAddress.emplace(address, id);
    m_addressById.emplace(id, address);
    return ProbeStatus::Pending;
}

void NetBiosStatusChannel::cancel(ProbeId id)
{
    const auto found = m_addressById.find(id);
    if (found == m_addressById.end())
        return;
    auto [first, last] = m_pendingByAddress.equal_range(found->second);
    for (auto it = first; it != last; ++it) {
        if (it->second == id) {
            m_pendingByAddress.erase(it);
            break;
        }
    }
    m_addressById.erase(found);
}

void NetBiosStatusChannel::settleAddress(uint32_t address, bool answered, std::vector<ProbeOutcome>& outcomes)
{
    auto [first, last] = m_pendingByAddress.equal_range(address);
    for (auto it = first; it != last; ++it) {
        outcomes.push_back(ProbeOutcome{it->second, answered, {}});
        m_addressById.erase(it->second);
    }
    m_pendingByAddress.erase(address);
}

void NetBiosStatusChannel::collect(std::vector<ProbeOutcome>& outcomes)
{
    if (!m_socket.valid())
        return;
    char buffer[kReplyBufferSize];
    for (;;) {
        sockaddr_in source{};
        socklen_t sourceLength = sizeof source;
        const ssize_t received = recvfrom(m_socket.get(), buffer, sizeof buffer, MSG_DONTWAIT,
                                          reinterpret_cast<sockaddr*>(&source), &sourceLength);
        if (received < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        // One datagram decides the probe: a short one is no answer.
        settleAddress(source.sin_addr.s_addr, received >= kMinimumReplySize, outcomes);
    }
    std::vector<QueuedSocketError> errors;
    ReadQueuedErrors(m_socket.get(), errors);
    for (const QueuedSocketError& error : errors) {
        if (error.fromIcmp)
            settleAddress(error.destination, false, outcomes);
    }
}
