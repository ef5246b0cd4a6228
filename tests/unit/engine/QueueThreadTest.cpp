#include "engine/QueueThread.h"

#include "engine/HeadlessSearch.h"
#include "support/QStringPrinter.h"
#include "support/engine/FakeHostCheckerService.h"
#include "support/engine/FakeNetworkBrowser.h"
#include "support/engine/GatedWorker.h"

#include <gtest/gtest.h>

namespace {

using Entries = std::vector<TSearchLogEntry>;

class QueueThreadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        browser.add("", FakeNetworkBrowser::Domain("WORKGROUP"));
        browser.add("", FakeNetworkBrowser::Domain("OTHER"));
        browser.add("WORKGROUP", FakeNetworkBrowser::Server("\\\\ALPHA"));
        TNetResource printer;
        printer.DisplayType = 3; // a share seen in the neighbourhood: neither server nor container
        printer.Usage = kResourceUsageConnectable;
        printer.RemoteName = "\\\\ALPHA\\laser";
        browser.add("WORKGROUP", printer);
        browser.add("WORKGROUP", FakeNetworkBrowser::Server("\\\\BETA"));
        browser.add("WORKGROUP", FakeNetworkBrowser::Server("\\\\BOX1"));
        browser.add("OTHER", FakeNetworkBrowser::Server("\\\\GAMMA"));
    }

    THeadlessSearchResult Run()
    {
        TSearchServices services;
        services.Browser = &browser;
        THeadlessSearch search(dispatcher, services);
        search.CreateWorker = gate.factory();
        search.EchoErrors = false;
        running = &search;
        auto result = search.Run(config, root);
        running = nullptr;
        session = search.Session();
        return result;
    }

    PumpDispatcher dispatcher;
    FakeNetworkBrowser browser;
    WorkerGate gate{true};
    TThreadConfig config;
    TScopeRoot root;
    THeadlessSearch* running = nullptr;
    std::shared_ptr<TSearchSession> session; // the last run's
};

TEST_F(QueueThreadTest, EntireNetworkEnqueuesEveryServerDepthFirst)
{
    const auto result = Run();
    EXPECT_EQ(result.Log, Entries({
                              {TSearchLogKind::Info,
                               "Search started in mode 'Entire Network' with root 'Entire Network'."},
                              {TSearchLogKind::Scope, "Found 2 resources"},
                              {TSearchLogKind::Scope, "Opening WORKGROUP..."},
                              {TSearchLogKind::Scope, "Found 4 resources"},
                              {TSearchLogKind::Computer, "Computer \\\\ALPHA enqueued."},
                              {TSearchLogKind::Computer, "Computer \\\\BETA enqueued."},
                              {TSearchLogKind::Computer, "Computer \\\\BOX1 enqueued."},
                              {TSearchLogKind::Scope, "Opening OTHER..."},
                              {TSearchLogKind::Scope, "Found 1 resources"},
                              {TSearchLogKind::Computer, "Computer \\\\GAMMA enqueued."},
                              {TSearchLogKind::Info, "Finishing search..."},
                              {TSearchLogKind::Info, "Search finished."},
                          }));
    EXPECT_EQ(gate.started(), std::vector<QString>({"\\\\ALPHA", "\\\\BETA", "\\\\BOX1", "\\\\GAMMA"}));
    // Servers are never enumerated: their shares are the workers' business.
    EXPECT_EQ(browser.openedContainers(), std::vector<QString>({"", "WORKGROUP", "OTHER"}));
    EXPECT_TRUE(result.Errors.empty());
    EXPECT_EQ(session->Jobs().PendingCount(), 0);
}

TEST_F(QueueThreadTest, AssignedRootStartsBelowIt)
{
    const TNetResource other = FakeNetworkBrowser::Domain("OTHER");
    AssignScopeRoot(root, &other);
    const auto result = Run();
    EXPECT_EQ(result.Log.front().Text, "Search started in mode 'Entire Network' with root 'OTHER'.");
    EXPECT_EQ(result.Log[1].Text, "Opening OTHER...");
    EXPECT_EQ(gate.started(), std::vector<QString>({"\\\\GAMMA"}));
}

TEST_F(QueueThreadTest, ExcludedComputersAreSkippedWithALogLine)
{
    config.SearchMethod = TSearchType::ExcludedComputers;
    config.ResList = "\\\\b*";
    const auto result = Run();
    EXPECT_EQ(result.Log.front().Text,
              "Search started in mode 'Excluded Computers' with root 'Entire Network except \\\\b*'.");
    EXPECT_NE(std::find(result.Log.begin(), result.Log.end(),
                        TSearchLogEntry{TSearchLogKind::Info, "Computer \\\\BETA skipped"}),
              result.Log.end());
    EXPECT_NE(std::find(result.Log.begin(), result.Log.end(),
                        TSearchLogEntry{TSearchLogKind::Info, "Computer \\\\BOX1 skipped"}),
              result.Log.end());
    EXPECT_EQ(gate.started(), std::vector<QString>({"\\\\ALPHA", "\\\\GAMMA"}));
}

TEST_F(QueueThreadTest, SpecifiedComputersWithAMaskKeepOnlyMatchingServers)
{
    config.SearchMethod = TSearchType::SpecifiedComputers;
    config.ResList = "\\\\B*,\\\\GAMMA";
    const auto result = Run();
    EXPECT_NE(std::find(result.Log.begin(), result.Log.end(),
                        TSearchLogEntry{TSearchLogKind::Info, "Computer \\\\ALPHA skipped"}),
              result.Log.end());
    EXPECT_EQ(gate.started(), std::vector<QString>({"\\\\BETA", "\\\\BOX1", "\\\\GAMMA"}));
}

TEST_F(QueueThreadTest, SpecifiedComputersWithoutWildcardsAreQueuedAsWrittenWithoutBrowsing)
{
    config.SearchMethod = TSearchType::SpecifiedComputers;
    config.ResList = "\\\\ZED,\\\\10.0.0.7,\\\\ALPHA";
    const auto result = Run();
    EXPECT_EQ(result.Log,
              Entries({
                  {TSearchLogKind::Info, "Search started in mode 'Specified Computers' with root '\\\\ZED, "
                                         "\\\\10.0.0.7, \\\\ALPHA'."},
                  {TSearchLogKind::Computer, "Computer \\\\ZED enqueued."},
                  {TSearchLogKind::Computer, "Computer \\\\10.0.0.7 enqueued."},
                  {TSearchLogKind::Computer, "Computer \\\\ALPHA enqueued."},
                  {TSearchLogKind::Info, "Finishing search..."},
                  {TSearchLogKind::Info, "Search finished."},
              }));
    EXPECT_EQ(gate.started(), std::vector<QString>({"\\\\ZED", "\\\\10.0.0.7", "\\\\ALPHA"}));
    EXPECT_TRUE(browser.openedContainers().empty());
}

TEST_F(QueueThreadTest, RootThatCannotBeOpenedIsLoggedAndTheSearchEnds)
{
    browser.failOpen("", 1222, "The network is not present or not started.");
    const auto result = Run();
    EXPECT_EQ(
        result.Log,
        Entries({
            {TSearchLogKind::Info, "Search started in mode 'Entire Network' with root 'Entire Network'."},
            {TSearchLogKind::Error,
             "Cannot open root network resource: The network is not present or not started. (1222)"},
            {TSearchLogKind::Info, "Finishing search..."},
            {TSearchLogKind::Info, "Search finished."},
        }));
    EXPECT_TRUE(gate.started().empty());
}

TEST_F(QueueThreadTest, BrowseErrorsEndOnlyTheirBranch)
{
    browser.failOpen("WORKGROUP", 5, "Access is denied.");
    auto result = Run();
    EXPECT_NE(
        std::find(result.Log.begin(), result.Log.end(),
                  TSearchLogEntry{TSearchLogKind::Error,
                                  "Cannot open the network resource \"WORKGROUP\": Access is denied. (5)"}),
        result.Log.end());
    EXPECT_EQ(gate.started(), std::vector<QString>({"\\\\GAMMA"}));

    FakeNetworkBrowser failing;
    failing.add("", FakeNetworkBrowser::Domain("A"));
    failing.add("", FakeNetworkBrowser::Domain("B"));
    failing.add("A", FakeNetworkBrowser::Server("\\\\A1"));
    failing.add("B", FakeNetworkBrowser::Server("\\\\B1"));
    failing.failNext("A", 0, 59, "An unexpected network error occurred.");
    TSearchServices services;
    services.Browser = &failing;
    THeadlessSearch search(dispatcher, services);
    WorkerGate second;
    search.CreateWorker = second.factory();
    result = search.Run(config, root);
    EXPECT_NE(std::find(result.Log.begin(), result.Log.end(),
                        TSearchLogEntry{TSearchLogKind::Error,
                                        "Error opening resource: An unexpected network error occurred."}),
              result.Log.end());
    EXPECT_EQ(second.started(), std::vector<QString>({"\\\\B1"}));
    EXPECT_EQ(result.Log.back().Text, "Search finished.");
}

TEST_F(QueueThreadTest, EntriesComeInBatches)
{
    browser.setBatchSize(3);
    const auto result = Run();
    EXPECT_EQ(result.Log[3], (TSearchLogEntry{TSearchLogKind::Scope, "Found 3 resources"}));
    EXPECT_NE(std::find(result.Log.begin(), result.Log.end(),
                        TSearchLogEntry{TSearchLogKind::Scope, "Found 1 resources"}),
              result.Log.end());
    EXPECT_EQ(gate.started().size(), 4u);
}

TEST_F(QueueThreadTest, StopDuringTheBrowseQueuesNothingMoreButTheSearchEnds)
{
    browser.onNext([this](const QString& container) {
        if (container == "OTHER")
            running->Session()->RequestStop();
    });
    const auto result = Run();
    // Names queued before the stop may or may not have been taken; nothing after it is queued.
    for (const QString& host : gate.started())
        EXPECT_NE(host, "\\\\GAMMA");
    EXPECT_EQ(std::find(result.Log.begin(), result.Log.end(),
                        TSearchLogEntry{TSearchLogKind::Computer, "Computer \\\\GAMMA enqueued."}),
              result.Log.end());
    EXPECT_EQ(result.Log[result.Log.size() - 2].Text, "Finishing search...");
    EXPECT_EQ(result.Log.back().Text, "Search finished.");
}

TEST_F(QueueThreadTest, InvalidComputerMaskIsReportedAndTheSearchStillEnds)
{
    config.SearchMethod = TSearchType::ExcludedComputers;
    config.ResList = "\\\\[";
    const auto result = Run();
    ASSERT_EQ(result.Errors.size(), 1u);
    EXPECT_TRUE(result.Errors[0].startsWith("TQueueThread: ")) << result.Errors[0].toStdString();
    EXPECT_TRUE(result.Errors[0].contains("invalid mask"));
    EXPECT_EQ(result.Log.back().Text, "Search finished.");
    EXPECT_TRUE(gate.started().empty());
    EXPECT_EQ(session->Jobs().PendingCount(), 0);
}

TEST_F(QueueThreadTest, UnknownSearchMethodSearchesNothing)
{
    config.SearchMethod = TSearchType::Unknown;
    const auto result = Run();
    EXPECT_EQ(result.Log.front().Text, "Search started in mode '' with root 'Nothing'.");
    EXPECT_TRUE(gate.started().empty());
    EXPECT_TRUE(browser.openedContainers().empty());
}

TEST(ScopeRootTest, AssignCopiesAndClearForgets)
{
    TScopeRoot root;
    TNetResource source = FakeNetworkBrowser::Domain("WG");
    source.Comment = "office";
    AssignScopeRoot(root, &source);
    source.RemoteName = "changed";
    EXPECT_TRUE(root.Assigned);
    EXPECT_EQ(root.Resource.RemoteName, "WG");
    EXPECT_EQ(root.Resource.Comment, "office");
    AssignScopeRoot(root, nullptr);
    EXPECT_FALSE(root.Assigned);
    EXPECT_EQ(root.Resource, TNetResource{});
}

} // namespace
