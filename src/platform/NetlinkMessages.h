#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// What the neighbour probe learns from one buffer of NETLINK_ROUTE messages (a
// datagram read from the socket: route replies, neighbour dumps and notifications).
// The parser reads nothing but the buffer, so it can be tested on crafted bytes.
struct NetlinkEvent {
    enum class Kind {
        Done,      // NLMSG_DONE: a dump ended
        Error,     // NLMSG_ERROR: an error (or acknowledgement, error 0) for a request
        Route,     // RTM_NEWROUTE: the answer to a route lookup
        Neighbour, // RTM_NEWNEIGH: an IPv4 entry with a hardware address learned from the link
    };
    Kind kind = Kind::Done;
    uint32_t sequence = 0;
    int error = 0;            // Error: the errno value (positive), 0 for an acknowledgement
    bool isNeighbour = false; // Route: a unicast route straight onto a link
    uint32_t address = 0;     // Neighbour: the destination, network byte order
};

// The events of the messages in data, in order. data must be aligned for nlmsghdr
// (as a receive buffer declared alignas(nlmsghdr) is). Messages of other types,
// neighbour entries without an address or hardware address, and messages too short
// for what their type carries give no event.
std::vector<NetlinkEvent> ParseNetlinkMessages(const char* data, size_t size);
