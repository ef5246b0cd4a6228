#pragma once

#include "platform/FileDescriptor.h"
#include "platform/ProbeChannel.h"

#include <unordered_map>

// ARP through the kernel's neighbour table, without privileges: a route lookup
// (RTM_GETROUTE) tells whether the address is a neighbour at all; if it is, a small
// UDP datagram makes the kernel resolve it, and the table (RTM_GETNEIGH dumps plus
// the neighbour notifications) is read until an entry with a hardware address
// appears. The kernel itself gives up after about 3 s; the caller's time-out usually
// ends the probe first.
//
// Addresses that are not on a directly attached link (reached through a gateway,
// local or loopback addresses, broadcast, no route) never get an entry of their
// own and fail at once.
class NeighbourChannel final : public ProbeChannel {
public:
    NeighbourChannel();

    bool usable() const override { return m_netlink.valid() && m_prompt.valid(); }
    int descriptor() const override { return m_netlink.get(); }
    ProbeStatus begin(ProbeId id, uint32_t address) override;
    void cancel(ProbeId id) override;
    void collect(std::vector<ProbeOutcome>& outcomes) override;
    void tick(Clock::time_point now) override;

private:
    struct Probe {
        uint32_t address = 0;
        uint32_t routeSequence = 0; // 0 once the route is known and the entry awaited
    };

    void sendRouteQuery(uint32_t sequence, uint32_t address);
    void sendNeighbourDump(Clock::time_point now);
    void handleRoute(uint32_t sequence, int error, bool isNeighbour, std::vector<ProbeOutcome>& outcomes);
    void handleNeighbour(uint32_t address);
    void settle(ProbeId id, bool answered, std::vector<ProbeOutcome>& outcomes);

    UniqueFd m_netlink;
    UniqueFd m_prompt;
    uint32_t m_nextSequence = 1;
    std::unordered_map<ProbeId, Probe> m_probes;
    std::unordered_map<uint32_t, ProbeId> m_probeByRouteSequence;
    std::unordered_multimap<uint32_t, ProbeId> m_awaitedByAddress;
    // Addresses whose entry showed a hardware address in this pass of collect().
    std::vector<uint32_t> m_resolved;
    uint32_t m_dumpSequence = 0; // of the dump in progress, 0 when none
    bool m_dumpWanted = false;
    Clock::time_point m_lastDump{};
};
