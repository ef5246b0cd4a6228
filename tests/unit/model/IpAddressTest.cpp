#include "model/IpAddress.h"

#include "model/AnsiCodec.h"

#include <gtest/gtest.h>

namespace {

TEST(IpAddressTest, TextToIpFollowsInetAddrRules)
{
    EXPECT_EQ(TextToIp("192.168.1.10"), SwapByteOrder32(0xC0A8010A));
    EXPECT_EQ(TextToIp("10.1"), SwapByteOrder32(0x0A000001));      // shortened form
    EXPECT_EQ(TextToIp("0x7f.1"), SwapByteOrder32(0x7F000001));    // hexadecimal part
    EXPECT_EQ(TextToIp("010.0.0.1"), SwapByteOrder32(0x08000001)); // octal part
    EXPECT_EQ(TextToIp(""), kInaddrNone);
    EXPECT_EQ(TextToIp("host.example"), kInaddrNone);
    EXPECT_EQ(TextToIp("1.2.3.256"), kInaddrNone);
    EXPECT_EQ(TextToIp("255.255.255.255"), kInaddrNone);
    EXPECT_EQ(TextToIp(QStringLiteral("1.2.3.4\u00e9")), kInaddrNone);
}

TEST(IpAddressTest, TextRoundTripAndByteSwap)
{
    EXPECT_EQ(IpToText(TextToIp("10.0.1.255")), "10.0.1.255");
    EXPECT_EQ(SwapByteOrder32(0x01020304u), 0x04030201u);
    // Host order counts across the octet boundary.
    EXPECT_EQ(IpToText(SwapByteOrder32(SwapByteOrder32(TextToIp("10.0.0.255")) + 1)), "10.0.1.0");
}

TEST(AnsiCodecTest, Windows1252BothWays)
{
    const QString text = QStringLiteral("\u20ac caf\u00e9 \u2122");
    const QByteArray bytes = ToAnsi(text);
    EXPECT_EQ(bytes, QByteArray("\x80 caf\xe9 \x99"));
    EXPECT_EQ(FromAnsi(bytes), text);
    EXPECT_EQ(ToAnsi(QStringLiteral("\u4e2d\U0001F600")), QByteArray("??"));
    EXPECT_EQ(FromAnsi(QByteArray("\x81")), QString(QChar(0x81)));
}

} // namespace
