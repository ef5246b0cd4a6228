#include "engine/HostList.h"

#include "engine/ScopeHosts.h"
#include "support/QStringPrinter.h"

#include <gtest/gtest.h>

namespace {

TFoundHost Host(const QString& address, const QString& name, const QString& group, THostSource source)
{
    return {address, name, group, static_cast<uint8_t>(source)};
}

TEST(HostListTest, SameAddressOrSameNameIsOneComputer)
{
    THostList list;
    EXPECT_TRUE(list.Add({"", "\\\\FILES", "", uint8_t(THostSource::NetBios)}).second);
    EXPECT_FALSE(list.Add(Host("198.18.0.5", "files.local", "", THostSource::DnsSd)).second);
    EXPECT_FALSE(list.Add(Host("198.18.0.5", "", "HOME", THostSource::WsDiscovery)).second);
    EXPECT_TRUE(list.Add(Host("198.18.0.6", "other", "", THostSource::DnsSd)).second);
    ASSERT_EQ(list.Hosts().size(), 2u);
    const TFoundHost& files = list.Hosts()[0];
    EXPECT_EQ(files.Address, "198.18.0.5");
    EXPECT_EQ(files.Group, "HOME");
    EXPECT_EQ(HostSourceNames(files.Sources), "NetBIOS, WS-Discovery, DNS-SD");
    EXPECT_EQ(list.CountFrom(THostSource::DnsSd), 2);
    EXPECT_EQ(list.CountFrom(THostSource::NetBios), 1);
}

TEST(HostListTest, AnIpv4AddressReplacesAnIpv6OneAndNamesCompareOnTheFirstLabel)
{
    THostList list;
    list.Add(Host("fe80::1%eth0", "nas", "", THostSource::DnsSd));
    list.Add(Host("198.18.0.9", "NAS.example.org", "", THostSource::WsDiscovery));
    ASSERT_EQ(list.Hosts().size(), 1u);
    EXPECT_EQ(list.Hosts()[0].Address, "198.18.0.9");
    EXPECT_EQ(HostNameKey("198.18.0.9"), "198.18.0.9"); // an address keeps its dots
    EXPECT_EQ(HostNameKey("\\\\pc7.local"), "PC7");
    EXPECT_EQ(HostConnectName(list.Hosts()[0]), "\\\\198.18.0.9");
    EXPECT_EQ(HostConnectName(Host("fe80::2", "v6only", "", THostSource::DnsSd)), "\\\\v6only");
}

TScopeNode NetBiosMap()
{
    TScopeNode top;
    top.Caption = "Entire Network";
    TScopeNode& group = top.Children.emplace_back();
    group.Caption = "WORKGROUP";
    group.Resource =
        TNetResource{0, 0, kResourceDisplayTypeDomain, kResourceUsageContainer, "", "WORKGROUP", "", ""};
    TScopeNode& alpha = group.Children.emplace_back();
    alpha.Caption = "\\\\ALPHA";
    alpha.Resource = TNetResource{0, 0, kResourceDisplayTypeServer, 0, "", "\\\\ALPHA", "", ""};
    alpha.Sources = uint8_t(THostSource::NetBios);
    return top;
}

const TScopeNode& Child(const TScopeNode& node, const QString& caption)
{
    for (const TScopeNode& child : node.Children) {
        if (child.Caption == caption)
            return child;
    }
    ADD_FAILURE() << "no node " << caption.toStdString();
    static const TScopeNode none;
    return none;
}

TEST(ScopeHostsTest, DiscoveredComputersJoinTheirGroupOrMatchAKnownOne)
{
    TScopeNode top = NetBiosMap();
    AddDiscoveredHosts(top, {Host("198.18.0.2", "alpha", "WORKGROUP", THostSource::WsDiscovery),
                             Host("198.18.0.3", "kmdns1", "", THostSource::DnsSd),
                             Host("198.18.0.4", "KWSD1", "KESTROVALAB", THostSource::WsDiscovery)});
    ASSERT_EQ(top.Children.size(), 3u);
    const TScopeNode& alpha = top.Children[0].Children.at(0);
    EXPECT_EQ(top.Children[0].Children.size(), 1u); // ALPHA was not added twice
    EXPECT_EQ(alpha.ToolTip, QString::fromUtf8("198.18.0.2 \u2014 found by NetBIOS, WS-Discovery"));

    const TScopeNode& lab = Child(top, "KESTROVALAB");
    EXPECT_EQ(lab.Caption, "KESTROVALAB");
    EXPECT_EQ(lab.Resource->Provider, kDiscoveryProvider);
    EXPECT_EQ(lab.ImageIndex, kScopeImageDomain);
    ASSERT_EQ(lab.Children.size(), 1u);
    EXPECT_EQ(lab.Children[0].Resource->RemoteName, "\\\\198.18.0.4");

    const TScopeNode& mdns = Child(top, "kmdns1"); // no group: below the top
    EXPECT_EQ(mdns.ToolTip, QString::fromUtf8("198.18.0.3 \u2014 found by DNS-SD"));

    RemoveDiscoveredHost(top, "198.18.0.4");
    EXPECT_TRUE(Child(top, "KESTROVALAB").Children.empty());
    RemoveDiscoveredHost(top, "198.18.0.2"); // listed by NetBIOS: stays
    EXPECT_EQ(top.Children[0].Children.size(), 1u);
}

} // namespace
