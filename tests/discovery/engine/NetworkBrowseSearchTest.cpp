#include "engine/ScopeRoot.h"
#include "support/QStringPrinter.h"
#include "support/SmbBrowseNet.h"
#include "support/engine/LiveSearch.h"

#include <gtest/gtest.h>

// Searches that browse the network: the engine enumerates a NetBIOS network that
// lives in network namespaces the test creates (two servers of one workgroup) and
// searches the servers it keeps, with all SMB agents running in the client namespace.
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
        // The master browser needs its election before it lists both servers; a
        // search started earlier would rightly find fewer.
        if (s_workgroup.RemoteName.isEmpty()) {
            SmbNetworkBrowser browser;
            const std::vector<TNetResource> groups =
                BrowseUntil(browser, nullptr, {SmbBrowseNet::kWorkgroup}, 90);
            const TNetResource* group = NamedResource(groups, SmbBrowseNet::kWorkgroup);
            ASSERT_NE(group, nullptr) << "the workgroup never showed up";
            const std::vector<TNetResource> servers =
                BrowseUntil(browser, group, {"\\\\KBROWSE1", "\\\\KBROWSE2"}, 120);
            ASSERT_TRUE(NamedResource(servers, "\\\\KBROWSE1") && NamedResource(servers, "\\\\KBROWSE2"))
                << "servers listed: " << servers.size();
            s_workgroup = *group;
        }
        config.FileMasks = "*.txt";
    }

    static QStringList SortedNames(const THeadlessSearchResult& result)
    {
        QStringList found = ItemNames(result);
        found.sort(Qt::CaseInsensitive);
        return found;
    }

    TThreadConfig config;
    static std::unique_ptr<SmbBrowseNet> s_net;
    static TNetResource s_workgroup;
};

std::unique_ptr<SmbBrowseNet> NetworkBrowseSearchTest::s_net;
TNetResource NetworkBrowseSearchTest::s_workgroup;

TEST_F(NetworkBrowseSearchTest, EntireNetworkFindsTheFilesOfEveryBrowsedServer)
{
    config.SearchMethod = TSearchType::EntireNetwork;
    LiveSearch search;
    const THeadlessSearchResult result = search.run(config);

    const QStringList log = LogTexts(result);
    EXPECT_EQ(SortedNames(result),
              QStringList({"\\\\KBROWSE1\\pub\\pub.txt", "\\\\KBROWSE2\\docs\\docs.txt"}))
        << log.join("\n").toStdString();
    EXPECT_EQ(log.front(), "Search started in mode 'Entire Network' with root 'Entire Network'.");
    EXPECT_GE(log.indexOf("Opening " + SmbBrowseNet::kWorkgroup + "..."), 0) << log.join("\n").toStdString();
    EXPECT_GE(log.indexOf("Computer \\\\KBROWSE1 enqueued."), 0);
    EXPECT_GE(log.indexOf("Computer \\\\KBROWSE2 enqueued."), 0);
    EXPECT_EQ(log.back(), "Search finished.");
    EXPECT_TRUE(result.Errors.empty());
}

TEST_F(NetworkBrowseSearchTest, ExcludedComputersBelowTheChosenRootAreSkipped)
{
    config.SearchMethod = TSearchType::ExcludedComputers;
    config.ResList = "\\\\kbrowse2";
    TScopeRoot root;
    AssignScopeRoot(root, &s_workgroup);
    LiveSearch search;
    const THeadlessSearchResult result = search.run(config, root);

    const QStringList log = LogTexts(result);
    EXPECT_EQ(SortedNames(result), QStringList({"\\\\KBROWSE1\\pub\\pub.txt"}))
        << log.join("\n").toStdString();
    EXPECT_EQ(log.front(), "Search started in mode 'Excluded Computers' with root '" +
                               SmbBrowseNet::kWorkgroup + " except \\\\kbrowse2'.");
    EXPECT_GE(log.indexOf("Computer \\\\KBROWSE2 skipped"), 0) << log.join("\n").toStdString();
    EXPECT_EQ(log.indexOf("Computer \\\\KBROWSE2 enqueued."), -1);
}

TEST_F(NetworkBrowseSearchTest, AComputerMaskKeepsOnlyTheMatchingServers)
{
    config.SearchMethod = TSearchType::SpecifiedComputers;
    config.ResList = "*2";
    LiveSearch search;
    const THeadlessSearchResult result = search.run(config);

    const QStringList log = LogTexts(result);
    EXPECT_EQ(SortedNames(result), QStringList({"\\\\KBROWSE2\\docs\\docs.txt"}))
        << log.join("\n").toStdString();
    EXPECT_GE(log.indexOf("Computer \\\\KBROWSE1 skipped"), 0);
    EXPECT_GE(log.indexOf("Computer \\\\KBROWSE2 enqueued."), 0);
}

} // namespace
