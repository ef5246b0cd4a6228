#include "platform/NeighbourChannel.h"

#include "engine/ports/PlatformError.h"
#include "model/LogCategories.h"
#include "platform/DatagramSocket.h"
#include "platform/NetlinkMessages.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <linux/neighbour.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace {

constexpr int kNetlinkBufferBytes = 4 << 20;
// Notifications can be lost when the socket overflows; the table is read again at
// this interval while probes wait.
constexpr auto kDumpInterval = std::chrono::milliseconds(250);
// A dump that never finished (lost reply) does not block the next one for longer.
constexpr auto kDumpGiveUp = std::chrono::milliseconds(1000);
// The discard service: the datagram only exists to make the kernel resolve.
constexpr uint16_t kPromptPort = 9;

template <typename Request> bool SendNetlink(int fd, Request& request)
{
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    ssize_t sent;
    do {
        sent = sendto(fd, &request, request.header.nlmsg_len, 0, reinterpret_cast<sockaddr*>(&kernel),
                      sizeof kernel);
    } while (sent < 0 && errno == EINTR);
    return sent >= 0;
}

} // namespace

NeighbourChannel::NeighbourChannel()
{
    m_netlink.reset(socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE));
    if (m_netlink.valid()) {
        sockaddr_nl local{};
        local.nl_family = AF_NETLINK;
        local.nl_groups = RTMGRP_NEIGH;
        if (bind(m_netlink.get(), reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
            qCDebug(kestrovaProbe) << "Netlink bind refused, no ARP probes:"
                                   << PlatformError::fromErrno(errno).message;
            m_netlink.reset();
        } else {
            RaiseSocketBuffers(m_netlink.get(), kNetlinkBufferBytes);
        }
    } else {
        qCDebug(kestrovaProbe) << "Netlink socket refused, no ARP probes:"
                               << PlatformError::fromErrno(errno).message;
    }
    m_prompt.reset(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_UDP));
    if (!m_prompt.valid())
        qCDebug(kestrovaProbe) << "ARP prompt socket refused:" << PlatformError::fromErrno(errno).message;
}

ProbeStatus NeighbourChannel::begin(ProbeId id, uint32_t address)
{
    if (!usable())
        return ProbeStatus::Failed;
    // 127.0.0.0/8 never has neighbours; no need to ask.
    if ((ntohl(address) >> 24) == 127)
        return ProbeStatus::Failed;
    const uint32_t sequence = m_nextSequence++;
    if (m_nextSequence == 0)
        m_nextSequence = 1;
    sendRouteQuery(sequence, address);
    m_probes[id] = Probe{address, sequence};
    m_probeByRouteSequence[sequence] = id;
    return ProbeStatus::Pending;
}

void NeighbourChannel::sendRouteQuery(uint32_t sequence, uint32_t address)
{
    struct {
        nlmsghdr header;
        rtmsg route;
        rtattr destinationAttribute;
        uint32_t destination;
    } request{};
    request.header.nlmsg_len = sizeof request;
    request.header.nlmsg_type = RTM_GETROUTE;
    request.header.nlmsg_flags = NLM_F_REQUEST;
    request.header.nlmsg_seq = sequence;
    request.route.rtm_family = AF_INET;
    request.route.rtm_dst_len = 32;
    request.destinationAttribute.rta_type = RTA_DST;
    request.destinationAttribute.rta_len = RTA_LENGTH(sizeof(uint32_t));
    request.destination = address;
    // A lost query leaves the probe to its time-out, like an unanswered one.
    SendNetlink(m_netlink.get(), request);
}

void NeighbourChannel::sendNeighbourDump(Clock::time_point now)
{
    struct {
        nlmsghdr header;
        ndmsg neighbour;
    } request{};
    const uint32_t sequence = m_nextSequence++;
    if (m_nextSequence == 0)
        m_nextSequence = 1;
    request.header.nlmsg_len = sizeof request;
    request.header.nlmsg_type = RTM_GETNEIGH;
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.header.nlmsg_seq = sequence;
    request.neighbour.ndm_family = AF_INET;
    if (SendNetlink(m_netlink.get(), request)) {
        m_dumpSequence = sequence;
        m_dumpWanted = false;
    }
    m_lastDump = now;
}

void NeighbourChannel::cancel(ProbeId id)
{
    const auto found = m_probes.find(id);
    if (found == m_probes.end())
        return;
    if (found->second.routeSequence)
        m_probeByRouteSequence.erase(found->second.routeSequence);
    auto [first, last] = m_awaitedByAddress.equal_range(found->second.address);
    for (auto it = first; it != last; ++it) {
        if (it->second == id) {
            m_awaitedByAddress.erase(it);
            break;
        }
    }
    m_probes.erase(found);
}

void NeighbourChannel::settle(ProbeId id, bool answered, std::vector<ProbeOutcome>& outcomes)
{
    cancel(id);
    outcomes.push_back(ProbeOutcome{id, answered, {}});
}

void NeighbourChannel::handleRoute(uint32_t sequence, int error, bool isNeighbour,
                                   std::vector<ProbeOutcome>& outcomes)
{
    const auto found = m_probeByRouteSequence.find(sequence);
    if (found == m_probeByRouteSequence.end())
        return;
    const ProbeId id = found->second;
    m_probeByRouteSequence.erase(found);
    Probe& probe = m_probes[id];
    probe.routeSequence = 0;
    if (error != 0 || !isNeighbour) {
        settle(id, false, outcomes);
        return;
    }
    const char prompt = 0;
    if (SendDatagram(m_prompt.get(), &prompt, 1, probe.address, kPromptPort) != 0) {
        settle(id, false, outcomes);
        return;
    }
    m_awaitedByAddress.emplace(probe.address, id);
    // The entry may exist already (a host seen recently): read the table now.
    m_dumpWanted = true;
}

void NeighbourChannel::handleNeighbour(uint32_t address)
{
    if (m_awaitedByAddress.count(address))
        m_resolved.push_back(address);
}

void NeighbourChannel::collect(std::vector<ProbeOutcome>& outcomes)
{
    if (!m_netlink.valid())
        return;
    alignas(nlmsghdr) char buffer[32768];
    for (;;) {
        const ssize_t received = recv(m_netlink.get(), buffer, sizeof buffer, MSG_DONTWAIT);
        if (received < 0) {
            if (errno == EINTR)
                continue;
            if (errno == ENOBUFS) { // notifications were dropped: read the whole table
                m_dumpWanted = true;
                continue;
            }
            break;
        }
        for (const NetlinkEvent& event : ParseNetlinkMessages(buffer, static_cast<size_t>(received))) {
            switch (event.kind) {
            case NetlinkEvent::Kind::Done:
                if (event.sequence == m_dumpSequence)
                    m_dumpSequence = 0;
                break;
            case NetlinkEvent::Kind::Error:
                if (event.sequence == m_dumpSequence)
                    m_dumpSequence = 0;
                else if (event.error != 0)
                    handleRoute(event.sequence, event.error, false, outcomes);
                break;
            case NetlinkEvent::Kind::Route:
                handleRoute(event.sequence, 0, event.isNeighbour, outcomes);
                break;
            case NetlinkEvent::Kind::Neighbour:
                handleNeighbour(event.address);
                break;
            }
        }
    }
    for (uint32_t address : m_resolved) {
        auto [first, last] = m_awaitedByAddress.equal_range(address);
        std::vector<ProbeId> ids;
        for (auto it = first; it != last; ++it)
            ids.push_back(it->second);
        for (ProbeId id : ids)
            settle(id, true, outcomes);
    }
    m_resolved.clear();
}

void NeighbourChannel::tick(Clock::time_point now)
{
    if (!m_netlink.valid() || m_awaitedByAddress.empty())
        return;
    if (m_dumpSequence != 0 && now - m_lastDump > kDumpGiveUp)
        m_dumpSequence = 0;
    if (m_dumpSequence == 0 && (m_dumpWanted || now - m_lastDump >= kDumpInterval))
        sendNeighbourDump(now);
}
