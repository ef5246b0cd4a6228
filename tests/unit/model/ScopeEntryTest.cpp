#include "model/ScopeEntry.h"

#include "model/IpAddress.h"
#include "support/QStringPrinter.h"

#include <gtest/gtest.h>

namespace {

uint32_t HostOrder(const char* dotted)
{
    return SwapByteOrder32(TextToIp(dotted));
}

TEST(ScopeEntryTest, UncPrefixOnlyWhereMissing)
{
    EXPECT_EQ(WithUncPrefix("server"), "\\\\server");
    EXPECT_EQ(WithUncPrefix("*"), "\\\\*");
    EXPECT_EQ(WithUncPrefix("\\\\server\\share"), "\\\\server\\share");
    EXPECT_EQ(WithUncPrefix("\\server"), "\\\\\\server");
    EXPECT_EQ(WithUncPrefix(""), "\\\\");
}

TEST(ScopeEntryTest, ComputerEntriesAreUpperCase)
{
    EXPECT_EQ(ComputerListEntry("pc1"), "\\\\PC1");
    EXPECT_EQ(ComputerListEntry("\\\\pc2"), "\\\\PC2");
    EXPECT_EQ(ComputerListEntry(QString::fromUtf8("b\xC3\xBCro-?")), QString::fromUtf8("\\\\B\xC3\x9CRO-?"));
}

TEST(ScopeEntryTest, RangeTextFromHostOrderAddresses)
{
    EXPECT_EQ(IpRangeEntry(0xC0A86401, 0xC0A86432), "192.168.100.1 - 192.168.100.50");
    // Written in the order given, even when reversed.
    EXPECT_EQ(IpRangeEntry(HostOrder("10.0.1.5"), HostOrder("10.0.0.250")), "10.0.1.5 - 10.0.0.250");
}

TEST(ScopeEntryTest, InterfaceBlockSpansTheWholeSubnet)
{
    TAddressBlock block = InterfaceAddressBlock(TextToIp("192.168.1.23"), TextToIp("255.255.255.0"));
    EXPECT_EQ(block.First, HostOrder("192.168.1.0"));
    EXPECT_EQ(block.Last, HostOrder("192.168.1.255"));

    block = InterfaceAddressBlock(TextToIp("10.20.30.40"), TextToIp("255.255.240.0"));
    EXPECT_EQ(block.First, HostOrder("10.20.16.0"));
    EXPECT_EQ(block.Last, HostOrder("10.20.31.255"));

    block = InterfaceAddressBlock(TextToIp("10.0.0.7"), TextToIp("255.255.255.254"));
    EXPECT_EQ(block.First, HostOrder("10.0.0.6"));
    EXPECT_EQ(block.Last, HostOrder("10.0.0.7"));
}

TEST(ScopeEntryTest, FullAndEmptyMasksGiveOneAddress)
{
    TAddressBlock block = InterfaceAddressBlock(TextToIp("172.16.5.9"), TextToIp("255.255.255.255"));
    EXPECT_EQ(block.First, HostOrder("172.16.5.9"));
    EXPECT_EQ(block.Last, block.First);
    block = InterfaceAddressBlock(TextToIp("172.16.5.9"), 0);
    EXPECT_EQ(block.First, 0u);
    EXPECT_EQ(block.Last, 0u);
}

} // namespace
