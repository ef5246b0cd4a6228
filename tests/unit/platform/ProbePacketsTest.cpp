#include "platform/IcmpEchoChannel.h"
#include "platform/NetBiosStatusChannel.h"

#include <gtest/gtest.h>

namespace {

const unsigned char* Bytes(const QByteArray& data)
{
    return reinterpret_cast<const unsigned char*>(data.constData());
}

TEST(ProbePacketsTest, NodeStatusRequestIsByteForByteTheWildcardQuery)
{
    const QByteArray request = NetBiosStatusChannel::BuildNodeStatusRequest(0xBEEF);
    ASSERT_EQ(request.size(), 50);
    // The identifier goes out little-endian.
    EXPECT_EQ(Bytes(request)[0], 0xEF);
    EXPECT_EQ(Bytes(request)[1], 0xBE);
    const QByteArray expectedRest = QByteArray("\x00\x10\x00\x01\x00\x00\x00\x00\x00\x00\x20", 11) +
                                    QByteArray("CKAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA") +
                                    QByteArray("\x00\x00\x21\x00\x01", 5);
    EXPECT_EQ(request.mid(2).toHex(), expectedRest.toHex());
}

TEST(ProbePacketsTest, EchoRequestCarriesTheFixedDataAndAValidChecksum)
{
    const QByteArray packet = IcmpEchoChannel::BuildEchoRequest(0x1234, 0xABCD);
    ASSERT_EQ(packet.size(), 40);
    const unsigned char* bytes = Bytes(packet);
    EXPECT_EQ(bytes[0], 8); // echo request
    EXPECT_EQ(bytes[1], 0);
    EXPECT_EQ(bytes[4] << 8 | bytes[5], 0x1234);
    EXPECT_EQ(bytes[6] << 8 | bytes[7], 0xABCD);
    EXPECT_EQ(packet.mid(8), QByteArray("abcdefghijklmnopqrstuvwabcdefghi"));
    // The one's-complement sum over a packet with a correct checksum is 0xFFFF.
    uint32_t sum = 0;
    for (int i = 0; i < packet.size(); i += 2)
        sum += uint32_t{bytes[i]} << 8 | bytes[i + 1];
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    EXPECT_EQ(sum, 0xFFFFu);
    // Different sequences give different checksums (the field is really computed).
    EXPECT_NE(IcmpEchoChannel::BuildEchoRequest(0x1234, 1).mid(2, 2),
              IcmpEchoChannel::BuildEchoRequest(0x1234, 2).mid(2, 2));
}

} // namespace
