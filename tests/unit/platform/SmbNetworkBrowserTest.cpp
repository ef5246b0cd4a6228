#include "platform/SmbNetworkBrowser.h"

#include "platform/SmbAgentProtocol.h"

#include <cerrno>
#include <gtest/gtest.h>

using namespace SmbAgentProtocol;

namespace {

TNetResource workgroup(const QString& name)
{
    return *SmbNetworkBrowser::resourceFor(nullptr, name, kSmbcWorkgroup, QString());
}

TNetResource server(const QString& name)
{
    TNetResource group = workgroup(QStringLiteral("GROUP"));
    return *SmbNetworkBrowser::resourceFor(&group, name, kSmbcServer, QStringLiteral("comment"));
}

} // namespace

TEST(SmbNetworkBrowserTest, WorkgroupsAreContainersNamedPlainly)
{
    TNetResource group = workgroup(QStringLiteral("KESTROVA"));
    EXPECT_EQ(group.RemoteName, QStringLiteral("KESTROVA"));
    EXPECT_EQ(group.DisplayType, kResourceDisplayTypeDomain);
    EXPECT_TRUE(group.Usage & kResourceUsageContainer);
    EXPECT_EQ(SmbNetworkBrowser::urlFor(&group), QStringLiteral("smb://KESTROVA"));
}

TEST(SmbNetworkBrowserTest, ServersCarryUncNames)
{
    TNetResource host = server(QStringLiteral("FILESRV"));
    EXPECT_EQ(host.RemoteName, QStringLiteral("\\\\FILESRV"));
    EXPECT_EQ(host.DisplayType, kResourceDisplayTypeServer);
    EXPECT_EQ(host.Comment, QStringLiteral("comment"));
    EXPECT_EQ(SmbNetworkBrowser::urlFor(&host), QStringLiteral("smb://FILESRV/"));
}

TEST(SmbNetworkBrowserTest, ServersHoldDiskSharesOnly)
{
    TNetResource host = server(QStringLiteral("FILESRV"));
    auto share = SmbNetworkBrowser::resourceFor(&host, QStringLiteral("docs"), kSmbcFileShare, QString());
    ASSERT_TRUE(share);
    EXPECT_EQ(share->RemoteName, QStringLiteral("\\\\FILESRV\\docs"));
    EXPECT_EQ(share->DisplayType, kResourceDisplayTypeShare);
    EXPECT_EQ(share->Usage, kResourceUsageConnectable);
    EXPECT_FALSE(SmbNetworkBrowser::resourceFor(&host, QStringLiteral("lp"), kSmbcPrinterShare, QString()));
    EXPECT_FALSE(SmbNetworkBrowser::resourceFor(&host, QStringLiteral("IPC$"), kSmbcIpcShare, QString()));
    EXPECT_FALSE(SmbNetworkBrowser::resourceFor(nullptr, QStringLiteral("docs"), kSmbcFileShare, QString()))
        << "a share needs its server";
    EXPECT_FALSE(SmbNetworkBrowser::resourceFor(nullptr, QString(), kSmbcWorkgroup, QString()));
}

TEST(SmbNetworkBrowserTest, TopOfTheNetworkAndUnbrowsableContainers)
{
    EXPECT_EQ(SmbNetworkBrowser::urlFor(nullptr), QStringLiteral("smb://"));
    TNetResource host = server(QStringLiteral("FILESRV"));
    TNetResource share =
        *SmbNetworkBrowser::resourceFor(&host, QStringLiteral("docs"), kSmbcFileShare, QString());
    EXPECT_TRUE(SmbNetworkBrowser::urlFor(&share).isEmpty());
    TNetResource nothing;
    EXPECT_TRUE(SmbNetworkBrowser::urlFor(&nothing).isEmpty());
    // A workgroup name is a host part of the URL: '@' and ':' must not read as user or port.
    TNetResource odd = workgroup(QStringLiteral("A@B:C"));
    EXPECT_EQ(SmbNetworkBrowser::urlFor(&odd), QStringLiteral("smb://A%40B%3AC"));

    SmbNetworkBrowser browser;
    const auto opened = browser.open(&share);
    EXPECT_FALSE(opened);
    EXPECT_EQ(opened.error().code, EINVAL);
}

TEST(SmbNetworkBrowserTest, EnumerationHandsOutChunksThenSaysNoMore)
{
    std::vector<TNetResource> all;
    for (int i = 0; i < 5; ++i)
        all.push_back(server(QStringLiteral("S%1").arg(i)));
    ResourceListEnumeration enumeration(all);
    Result<NetworkChunk> chunk = enumeration.next(2);
    ASSERT_TRUE(chunk);
    EXPECT_EQ(chunk.value().state, EnumResult::MoreEntries);
    ASSERT_EQ(chunk.value().entries.size(), 2u);
    EXPECT_EQ(chunk.value().entries[0].RemoteName, QStringLiteral("\\\\S0"));
    chunk = enumeration.next(2);
    EXPECT_EQ(chunk.value().state, EnumResult::MoreEntries);
    EXPECT_EQ(chunk.value().entries[1].RemoteName, QStringLiteral("\\\\S3"));
    chunk = enumeration.next(2);
    EXPECT_EQ(chunk.value().state, EnumResult::Entries);
    ASSERT_EQ(chunk.value().entries.size(), 1u);
    EXPECT_EQ(chunk.value().entries[0].RemoteName, QStringLiteral("\\\\S4"));
    chunk = enumeration.next(2);
    ASSERT_TRUE(chunk);
    EXPECT_EQ(chunk.value().state, EnumResult::NoMoreItems);
    EXPECT_TRUE(chunk.value().entries.empty());

    ResourceListEnumeration empty({});
    EXPECT_EQ(empty.next(512).value().state, EnumResult::NoMoreItems);
}
