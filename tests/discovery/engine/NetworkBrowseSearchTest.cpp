#include "model/StopFlag.h"
#include "support/QStringPrinter.h"
#include "support/SmbBrowseNet.h"
#include "support/engine/LiveSearch.h"

#include <gtest/gtest.h>

// A search of the entire network: the engine browses a NetBIOS network that lives in
// network namespaces the test creates (two servers of one workgroup) and searches
// every server it finds, with all SMB agents running in the client namespace.
namespace {

class NetworkBrowseSearchTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_net = std::make_unique<SmbBrowseNet>(); }
    static void TearDownTestSuite() { s_net.reset(); }

    void SetUp() override
    {
        if (!s_net->unavailable().isEmpty())
            GTEST_SKIP() << s_net->unavailable().toStdString();
        s_net->runAgentsInClient();
    }

    void TearDown() override { StopFlag = 0; }

    static std::unique_ptr<SmbBrowseNet> s_net;
};

std::unique_ptr<SmbBrowseNet> NetworkBrowseSearchTest::s_net;

TEST_F(NetworkBrowseSearchTest, EntireNetworkFindsTheFilesOfEveryBrowsedServer)
{
    // The master browser needs its election before it lists both servers; a search
    // started earlier would rightly find fewer.
    {
        SmbNetworkBrowser browser;
        const std::vector<TNetResource> groups = BrowseUntil(browser, nullptr, {SmbBrowseNet::kWorkgroup}, 90);
        const TNetResource* group = NamedResource(groups, SmbBrowseNet::kWorkgroup);
        ASSERT_NE(group, nullptr) << "the workgroup never showed up";
        const std::vector<TNetResource> servers =
            BrowseUntil(browser, group, {"\\\\KBROWSE1", "\\\\KBROWSE2"}, 120);
        ASSERT_TRUE(NamedResource(servers, "\\\\KBROWSE1") && NamedResource(servers, "\\\\KBROWSE2"))
            << "servers listed: " << servers.size();
    }

    TThreadConfig config;
    config.SearchMethod = 0;
    config.FileMasks = "*.txt";
    LiveSearch search;
    const THeadlessSearchResult result = search.run(config);

    QStringList found = ItemNames(result);
    found.sort(Qt::CaseInsensitive);
    EXPECT_EQ(found, QStringList({"\\\\KBROWSE1\\pub\\pub.txt", "\\\\KBROWSE2\\docs\\docs.txt"}))
        << LogTexts(result).join("\n").toStdString();
    const QStringList log = LogTexts(result);
    EXPECT_EQ(log.front(), "Search started in mode 'Entire Network' with root 'Entire Network'.");
    EXPECT_GE(log.indexOf("Opening " + SmbBrowseNet::kWorkgroup + "..."), 0) << log.join("\n").toStdString();
    EXPECT_GE(log.indexOf("Computer \\\\KBROWSE1 enqueued."), 0);
    EXPECT_GE(log.indexOf("Computer \\\\KBROWSE2 enqueued."), 0);
    EXPECT_EQ(log.back(), "Search finished.");
    EXPECT_TRUE(result.Errors.empty());
}

} // namespace
