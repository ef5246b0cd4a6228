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
    PlatformError error;
    EXPECT_FALSE(browser.open(&share, error));
    EXPECT_EQ(error.code, EINVAL);
}

TEST(SmbNetworkBrowserTest, EnumerationHandsOutChunksThenSaysNoMore)
{
    std::vector<TNetResource> all;
    for (int i = 0; i < 5; ++i)
        all.push_back(server(QStringLiteral("S%1").arg(i)));
    ResourceListEnumeration enumeration(all);
    std::vector<TNetResource> chunk;
    PlatformError error;
    EXPECT_EQ(enumeration.next(2, chunk, error), EnumResult::MoreEntries);
    ASSERT_EQ(chunk.size(), 2u);
    EXPECT_EQ(chunk[0].RemoteName, QStringLiteral("\\\\S0"));
    EXPECT_EQ(enumeration.next(2, chunk, error), EnumResult::MoreEntries);
    EXPECT_EQ(chunk[1].RemoteName, QStringLiteral("\\\\S3"));
    EXPECT_EQ(enumeration.next(2, chunk, error), EnumResult::Entries);
    ASSERT_EQ(chunk.size(), 1u);
    EXPECT_EQ(chunk[0].RemoteName, QStringLiteral("\\\\S4"));
    EXPECT_EQ(enumeration.next(2, chunk, error), EnumResult::NoMoreItems);
    EXPECT_TRUE(chunk.empty());
    EXPECT_FALSE(error.failed());

    ResourceListEnumeration empty({});
    EXPECT_EQ(empty.next(512, chunk, error), EnumResult::NoMoreItems);
}
