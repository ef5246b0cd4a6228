#pragma once

#include "platform/FileDescriptor.h"
#include "platform/ProbeChannel.h"

#include <unordered_map>
#include <vector>

// TCP connect probe: a non-blocking connect to each of a few ports (445 and 139,
// and 21 when FTP is searched) per address. It needs no privilege and passes
// firewalls that drop ICMP.
//
// A probe is answered as soon as one connect completes or is refused: a refusal is
// a TCP reset, which only a live host sends, so ECONNREFUSED counts as an answer
// just like an open port. It fails once every port reported the host or network
// unreachable (no neighbour answered, or an ICMP unreachable came back); a port
// whose SYN is dropped keeps the probe pending until the loop's time-out.
//
// Threading: like every channel, driven by one thread (the host checker's loop).
// descriptor() is an epoll descriptor that becomes readable when a connect ends.
class TcpConnectChannel final : public ProbeChannel {
public:
    static constexpr uint16_t kSmbPort = 445;
    static constexpr uint16_t kNetBiosSessionPort = 139;
    static constexpr uint16_t kFtpPort = 21;

    explicit TcpConnectChannel(std::vector<uint16_t> ports = {kSmbPort, kNetBiosSessionPort});
    ~TcpConnectChannel() override;

    bool usable() const override { return m_epoll.valid() && !m_ports.empty(); }
    int descriptor() const override { return m_epoll.get(); }
    ProbeStatus begin(ProbeId id, uint32_t address) override;
    void cancel(ProbeId id) override;
    void collect(std::vector<ProbeOutcome>& outcomes) override;

    size_t pendingProbes() const { return m_probes.size(); }

    // How the end of one connect counts: 0 (connected) and ECONNREFUSED answer,
    // unreachable errors fail that port; anything else (a time-out) fails it too.
    static bool ConnectProvesHost(int error);

private:
    struct Probe {
        std::vector<int> sockets; // open connects; closed as they end
        int failedPorts = 0;
    };
    void closeSocket(int fd);
    void settle(ProbeId id, bool answered, std::vector<ProbeOutcome>* outcomes);

    UniqueFd m_epoll;
    std::vector<uint16_t> m_ports;
    std::unordered_map<ProbeId, Probe> m_probes;
    std::unordered_map<int, ProbeId> m_probeBySocket;
};
