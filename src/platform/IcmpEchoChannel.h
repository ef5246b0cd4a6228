#pragma once

#include "platform/FileDescriptor.h"
#include "platform/ProbeChannel.h"

#include <QByteArray>
#include <unordered_map>

// ICMP echo: one request per probe with the 32 data bytes
// "abcdefghijklmnopqrstuvwabcdefghi" and time-to-live 64; answered by an echo reply
// from the probed address carrying the request's sequence number.
//
// Debian leaves net.ipv4.ping_group_range closed, so the unprivileged ping socket
// usually fails even for root; the raw socket then works for root or with
// CAP_NET_RAW. A ping socket gets its identifier from the kernel, which also
// rewrites it in the replies, so replies are matched by source address and
// sequence; a raw socket sees every ICMP message of the host and additionally
// filters on its own identifier.
class IcmpEchoChannel final : public ProbeChannel {
public:
    IcmpEchoChannel();

    bool usable() const override { return m_socket.valid(); }
    int descriptor() const override { return m_socket.get(); }
    ProbeStatus begin(ProbeId id, uint32_t address) override;
    void cancel(ProbeId id) override;
    void collect(std::vector<ProbeOutcome>& outcomes) override;

    bool usesRawSocket() const { return m_raw; }
    // The echo request with the given identifier and sequence, checksum included.
    static QByteArray BuildEchoRequest(uint16_t identifier, uint16_t sequence);

private:
    static uint64_t Key(uint32_t address, uint16_t sequence) { return uint64_t{address} << 16 | sequence; }
    void settle(uint32_t address, uint16_t sequence, bool answered, std::vector<ProbeOutcome>& outcomes);
    void handleMessage(const unsigned char* icmp, size_t length, uint32_t source,
                       std::vector<ProbeOutcome>& outcomes);

    UniqueFd m_socket;
    bool m_raw = false;
    uint16_t m_identifier = 0;
    uint16_t m_nextSequence = 1;
    std::unordered_map<uint64_t, ProbeId> m_pendingByKey;
    std::unordered_map<ProbeId, uint64_t> m_keyById;
};
