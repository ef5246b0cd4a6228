#include "platform/NetlinkMessages.h"

#include <cstring>
#include <linux/neighbour.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>

namespace {

// States in which an entry holds a hardware address learned from the link.
constexpr uint16_t kResolvedStates = NUD_REACHABLE | NUD_STALE | NUD_DELAY | NUD_PROBE | NUD_PERMANENT;

// NLMSG_DATA casts its argument C-style; the payload follows the aligned header.
const char* MessagePayload(const nlmsghdr* header)
{
    return reinterpret_cast<const char*>(header) + NLMSG_ALIGN(sizeof(nlmsghdr));
}

} // namespace

std::vector<NetlinkEvent> ParseNetlinkMessages(const char* data, size_t size)
{
    std::vector<NetlinkEvent> events;
    auto remaining = static_cast<unsigned int>(size);
    for (auto* header = reinterpret_cast<const nlmsghdr*>(data); NLMSG_OK(header, remaining);
         header = NLMSG_NEXT(header, remaining)) {
        NetlinkEvent event;
        event.sequence = header->nlmsg_seq;
        if (header->nlmsg_type == NLMSG_DONE) {
            event.kind = NetlinkEvent::Kind::Done;
        } else if (header->nlmsg_type == NLMSG_ERROR) {
            const auto* error = reinterpret_cast<const nlmsgerr*>(MessagePayload(header));
            event.kind = NetlinkEvent::Kind::Error;
            event.error = -error->error;
        } else if (header->nlmsg_type == RTM_NEWROUTE) {
            const auto* route = reinterpret_cast<const rtmsg*>(MessagePayload(header));
            bool viaGateway = false;
            unsigned int length = RTM_PAYLOAD(header);
            for (auto* attribute = RTM_RTA(route); RTA_OK(attribute, length);
                 attribute = RTA_NEXT(attribute, length)) {
                if (attribute->rta_type == RTA_GATEWAY)
                    viaGateway = true;
            }
            // Only a unicast route straight onto a link makes the address a
            // neighbour; RTN_LOCAL and RTN_BROADCAST are ours or everyone's.
            event.kind = NetlinkEvent::Kind::Route;
            event.isNeighbour = route->rtm_type == RTN_UNICAST && !viaGateway;
        } else if (header->nlmsg_type == RTM_NEWNEIGH) {
            const auto* entry = reinterpret_cast<const ndmsg*>(MessagePayload(header));
            if (entry->ndm_family != AF_INET || !(entry->ndm_state & kResolvedStates))
                continue;
            uint32_t destination = 0;
            bool hasDestination = false;
            bool hasHardwareAddress = false;
            unsigned int length = header->nlmsg_len - NLMSG_LENGTH(sizeof(ndmsg));
            for (auto* attribute =
                     reinterpret_cast<const rtattr*>(MessagePayload(header) + NLMSG_ALIGN(sizeof(ndmsg)));
                 RTA_OK(attribute, length); attribute = RTA_NEXT(attribute, length)) {
                if (attribute->rta_type == NDA_DST && RTA_PAYLOAD(attribute) == sizeof destination) {
                    std::memcpy(&destination, RTA_DATA(attribute), sizeof destination);
                    hasDestination = true;
                } else if (attribute->rta_type == NDA_LLADDR && RTA_PAYLOAD(attribute) > 0) {
                    const auto* bytes = static_cast<const unsigned char*>(RTA_DATA(attribute));
                    for (size_t i = 0; i < RTA_PAYLOAD(attribute); ++i)
                        hasHardwareAddress = hasHardwareAddress || bytes[i] != 0;
                }
            }
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
