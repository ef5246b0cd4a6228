#include "platform/NetlinkMessages.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <linux/neighbour.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>

namespace {

// States in which an entry holds a hardware address learned from the link.
constexpr uint16_t kResolvedStates = NUD_REACHABLE | NUD_STALE | NUD_DELAY | NUD_PROBE | NUD_PERMANENT;

// Calls visit(type, payload, payloadSize) for each attribute in [data, data + size).
// NLMSG_NEXT and RTA_NEXT subtract the aligned length from what remains, which wraps
// around when the last item is not padded to four bytes; this walk stops at the end
// instead. data must be aligned to four bytes.
template <typename Visit> void ForEachAttribute(const char* data, size_t size, Visit visit)
{
    size_t offset = 0;
    while (size - offset >= sizeof(rtattr)) {
        const auto* attribute = reinterpret_cast<const rtattr*>(data + offset);
        const size_t length = attribute->rta_len;
        if (length < sizeof(rtattr) || length > size - offset)
            return;
        visit(attribute->rta_type, data + offset + RTA_LENGTH(0), length - RTA_LENGTH(0));
        offset += std::min(static_cast<size_t>(RTA_ALIGN(length)), size - offset);
    }
}

// The structure a message of this type starts its payload with, when the payload is
// long enough to hold it.
template <typename T> const T* PayloadStruct(const nlmsghdr* header)
{
    if (header->nlmsg_len < NLMSG_LENGTH(sizeof(T)))
        return nullptr;
    return reinterpret_cast<const T*>(reinterpret_cast<const char*>(header) + NLMSG_HDRLEN);
}

// The attributes after the payload structure T, as a range inside the message.
template <typename T> std::pair<const char*, size_t> AttributesAfter(const nlmsghdr* header)
{
    const size_t start = NLMSG_SPACE(sizeof(T));
    const size_t length = header->nlmsg_len > start ? header->nlmsg_len - start : 0;
    return {reinterpret_cast<const char*>(header) + start, length};
}

} // namespace

std::vector<NetlinkEvent> ParseNetlinkMessages(const char* data, size_t size)
{
    std::vector<NetlinkEvent> events;
    size_t offset = 0;
    while (size - offset >= sizeof(nlmsghdr)) {
        const auto* header = reinterpret_cast<const nlmsghdr*>(data + offset);
        const size_t length = header->nlmsg_len;
        if (length < sizeof(nlmsghdr) || length > size - offset)
            break;
        offset += std::min(static_cast<size_t>(NLMSG_ALIGN(length)), size - offset);

        NetlinkEvent event;
        event.sequence = header->nlmsg_seq;
        if (header->nlmsg_type == NLMSG_DONE) {
            event.kind = NetlinkEvent::Kind::Done;
        } else if (header->nlmsg_type == NLMSG_ERROR) {
            const auto* error = PayloadStruct<nlmsgerr>(header);
            if (!error)
                continue;
            event.kind = NetlinkEvent::Kind::Error;
            // The kernel sends a negative errno; the lowest int has no negation.
            event.error = error->error == std::numeric_limits<int>::min() ? std::numeric_limits<int>::max()
                                                                          : -error->error;
        } else if (header->nlmsg_type == RTM_NEWROUTE) {
            const auto* route = PayloadStruct<rtmsg>(header);
            if (!route)
                continue;
            bool viaGateway = false;
            const auto [attributes, attributesSize] = AttributesAfter<rtmsg>(header);
            ForEachAttribute(attributes, attributesSize, [&](unsigned short type, const char*, size_t) {
                viaGateway = viaGateway || type == RTA_GATEWAY;
            });
            // Only a unicast route straight onto a link makes the address a
            // neighbour; RTN_LOCAL and RTN_BROADCAST are ours or everyone's.
            event.kind = NetlinkEvent::Kind::Route;
            event.isNeighbour = route->rtm_type == RTN_UNICAST && !viaGateway;
        } else if (header->nlmsg_type == RTM_NEWNEIGH) {
            const auto* entry = PayloadStruct<ndmsg>(header);
            if (!entry || entry->ndm_family != AF_INET || !(entry->ndm_state & kResolvedStates))
                continue;
            uint32_t destination = 0;
            bool hasDestination = false;
            bool hasHardwareAddress = false;
            const auto [attributes, attributesSize] = AttributesAfter<ndmsg>(header);
            ForEachAttribute(
                attributes, attributesSize, [&](unsigned short type, const char* value, size_t valueSize) {
                    if (type == NDA_DST && valueSize == sizeof destination) {
                        std::memcpy(&destination, value, sizeof destination);
                        hasDestination = true;
                    } else if (type == NDA_LLADDR) {
                        hasHardwareAddress = hasHardwareAddress || std::any_of(value, value + valueSize,
                                                                               [](char b) { return b != 0; });
                    }
                });
            if (!hasDestination || !hasHardwareAddress)
                continue;
            event.kind = NetlinkEvent::Kind::Neighbour;
            event.address = destination;
        } else {
            continue;
        }
        events.push_back(event);
    }
    return events;
}
