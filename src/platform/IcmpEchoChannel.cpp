#include "platform/IcmpEchoChannel.h"

#include "engine/ports/PlatformError.h"
#include "model/LogCategories.h"
#include "platform/DatagramSocket.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <netinet/in.h>
#include <netinet/ip.h>
#include <netinet/ip_icmp.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// Exact text: the echo payload, matched in replies and compared by the probe tests.
constexpr char kEchoData[] = "abcdefghijklmnopqrstuvwabcdefghi";
constexpr size_t kEchoDataSize = 32;
constexpr int kTimeToLive = 64;
constexpr int kSocketBufferBytes = 4 << 20;

uint16_t InternetChecksum(const unsigned char* data, size_t size)
{
    uint32_t sum = 0;
    for (size_t i = 0; i + 1 < size; i += 2)
        sum += uint32_t{data[i]} << 8 | data[i + 1];
    if (size % 2)
        sum += uint32_t{data[size - 1]} << 8;
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint16_t>(~sum);
}

uint16_t ReadBigEndian16(const unsigned char* bytes)
{
    return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
}

// Every raw-socket channel of the process needs its own identifier: all of them
// receive every echo reply.
uint16_t NextIdentifier()
{
    static std::atomic<uint16_t> counter{0};
    return static_cast<uint16_t>(getpid() * 131 + counter.fetch_add(1) * 7919);
}

} // namespace

IcmpEchoChannel::IcmpEchoChannel()
{
    m_socket.reset(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP));
    if (!m_socket.valid()) {
        // Ping sockets need the group in net.ipv4.ping_group_range; raw ones CAP_NET_RAW.
        qCDebug(kestrovaProbe) << "ICMP ping socket refused:" << PlatformError::fromErrno(errno).message;
        m_socket.reset(socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP));
        m_raw = m_socket.valid();
    }
    if (!m_socket.valid()) {
        qCDebug(kestrovaProbe) << "ICMP raw socket refused, no ICMP probes:"
                               << PlatformError::fromErrno(errno).message;
        return;
    }
    m_identifier = NextIdentifier();
    setsockopt(m_socket.get(), IPPROTO_IP, IP_TTL, &kTimeToLive, sizeof kTimeToLive);
    RaiseSocketBuffers(m_socket.get(), kSocketBufferBytes);
    // A ping socket reports ICMP errors (host unreachable, ...) only through its
    // error queue; a raw socket receives them as ordinary messages.
    if (!m_raw)
        EnableQueuedErrors(m_socket.get());
}

QByteArray IcmpEchoChannel::BuildEchoRequest(uint16_t identifier, uint16_t sequence)
{
    QByteArray packet(8 + kEchoDataSize, '\0');
    auto* bytes = reinterpret_cast<unsigned char*>(packet.data());
    bytes[0] = ICMP_ECHO;
    bytes[4] = static_cast<unsigned char>(identifier >> 8);
    bytes[5] = static_cast<unsigned char>(identifier);
    bytes[6] = static_cast<unsigned char>(sequence >> 8);
    bytes[7] = static_cast<unsigned char>(sequence);
    std::memcpy(bytes + 8, kEchoData, kEchoDataSize);
    const uint16_t checksum = InternetChecksum(bytes, static_cast<size_t>(packet.size()));
    bytes[2] = static_cast<unsigned char>(checksum >> 8);
    bytes[3] = static_cast<unsigned char>(checksum);
    return packet;
}

ProbeStatus IcmpEchoChannel::begin(ProbeId id, uint32_t address)
{
    if (!m_socket.valid())
        return ProbeStatus::Failed;
    // Sequence numbers wrap after 65536 probes; a key still pending is skipped so
    // that two outstanding probes of one address never share a sequence.
    uint16_t sequence = m_nextSequence++;
    while (m_pendingByKey.count(Key(address, sequence)))
        sequence = m_nextSequence++;
    const QByteArray request = BuildEchoRequest(m_identifier, sequence);
    if (SendDatagram(m_socket.get(), request.constData(), static_cast<size_t>(request.size()), address, 0) !=
        0)
        return ProbeStatus::Failed; // e.g. EACCES for a broadcast address, ENETUNREACH
    m_pendingByKey.emplace(Key(address, sequence), id);
    m_keyById.emplace(id, Key(address, sequence));
    return ProbeStatus::Pending;
}

void IcmpEchoChannel::cancel(ProbeId id)
{
    const auto found = m_keyById.find(id);
    if (found == m_keyById.end())
        return;
    m_pendingByKey.erase(found->second);
    m_keyById.erase(found);
}

void IcmpEchoChannel::settle(uint32_t address, uint16_t sequence, bool answered,
                             std::vector<ProbeOutcome>& outcomes)
{
    const auto found = m_pendingByKey.find(Key(address, sequence));
    if (found == m_pendingByKey.end())
        return;
    outcomes.push_back(ProbeOutcome{found->second, answered, {}});
    m_keyById.erase(found->second);
    m_pendingByKey.erase(found);
}

void IcmpEchoChannel::handleMessage(const unsigned char* icmp, size_t length, uint32_t source,
                                    std::vector<ProbeOutcome>& outcomes)
{
    if (length < 8)
        return;
    const uint8_t type = icmp[0];
    if (type == ICMP_ECHOREPLY) {
        if (m_raw && ReadBigEndian16(icmp + 4) != m_identifier)
            return;
        settle(source, ReadBigEndian16(icmp + 6), true, outcomes);
        return;
    }
    // Only a raw socket sees these: an error about one of our requests decides that
    // probe at once, as an unreachable status would.
    if (!m_raw || (type != ICMP_DEST_UNREACH && type != ICMP_TIME_EXCEEDED) || length < 8 + 20 + 8)
        return;
    const unsigned char* inner = icmp + 8;
    const size_t innerHeader = size_t{inner[0] & 0x0Fu} * 4;
    if (innerHeader < 20 || length < 8 + innerHeader + 8 || inner[9] != IPPROTO_ICMP)
        return;
    const unsigned char* innerIcmp = inner + innerHeader;
    if (innerIcmp[0] != ICMP_ECHO || ReadBigEndian16(innerIcmp + 4) != m_identifier)
        return;
    uint32_t destination;
    std::memcpy(&destination, inner + 16, sizeof destination);
    settle(destination, ReadBigEndian16(innerIcmp + 6), false, outcomes);
}

void IcmpEchoChannel::collect(std::vector<ProbeOutcome>& outcomes)
{
    if (!m_socket.valid())
        return;
    unsigned char buffer[1500];
    for (;;) {
        sockaddr_in source{};
        socklen_t sourceLength = sizeof source;
        const ssize_t received = recvfrom(m_socket.get(), buffer, sizeof buffer, MSG_DONTWAIT,
                                          reinterpret_cast<sockaddr*>(&source), &sourceLength);
        if (received < 0) {
            if (errno == EINTR)
                continue;
            break; // EAGAIN, or a pending socket error read below
        }
        const auto length = static_cast<size_t>(received);
        if (m_raw) {
            const size_t header = length ? size_t{buffer[0] & 0x0Fu} * 4 : 0;
            if (header < 20 || length < header)
                continue;
            handleMessage(buffer + header, length - header, source.sin_addr.s_addr, outcomes);
        } else {
            handleMessage(buffer, length, source.sin_addr.s_addr, outcomes);
        }
    }
    std::vector<QueuedSocketError> errors;
    ReadQueuedErrors(m_socket.get(), errors);
    for (const QueuedSocketError& error : errors) {
        // The payload of a ping socket's error is the failed echo request.
        if (!error.fromIcmp || error.payload.size() < 8)
            continue;
        const auto* request = reinterpret_cast<const unsigned char*>(error.payload.constData());
        if (request[0] == ICMP_ECHO)
            settle(error.destination, ReadBigEndian16(request + 6), false, outcomes);
    }
}
