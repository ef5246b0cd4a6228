#include "engine/HeadlessSearch.h"
#include "engine/QueueThread.h"
#include "support/QStringPrinter.h"
#include "support/engine/FakeHostCheckerService.h"
#include "support/engine/GatedWorker.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

class QueueThreadIpRangeTest : public ::testing::Test {
protected:
    void SetUp() override { config.SearchMethod = TSearchType::IpAddressRange; }

    THeadlessSearchResult Run()
    {
        TSearchServices services;
        services.HostChecker = &checker;
        THeadlessSearch search(dispatcher, services);
        search.CreateWorker = gate.factory();
        search.EchoErrors = false;
        search.StopWhen = stopWhen;
        search.Discovery = discovery;
        auto result = search.Run(config, TScopeRoot{});
        session = search.Session();
        checker.joinAll();
        return result;
    }

    std::vector<QString> SortedStarts()
    {
        auto started = gate.started();
        std::sort(started.begin(), started.end());
        return started;
    }

    static bool Logged(const THeadlessSearchResult& result, const TSearchLogEntry& entry)
    {
        return std::find(result.Log.begin(), result.Log.end(), entry) != result.Log.end();
    }

    PumpDispatcher dispatcher;
    FakeHostCheckerService checker{dispatcher};
    WorkerGate gate{true};
    TThreadConfig config;
    std::function<bool()> stopWhen;
    // The discovery options the search's session starts with.
    TDiscoveryOptions discovery;
    std::shared_ptr<TSearchSession> session;
};

TEST_F(QueueThreadIpRangeTest, ReachableAddressesAreQueuedByNameOrAddress)
{
    discovery.ResolveAddress = true;
    config.ResList = "127.0.0.1-127.0.0.20,bogus";
    checker.setResult("127.0.0.3", 1, "host3");
    checker.setResult("127.0.0.5", 1);           // no reverse entry: the address is used
    checker.setResult("127.0.0.7", 2, "failed"); // a failed probe is not searched
    const auto result = Run();
    EXPECT_EQ(result.Log.front().Text,
              "Search started in mode 'IP Address Range' with root '127.0.0.1-127.0.0.20, bogus'.");
    EXPECT_TRUE(
        Logged(result, {TSearchLogKind::Scope, "IP Range of 20 addresses is valid (127.0.0.1-127.0.0.20)"}));
    EXPECT_TRUE(Logged(result, {TSearchLogKind::Error, "IP Range is invalid (bogus)"}));
    EXPECT_TRUE(Logged(result, {TSearchLogKind::Computer, "Computer \\\\host3 enqueued."}));
    EXPECT_EQ(checker.startedAddresses().size(), 20u);
    EXPECT_EQ(checker.startedAddresses().front(), "127.0.0.1");
    EXPECT_EQ(checker.startedAddresses().back(), "127.0.0.20");
    EXPECT_EQ(SortedStarts(), std::vector<QString>({"\\\\127.0.0.5", "\\\\host3"}));
    EXPECT_EQ(result.Log.back().Text, "Search finished.");
}

TEST_F(QueueThreadIpRangeTest, WithoutNameResolutionTheAddressIsUsed)
{
    discovery.ResolveAddress = false;
    config.ResList = "\"10.1.2.254 - 10.1.3.1\""; // comma text quotes an entry with blanks
    checker.setResult("10.1.3.0", 1, "stale-name");
    Run();
    EXPECT_EQ(checker.startedAddresses(),
              std::vector<QString>({"10.1.2.254", "10.1.2.255", "10.1.3.0", "10.1.3.1"}));
    EXPECT_EQ(SortedStarts(), std::vector<QString>({"\\\\10.1.3.0"}));
}

TEST_F(QueueThreadIpRangeTest, OutstandingChecksStayWithinTheLimitPlusOne)
{
    discovery.MaxThreads = 10;
    discovery.Methods = TDiscoveryMethod::ICMP; // one probe per check
    config.ResList = "127.0.0.1-127.0.0.80";
    for (int i = 1; i <= 80; i += 3)
        checker.setResult(QString("127.0.0.%1").arg(i), 1);
    Run();
    EXPECT_LE(checker.maxOutstanding(), 11);
    EXPECT_GT(checker.maxOutstanding(), 1);
    EXPECT_EQ(checker.startedAddresses().size(), 80u);
    // Every reachable address is searched, also those whose check ended last.
    EXPECT_EQ(gate.started().size(), 27u);
}

TEST_F(QueueThreadIpRangeTest, TheLimitCountsProbesNotChecks)
{
    // Four methods per check: a limit of 40 probes keeps about ten checks out.
    discovery.MaxThreads = 40;
    discovery.Methods = TDiscoveryMethods::All();
    config.ResList = "127.0.0.1-127.0.0.80";
    Run();
    EXPECT_LE(checker.maxOutstanding(), 11);
    EXPECT_GT(checker.maxOutstanding(), 1);
    EXPECT_EQ(checker.startedAddresses().size(), 80u);
}

TEST_F(QueueThreadIpRangeTest, WithoutIcmpTheLogSaysSoOnceAndTheOtherMethodsRun)
{
    checker.setIcmpAvailable(false);
    config.ResList = "127.0.0.1-127.0.0.4,127.0.1.1-127.0.1.2";
    checker.setResult("127.0.0.2", 1);
    const auto result = Run();
    const TSearchLogEntry line{TSearchLogKind::Error, IcmpUnavailableMessage(true)};
    EXPECT_EQ(std::count(result.Log.begin(), result.Log.end(), line), 1);
    EXPECT_TRUE(line.Text.startsWith("ICMP echo needs "));
    EXPECT_TRUE(line.Text.endsWith("; using the other methods."));
    EXPECT_EQ(checker.startedAddresses().size(), 6u);
    EXPECT_EQ(SortedStarts(), std::vector<QString>({"\\\\127.0.0.2"}));

    // ICMP alone cannot check anything: the log says that instead.
    discovery.Methods = TDiscoveryMethod::ICMP;
    const auto alone = Run();
    EXPECT_TRUE(Logged(alone, {TSearchLogKind::Error, IcmpUnavailableMessage(false)}));
}

TEST_F(QueueThreadIpRangeTest, StopStartsNoFurtherChecksQueuesNothingAndStillEnds)
{
    discovery.MaxThreads = 10;
    discovery.Methods = TDiscoveryMethod::ICMP;
    config.ResList = "127.0.0.1-127.0.0.50";
    for (int i = 1; i <= 50; ++i)
        checker.setResult(QString("127.0.0.%1").arg(i), 1);
    checker.hold();
    stopWhen = [this] {
        if (checker.startedAddresses().size() < 11)
            return false;
        checker.release(); // the held checks end after the stop
        return true;
    };
    const auto result = Run();
    EXPECT_EQ(checker.startedAddresses().size(), 11u);
    EXPECT_TRUE(gate.started().empty());
    EXPECT_EQ(result.Log[result.Log.size() - 2].Text, "Finishing search...");
    EXPECT_EQ(result.Log.back().Text, "Search finished.");
    EXPECT_EQ(session->Jobs().PendingCount(), 0);
}

TEST_F(QueueThreadIpRangeTest, NoProbingFacilityMeansNoChecks)
{
    checker.setAvailable(false);
    config.ResList = "127.0.0.1-127.0.0.9";
    const auto result = Run();
    EXPECT_TRUE(checker.startedAddresses().empty());
    EXPECT_TRUE(
        Logged(result, {TSearchLogKind::Scope, "IP Range of 9 addresses is valid (127.0.0.1-127.0.0.9)"}));
    EXPECT_EQ(result.Log.back().Text, "Search finished.");
}

TEST_F(QueueThreadIpRangeTest, NegativeLimitDoesNotHang)
{
    discovery.MaxThreads = -5;
    discovery.Methods = TDiscoveryMethod::ICMP;
    config.ResList = "127.0.0.1-127.0.0.4";
    Run();
    EXPECT_EQ(checker.maxOutstanding(), 1);
    EXPECT_EQ(checker.startedAddresses().size(), 4u);
}

} // namespace
