#pragma once

#include "platform/FileDescriptor.h"
#include "platform/ProbeChannel.h"

#include <QByteArray>
#include <unordered_map>

// NetBIOS node status: the 50-byte wildcard-name status request to UDP port 137;
// a datagram of at least 12 bytes from the probed address answers it.
//
// All probes share one unconnected socket, so a reply is matched by its source
// address (NetBIOS nodes answer from the address they were asked on). With
// IP_RECVERR a port-unreachable names the address it belongs to, and a probe of a
// host without a NetBIOS service fails at once instead of waiting for its time-out.
class NetBiosStatusChannel final : public ProbeChannel {
public:
    static constexpr uint16_t kDefaultPort = 137;
    // Smallest reply that counts: a name service header.
    static constexpr int kMinimumReplySize = 12;

    // port: the destination port (137; tests use another).
    explicit NetBiosStatusChannel(uint16_t port = kDefaultPort);

    bool usable() const override { return m_socket.valid(); }
    int descriptor() const override { return m_socket.get(); }
    ProbeStatus begin(ProbeId id, uint32_t address) override;
    void cancel(ProbeId id) override;
    void collect(std::vector<ProbeOutcome>& outcomes) override;

    // The node status request for the wildcard name "*" with the transaction
    // identifier stored little-endian, as the request has always been sent.
    static QByteArray BuildNodeStatusRequest(uint16_t transactionId);

private:
    void settleAddress(uint32_t address, bool answered, std::vector<ProbeOutcome>& outcomes);

    UniqueFd m_socket;
    uint16_t m_port;
    std::unordered_multimap<uint32_t, ProbeId> m_pendingByAddress;
    std::unordered_map<ProbeId, uint32_t> m_addressById;
};
