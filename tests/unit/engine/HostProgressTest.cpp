#include "engine/HostProgress.h"

#include "engine/EngineErrorReporter.h"
#include "engine/HitSink.h"
#include "engine/PumpDispatcher.h"
#include "engine/SearchSession.h"
#include "engine/WorkerThread.h"
#include "support/MemoryByteSource.h"
#include "support/QStringPrinter.h"
#include "support/engine/FakeShareNetwork.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using namespace std::chrono_literals;

namespace {

const THostProgressLine* LineOf(const std::vector<THostProgressLine>& lines, const QString& host)
{
    for (const THostProgressLine& line : lines) {
        if (line.Host == host)
            return &line;
    }
    return nullptr;
}

TEST(HostProgressTest, HostsKeepTheOrderTheSearchCameToKnowThem)
{
    THostProgress progress;
    progress.HostKnown("\\\\B");
    progress.HostKnown("\\\\A");
    progress.SetState("\\\\C", THostState::Probing); // a step makes an unknown host known
    progress.HostKnown("\\\\B");                     // known twice, listed once
    const auto lines = progress.Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].Host, "\\\\B");
    EXPECT_EQ(lines[1].Host, "\\\\A");
    EXPECT_EQ(lines[2].Host, "\\\\C");
    EXPECT_EQ(lines[0].State, THostState::Waiting);
    EXPECT_EQ(lines[2].State, THostState::Probing);
}

TEST(HostProgressTest, SummaryCountsEndsErrorsHitsAndBytes)
{
    THostProgress progress;
    progress.SetState("\\\\A", THostState::Searching);
    progress.HitFound("\\\\A");
    progress.HitFound("\\\\A");
    progress.BytesSearched("\\\\A", 1000);
    progress.BytesSearched("\\\\A", -5); // a failed read counts nothing
    progress.HostFinished("\\\\A");
    progress.SetState("\\\\B", THostState::NoAnswer);
    progress.SetState("\\\\C", THostState::TimedOut, "no answer in 30 s");
    progress.HostKnown("\\\\D");
    progress.HitFound("\\\\E");

    const TProgressSummary summary = progress.Summary();
    EXPECT_EQ(summary.HostsKnown, 5);
    EXPECT_EQ(summary.HostsDone, 3);
    EXPECT_EQ(summary.Errors, 2);
    EXPECT_EQ(summary.Hits, 3);
    EXPECT_EQ(summary.BytesSearched, 1000);
    EXPECT_GE(summary.ElapsedMs, 0);
    const auto lines = progress.Lines();
    EXPECT_EQ(LineOf(lines, "\\\\A")->State, THostState::Done);
    EXPECT_EQ(LineOf(lines, "\\\\C")->Detail, "no answer in 30 s");
}

TEST(HostProgressTest, TheClockRunsFromTheFirstStepToTheEnd)
{
    THostProgress progress;
    progress.HostKnown("\\\\A");
    std::this_thread::sleep_for(30ms); // waiting does not count
    progress.SetState("\\\\A", THostState::Probing);
    std::this_thread::sleep_for(40ms);
    EXPECT_GE(progress.Lines()[0].ElapsedMs, 40); // running: up to now
    progress.SetState("\\\\A", THostState::Searching);
    progress.HostFinished("\\\\A");
    const int64_t final = progress.Lines()[0].ElapsedMs;
    EXPECT_GE(final, 40);
    EXPECT_LT(final, 30 + 40 + 2000);
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(progress.Lines()[0].ElapsedMs, final); // stopped at the end
}

TEST(HostProgressTest, FinishingKeepsAnEndStateAlreadySet)
{
    THostProgress progress;
    progress.SetState("\\\\A", THostState::TimedOut, "late");
    progress.HostFinished("\\\\A");
    EXPECT_EQ(progress.Lines()[0].State, THostState::TimedOut);
    EXPECT_EQ(progress.Lines()[0].Detail, "late");
}

TEST(HostProgressTest, AHostWhoseEveryShareRefusedIsAccessDeniedNamingIt)
{
    THostProgress progress;
    progress.SetState("\\\\A", THostState::Searching);
    progress.ShareReached("\\\\A", "private", false, "Permission denied");
    progress.ShareReached("\\\\A", "admin$", false, "Permission denied");
    progress.HostFinished("\\\\A");
    progress.SetState("\\\\B", THostState::Searching);
    progress.ShareReached("\\\\B", "docs", true);
    progress.ShareReached("\\\\B", "private", false, "Permission denied");
    progress.HostFinished("\\\\B");

    const auto lines = progress.Lines();
    EXPECT_EQ(lines[0].State, THostState::AccessDenied);
    EXPECT_EQ(lines[0].Detail, "private");
    ASSERT_EQ(lines[0].Shares.size(), 2u);
    EXPECT_EQ(lines[0].Shares[0].Access, "NO ACCESS");
    EXPECT_EQ(lines[0].Shares[0].Error, "Permission denied");
    EXPECT_TRUE(lines[0].Shares[0].Comment.isEmpty());
    // One share read: the host was searched; the refused share is still named.
    EXPECT_EQ(lines[1].State, THostState::Done);
    EXPECT_EQ(lines[1].Detail, "private");
    EXPECT_EQ(lines[1].Shares[0].Access, "READ");
}

TEST(HostProgressTest, ASharesRightsCommentAndErrorAreKeptApart)
{
    THostProgress progress;
    progress.SetState("\\\\A", THostState::Searching);
    progress.ShareReached("\\\\A", "drop", TShareRights::ReadWrite, "Guest drop box", {});
    progress.ShareReached("\\\\A", "docs", TShareRights::Read, "Letters", {});
    progress.ShareReached("\\\\A", "pay", TShareRights::None, "Payroll", "Permission denied");
    progress.HostFinished("\\\\A");

    const THostProgressLine line = progress.Lines()[0];
    EXPECT_EQ(line.State, THostState::Done);
    EXPECT_EQ(line.Detail, "pay");
    ASSERT_EQ(line.Shares.size(), 3u);
    EXPECT_EQ(line.Shares[0].Access, "READ/WRITE");
    EXPECT_EQ(line.Shares[0].Rights, TShareRights::ReadWrite);
    EXPECT_EQ(line.Shares[0].Comment, "Guest drop box");
    EXPECT_TRUE(line.Shares[0].Error.isEmpty());
    EXPECT_EQ(line.Shares[1].Access, "READ");
    EXPECT_EQ(line.Shares[1].Comment, "Letters");
    EXPECT_EQ(line.Shares[2].Access, "NO ACCESS");
    EXPECT_EQ(line.Shares[2].Comment, "Payroll");
    EXPECT_EQ(line.Shares[2].Error, "Permission denied");
}

TEST(HostProgressTest, AWritableShareAloneMakesTheHostSearched)
{
    THostProgress progress;
    progress.SetState("\\\\A", THostState::Searching);
    progress.ShareReached("\\\\A", "drop", TShareRights::ReadWrite, {}, {});
    progress.ShareReached("\\\\A", "admin$", TShareRights::None, {}, "Permission denied");
    progress.HostFinished("\\\\A");
    EXPECT_EQ(progress.Lines()[0].State, THostState::Done);
    EXPECT_EQ(progress.Lines()[0].Detail, "admin$");
}

TEST(HostProgressTest, AProbedAddressTakesItsNameAndKeepsItsPlace)
{
    THostProgress progress;
    progress.SetState("\\\\10.0.0.1", THostState::Probing);
    progress.SetState("\\\\10.0.0.2", THostState::Probing);
    progress.HostRenamed("\\\\10.0.0.1", "\\\\ALPHA");
    progress.HostRenamed("\\\\10.0.0.2", "\\\\ALPHA"); // taken: stays as it is
    progress.HostRenamed("\\\\MISSING", "\\\\BETA");   // unknown: nothing happens
    progress.SetState("\\\\ALPHA", THostState::Searching);
    const auto lines = progress.Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].Host, "\\\\ALPHA");
    EXPECT_EQ(lines[0].State, THostState::Searching);
    EXPECT_EQ(lines[1].Host, "\\\\10.0.0.2");
}

TEST(HostProgressTest, StateChangesNotifyHitsAndBytesDoNot)
{
    THostProgress progress;
    int notices = 0;
    progress.SetOnChange(&notices, [&] { ++notices; });
    progress.HostKnown("\\\\A");
    progress.SetState("\\\\A", THostState::Searching);
    EXPECT_EQ(notices, 2);
    progress.HitFound("\\\\A");
    progress.BytesSearched("\\\\A", 10);
    progress.ShareReached("\\\\A", "docs", true);
    EXPECT_EQ(notices, 2);
    progress.HostFinished("\\\\A");
    EXPECT_EQ(notices, 3);
    progress.SetOnChange(&notices, {});
    progress.HostKnown("\\\\B");
    EXPECT_EQ(notices, 3);
}

TEST(HostProgressTest, EveryListenerIsNotifiedUntilItLeaves)
{
    // The status panel and the Hosts view follow the same search.
    THostProgress progress;
    int panel = 0, hostsView = 0;
    progress.SetOnChange(&panel, [&] { ++panel; });
    progress.SetOnChange(&hostsView, [&] { ++hostsView; });
    progress.HostKnown("\\\\A");
    EXPECT_EQ(panel, 1);
    EXPECT_EQ(hostsView, 1);
    // A listener's new handler replaces only its own.
    progress.SetOnChange(&hostsView, [&] { hostsView += 10; });
    progress.SetState("\\\\A", THostState::Searching);
    EXPECT_EQ(panel, 2);
    EXPECT_EQ(hostsView, 11);
    // The Hosts view closes: the panel still hears of the end.
    progress.SetOnChange(&hostsView, {});
    progress.HostFinished("\\\\A");
    EXPECT_EQ(panel, 3);
    EXPECT_EQ(hostsView, 11);
}

TEST(HostProgressTest, ReportsFromManyThreadsAllCount)
{
    THostProgress progress;
    std::atomic<int> notices{0};
    progress.SetOnChange(&notices, [&] { ++notices; });
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&progress, t] {
            const QString host = QStringLiteral("\\\\H%1").arg(t);
            progress.SetState(host, THostState::Searching);
            for (int i = 0; i < 1000; ++i) {
                progress.HitFound(host);
                progress.BytesSearched(host, 3);
                if (i % 100 == 0)
                    (void)progress.Summary();
            }
            progress.HostFinished(host);
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    const TProgressSummary summary = progress.Summary();
    EXPECT_EQ(summary.HostsKnown, 4);
    EXPECT_EQ(summary.HostsDone, 4);
    EXPECT_EQ(summary.Hits, 4000);
    EXPECT_EQ(summary.BytesSearched, 12000);
    EXPECT_EQ(notices.load(), 8);
}

TEST(HostProgressTest, ListingErrorsNameTheirEndState)
{
    EXPECT_EQ(ShareListFailureState(0), THostState::Done);
    EXPECT_EQ(ShareListFailureState(ETIMEDOUT), THostState::TimedOut);
    EXPECT_EQ(ShareListFailureState(EACCES), THostState::AccessDenied);
    EXPECT_EQ(ShareListFailureState(EHOSTUNREACH), THostState::NoAnswer);
    EXPECT_EQ(ShareListFailureState(ECONNREFUSED), THostState::NoSmb);
    EXPECT_EQ(HostStateText(THostState::NoSmb), "no SMB");
    EXPECT_EQ(HostStateText(THostState::ListingShares), "listing shares");
    EXPECT_FALSE(HostStateIsFinal(THostState::Searching));
    EXPECT_TRUE(HostStateIsFinal(THostState::NoAnswer));
}

TEST(HostProgressTest, TheCountingSourceReportsWhatEachReadReturned)
{
    MemoryByteSource inner(QByteArray(2500, 'x'));
    std::vector<int64_t> counted;
    TCountingByteSource source(inner, [&](int64_t bytes) { counted.push_back(bytes); });
    char buffer[1000];
    EXPECT_EQ(source.size(), 2500);
    EXPECT_EQ(source.read(0, buffer, 1000), 1000);
    EXPECT_EQ(source.read(2000, buffer, 1000), 500);
    EXPECT_EQ(source.read(2500, buffer, 1000), 0);
    EXPECT_EQ(counted, std::vector<int64_t>({1000, 500}));
}

// The worker reports its host's steps into its session's tracker.
class WorkerProgressTest : public ::testing::Test {
protected:
    void RunWorker(const QString& host)
    {
        TSearchServices services;
        services.Dispatcher = &dispatcher;
        services.ShareClients = &factory;
        services.Session = session;
        services.Hits = &sink;
        services.Errors = &errors;
        auto* worker = new TWorkerThread(host, config, services);
        bool ended = false;
        worker->FreeOnTerminate = true;
        worker->OnTerminate = [&](TEngineThread&) { ended = true; };
        worker->Start();
        ASSERT_TRUE(dispatcher.pumpUntil([&] { return ended; }, 60s));
        ASSERT_TRUE(TEngineThread::WaitForAllEnded(60s));
    }
    const THostProgressLine& line(const QString& host)
    {
        lines = session->Progress().Lines();
        const THostProgressLine* found = LineOf(lines, host);
        if (!found)
            throw std::runtime_error("host not tracked");
        return *found;
    }

    std::shared_ptr<TSearchSession> session = std::make_shared<TSearchSession>();
    PumpDispatcher dispatcher;
    FakeShareNetwork net;
    FakeShareClientFactory factory{net};
    TItemList items;
    TItemListHitSink sink{items};
    StdErrErrorReporter errors{false};
    TThreadConfig config;
    std::vector<THostProgressLine> lines;
};

TEST_F(WorkerProgressTest, ASearchedHostIsDoneWithItsHitsSharesAndContentBytes)
{
    config.FileMasks = "*";
    config.FtpSearchMode = TFtpMode::SharesOnly;
    config.EnableTextSearch = true;
    config.SearchText = "needle";
    net.addShare("\\\\HOST", "docs");
    net.addShare("\\\\HOST", "locked");
    net.addFile("\\\\HOST\\docs\\a.txt", "a needle here");
    net.addFile("\\\\HOST\\docs\\b.txt", "nothing");
    net.failList("\\\\HOST\\locked", EACCES, "Permission denied");
    RunWorker("\\\\HOST");

    const THostProgressLine& host = line("\\\\HOST");
    EXPECT_EQ(host.State, THostState::Done);
    EXPECT_EQ(host.Hits, 1);
    EXPECT_EQ(host.BytesSearched, QByteArray("a needle here").size() + QByteArray("nothing").size());
    ASSERT_EQ(host.Shares.size(), 2u);
    EXPECT_EQ(host.Shares[0].Name, "docs");
    EXPECT_EQ(host.Shares[0].Access, "READ");
    EXPECT_EQ(host.Shares[1].Name, "locked");
    EXPECT_EQ(host.Shares[1].Access, "NO ACCESS");
    EXPECT_EQ(host.Detail, "locked");
}

TEST_F(WorkerProgressTest, ListingFailuresEndInTheirOwnStates)
{
    config.FtpSearchMode = TFtpMode::SharesOnly;
    net.failShareList("\\\\HUNG", ETIMEDOUT, "The SMB agent did not answer within 30 s");
    net.failShareList("\\\\REFUSING", ECONNREFUSED, "Connection refused");
    RunWorker("\\\\HUNG");
    RunWorker("\\\\REFUSING");
    EXPECT_EQ(line("\\\\HUNG").State, THostState::TimedOut);
    EXPECT_EQ(line("\\\\HUNG").Detail, "The SMB agent did not answer within 30 s");
    EXPECT_EQ(line("\\\\REFUSING").State, THostState::NoSmb);
    EXPECT_EQ(session->Progress().Summary().Errors, 2);
}

} // namespace
