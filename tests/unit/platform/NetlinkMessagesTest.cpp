#include "platform/NetlinkMessages.h"

#include <QByteArray>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <linux/neighbour.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <memory>
#include <sys/socket.h>

namespace {

QByteArray Attribute(uint16_t type, const QByteArray& value)
{
    rtattr head{};
    head.rta_len = static_cast<unsigned short>(RTA_LENGTH(value.size()));
    head.rta_type = type;
    QByteArray bytes(reinterpret_cast<const char*>(&head), sizeof head);
    bytes += value;
    return bytes.leftJustified(RTA_ALIGN(bytes.size()), '\0');
}

// One message with its header; lengthOverride replaces nlmsg_len when not 0.
QByteArray Message(uint16_t type, uint32_t sequence, const QByteArray& body, uint32_t lengthOverride = 0)
{
    nlmsghdr header{};
    header.nlmsg_len = lengthOverride ? lengthOverride : NLMSG_LENGTH(body.size());
    header.nlmsg_type = type;
    header.nlmsg_seq = sequence;
    return QByteArray(reinterpret_cast<const char*>(&header), sizeof header) + body;
}

template <typename T> QByteArray Bytes(const T& value)
{
    return QByteArray(reinterpret_cast<const char*>(&value), sizeof value);
}

const QByteArray kAddress("\xC6\x12\x00\x05", 4); // 198.18.0.5

QByteArray NeighbourBody()
{
    ndmsg entry{};
    entry.ndm_family = AF_INET;
    entry.ndm_state = NUD_REACHABLE;
    return Bytes(entry) + Attribute(NDA_DST, kAddress) +
           Attribute(NDA_LLADDR, QByteArray("\x02\x00\x00\x00\x00\x07", 6));
}

uint32_t AddressValue()
{
    uint32_t value;
    std::memcpy(&value, kAddress.constData(), sizeof value);
    return value;
}

// Parses the first `size` bytes of `bytes` from a buffer aligned as the probe's.
std::vector<NetlinkEvent> Parse(const QByteArray& bytes, size_t size)
{
    const std::unique_ptr<char[]> buffer(new char[static_cast<size_t>(bytes.size())]);
    std::memcpy(buffer.get(), bytes.constData(), static_cast<size_t>(bytes.size()));
    return ParseNetlinkMessages(buffer.get(), size);
}

std::vector<NetlinkEvent> Parse(const QByteArray& bytes)
{
    return Parse(bytes, static_cast<size_t>(bytes.size()));
}

} // namespace

TEST(NetlinkMessagesTest, ReadsRouteNeighbourErrorAndDone)
{
    rtmsg route{};
    route.rtm_family = AF_INET;
    route.rtm_type = RTN_UNICAST;
    rtmsg viaGateway = route;
    nlmsgerr error{};
    error.error = -ENETUNREACH;
    const auto events =
        Parse(Message(RTM_NEWROUTE, 1, Bytes(route) + Attribute(RTA_DST, kAddress)) +
              Message(RTM_NEWROUTE, 2, Bytes(viaGateway) + Attribute(RTA_GATEWAY, kAddress)) +
              Message(RTM_NEWNEIGH, 0, NeighbourBody()) + Message(NLMSG_ERROR, 3, Bytes(error)) +
              Message(NLMSG_DONE, 4, QByteArray(4, '\0')));
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[0].kind, NetlinkEvent::Kind::Route);
    EXPECT_TRUE(events[0].isNeighbour);
    EXPECT_EQ(events[1].kind, NetlinkEvent::Kind::Route);
    EXPECT_FALSE(events[1].isNeighbour);
    EXPECT_EQ(events[2].kind, NetlinkEvent::Kind::Neighbour);
    EXPECT_EQ(events[2].address, AddressValue());
    EXPECT_EQ(events[3].kind, NetlinkEvent::Kind::Error);
    EXPECT_EQ(events[3].error, ENETUNREACH);
    EXPECT_EQ(events[3].sequence, 3u);
    EXPECT_EQ(events[4].kind, NetlinkEvent::Kind::Done);
}

TEST(NetlinkMessagesTest, EntriesWithoutHardwareAddressOrUnresolvedGiveNothing)
{
    ndmsg incomplete{};
    incomplete.ndm_family = AF_INET;
    incomplete.ndm_state = NUD_INCOMPLETE;
    ndmsg reachable = incomplete;
    reachable.ndm_state = NUD_REACHABLE;
    const auto events = Parse(Message(RTM_NEWNEIGH, 0,
                                      Bytes(incomplete) + Attribute(NDA_DST, kAddress) +
                                          Attribute(NDA_LLADDR, QByteArray(6, '\x01'))) +
                              Message(RTM_NEWNEIGH, 0,
                                      Bytes(reachable) + Attribute(NDA_DST, kAddress) +
                                          Attribute(NDA_LLADDR, QByteArray(6, '\0'))));
    EXPECT_TRUE(events.empty());
}

// Found by fuzz_netlink_neighbour: a last message whose length is not a multiple
// of four, at the very end of the buffer, made the walk step past the end (the
// remaining count wrapped around) and read what lay behind the buffer.
TEST(NetlinkMessagesTest, AnUnpaddedLastMessageEndsTheBuffer)
{
    const QByteArray done = Message(NLMSG_DONE, 1, QByteArray(3, '\0')); // 19 bytes
    const QByteArray behind = Message(RTM_NEWNEIGH, 0, NeighbourBody());
    // The buffer handed over ends after the unpadded message; a neighbour entry
    // lies behind it in memory and must not be read.
    const auto events = Parse(done + QByteArray(1, '\0') + behind, static_cast<size_t>(done.size()));
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, NetlinkEvent::Kind::Done);
}

// Messages too short for the structure their type carries: the parser took the
// structure (and, for a neighbour entry, a wrapped-around attribute length) from
// the bytes after the message.
TEST(NetlinkMessagesTest, MessagesTooShortForTheirTypeGiveNothing)
{
    nlmsgerr error{};
    error.error = -EHOSTUNREACH;
    rtmsg route{};
    route.rtm_type = RTN_UNICAST;
    for (const auto& [type, body] : {std::pair<uint16_t, QByteArray>{RTM_NEWNEIGH, NeighbourBody()},
                                     {NLMSG_ERROR, Bytes(error)},
                                     {RTM_NEWROUTE, Bytes(route)}}) {
        SCOPED_TRACE(type);
        // The header claims no payload; what the full message would carry follows it.
        const auto events = Parse(Message(type, 9, body, NLMSG_HDRLEN));
        EXPECT_TRUE(events.empty());
    }
}

// An attribute whose length is not a multiple of four ends its message: the walk
// stepped past the message (the remaining count wrapped around) and read the
// bytes behind it as further attributes.
TEST(NetlinkMessagesTest, AttributesEndWithTheirMessage)
{
    ndmsg entry{};
    entry.ndm_family = AF_INET;
    entry.ndm_state = NUD_REACHABLE;
    rtattr odd{};
    odd.rta_len = RTA_LENGTH(1);
    odd.rta_type = 99;
    const QByteArray body = Bytes(entry) + Attribute(NDA_DST, kAddress) + Bytes(odd) + QByteArray(1, '\0');
    // Behind the message (padding, then bytes that are no message header): a
    // hardware address the entry does not hold.
    const QByteArray behind = QByteArray(3, '\0') + Attribute(NDA_LLADDR, QByteArray(6, '\x07'));
    const auto events = Parse(Message(RTM_NEWNEIGH, 0, body) + behind);
    EXPECT_TRUE(events.empty());
}

// Found by fuzz_netlink_neighbour: the error field is negated to an errno value,
// and the lowest int has no negation; it must still read as a failure.
TEST(NetlinkMessagesTest, TheLowestErrorValueIsStillAFailure)
{
    nlmsgerr error{};
    error.error = std::numeric_limits<int>::min();
    const auto events = Parse(Message(NLMSG_ERROR, 5, Bytes(error)));
    ASSERT_EQ(events.size(), 1u);
    EXPECT_GT(events[0].error, 0);
}
