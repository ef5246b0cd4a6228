#include "platform/SmbNetworkBrowser.h"
#include "support/SmbBrowseNet.h"

#include <gtest/gtest.h>
#include <memory>
#include <stop_token>

// Browsing a NetBIOS network that lives wholly in network namespaces the test
// creates (tests/fixtures/smb-browse-net.sh): a master browser and a second
// server of workgroup KESTROVANET, and a client namespace where the browse
// agents run.
namespace {

const QString kWorkgroup = SmbBrowseNet::kWorkgroup;

class SmbNetworkBrowserNetnsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_net = std::make_unique<SmbBrowseNet>(); }

    static void TearDownTestSuite() { s_net.reset(); }

    void SetUp() override
    {
        if (!s_net->unavailable().isEmpty())
            GTEST_SKIP() << s_net->unavailable().toStdString();
        s_net->runAgentsInClient();
    }

    static std::unique_ptr<SmbBrowseNet> s_net;
};

std::unique_ptr<SmbBrowseNet> SmbNetworkBrowserNetnsTest::s_net;

} // namespace

TEST_F(SmbNetworkBrowserNetnsTest, BrowsesWorkgroupsServersAndShares)
{
    SmbNetworkBrowser browser;
    std::vector<TNetResource> groups = BrowseUntil(browser, nullptr, {kWorkgroup}, 90);
    const TNetResource* group = NamedResource(groups, kWorkgroup);
    ASSERT_NE(group, nullptr) << "the workgroup never showed up at the top of the network";
    EXPECT_EQ(group->DisplayType, kResourceDisplayTypeDomain);
    EXPECT_TRUE(group->Usage & kResourceUsageContainer);

    std::vector<TNetResource> servers =
        BrowseUntil(browser, group, {QStringLiteral("\\\\KBROWSE1"), QStringLiteral("\\\\KBROWSE2")}, 120);
    const TNetResource* master = NamedResource(servers, QStringLiteral("\\\\KBROWSE1"));
    const TNetResource* other = NamedResource(servers, QStringLiteral("\\\\KBROWSE2"));
    ASSERT_TRUE(master && other) << "servers listed: " << servers.size();
    EXPECT_EQ(master->DisplayType, kResourceDisplayTypeServer);
    EXPECT_EQ(master->Comment, QStringLiteral("Kestrova browse test KBROWSE1"));
    for (const TNetResource& server : servers)
        EXPECT_TRUE(server.RemoteName.startsWith(QLatin1String("\\\\"))) << server.RemoteName.toStdString();

    PlatformError error;
    std::vector<TNetResource> shares = BrowseAll(browser, other, error);
    ASSERT_FALSE(error.failed()) << error.message.toStdString();
    const TNetResource* docs = NamedResource(shares, QStringLiteral("\\\\KBROWSE2\\docs"));
    ASSERT_NE(docs, nullptr);
    EXPECT_EQ(docs->DisplayType, kResourceDisplayTypeShare);
    EXPECT_EQ(NamedResource(shares, QStringLiteral("\\\\KBROWSE2\\IPC$")), nullptr);
}

TEST_F(SmbNetworkBrowserNetnsTest, UnknownWorkgroupIsAnErrorWithACode)
{
    SmbNetworkBrowser browser;
    TNetResource missing =
        *SmbNetworkBrowser::resourceFor(nullptr, QStringLiteral("NOSUCHGROUP"), 1, QString());
    auto enumeration = browser.open(&missing);
    EXPECT_FALSE(enumeration);
    EXPECT_TRUE(enumeration.error().failed());
    EXPECT_FALSE(enumeration.error().message.isEmpty());
}

TEST_F(SmbNetworkBrowserNetnsTest, StoppedBrowseFailsAndTheNextOpenStartsAFreshAgent)
{
    SmbNetworkBrowser browser;
    std::stop_source stop;
    stop.request_stop();
    const auto stopped = browser.open(nullptr, stop.get_token());
    EXPECT_FALSE(stopped);
    EXPECT_EQ(stopped.error().code, ECANCELED);
    std::vector<TNetResource> groups = BrowseUntil(browser, nullptr, {kWorkgroup}, 90);
    EXPECT_NE(NamedResource(groups, kWorkgroup), nullptr);
}
