#include "engine/SearchSession.h"

#include "engine/EngineErrorReporter.h"
#include "engine/HitSink.h"
#include "engine/PumpDispatcher.h"
#include "engine/QueueThread.h"
#include "support/QStringPrinter.h"
#include "support/engine/FakeShareNetwork.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using namespace std::chrono_literals;

namespace {

QStringList Texts(TSearchSession& session)
{
    QStringList texts;
    for (const TSearchLogEntry& entry : session.Log().Snapshot())
        texts.append(entry.Text);
    return texts;
}

// One search started by hand, so that two can run at once on one main thread.
struct StartedSearch {
    StartedSearch(PumpDispatcher& dispatcher, ShareClientFactory& clients, const QString& host)
    {
        TThreadConfig config;
        config.SearchMethod = TSearchType::SpecifiedComputers;
        config.ResList = host;
        config.FileMasks = "*.doc";
        TSearchServices services;
        services.Session = session;
        services.Dispatcher = &dispatcher;
        services.ShareClients = &clients;
        services.Hits = &hits;
        services.Errors = &errors;
        auto* queue = new TQueueThread(config, services);
        queue->FreeOnTerminate = true;
        queue->OnTerminate = [this](TEngineThread&) { finished = true; };
        queue->Start();
    }

    std::shared_ptr<TSearchSession> session = std::make_shared<TSearchSession>();
    TItemList items;
    TItemListHitSink hits{items};
    StdErrErrorReporter errors{false};
    bool finished = false;
};

class SearchSessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const QString host : {"\\\\H1", "\\\\H2"}) {
            net.addShare(host, "pub");
            for (int i = 0; i < 5; ++i)
                net.addFile(host + QString("\\pub\\report%1.doc").arg(i));
        }
    }
    void TearDown() override
    {
        holdFirst = false;
        ASSERT_TRUE(dispatcher.pumpUntil([] { return TEngineThread::LiveCount() == 0; }, 60s));
    }

    PumpDispatcher dispatcher;
    FakeShareNetwork net;
    FakeShareClientFactory clients{net};
    std::atomic<bool> holdFirst{true};
};

TEST_F(SearchSessionTest, TwoSearchesSideBySideKeepTheirStopLogAndQueueApart)
{
    // The first search's walk waits in its share's listing until released.
    std::atomic<bool> firstWalking{false};
    net.onListFolder([&](const QString& folder) {
        if (!folder.startsWith("\\\\H1"))
            return;
        firstWalking = true;
        while (holdFirst.load())
            std::this_thread::yield();
    });
    StartedSearch first(dispatcher, clients, "\\\\H1");
    StartedSearch second(dispatcher, clients, "\\\\H2");

    ASSERT_TRUE(dispatcher.pumpUntil([&] { return second.finished && firstWalking.load(); }, 60s));
    EXPECT_FALSE(first.finished);
    EXPECT_EQ(second.items.size(), 5);
    // Stopping the first search leaves the second one's stop untouched.
    first.session->RequestStop();
    EXPECT_TRUE(first.session->StopToken().stop_requested());
    EXPECT_FALSE(second.session->StopRequested());
    holdFirst = false;
    ASSERT_TRUE(dispatcher.pumpUntil([&] { return first.finished; }, 60s));
    ASSERT_TRUE(dispatcher.pumpUntil([] { return TEngineThread::LiveCount() == 0; }, 60s));

    // The stop came before the first search's walk took its first entry.
    EXPECT_TRUE(first.items.isEmpty());
    const QStringList firstLog = Texts(*first.session);
    const QStringList secondLog = Texts(*second.session);
    EXPECT_TRUE(firstLog.contains("Computer \\\\H1 enqueued.")) << firstLog.join("\n").toStdString();
    EXPECT_FALSE(firstLog.contains("Computer \\\\H2 enqueued."));
    EXPECT_TRUE(secondLog.contains("Computer \\\\H2 enqueued."));
    EXPECT_FALSE(secondLog.contains("Computer \\\\H1 enqueued."));
    EXPECT_FALSE(secondLog.contains("Searching \\\\H1\\pub..."));
    EXPECT_EQ(firstLog.count("Search finished."), 1);
    EXPECT_EQ(secondLog.count("Search finished."), 1);
    EXPECT_EQ(first.session->Jobs().PendingCount(), 0);
    EXPECT_EQ(second.session->Jobs().PendingCount(), 0);
    EXPECT_EQ(first.session->Workers().ThreadCount(), 0);
    EXPECT_EQ(second.session->Workers().ThreadCount(), 0);
}

TEST_F(SearchSessionTest, LogStaysReadableAfterTheSearchEndedAndANewSessionStartsEmpty)
{
    holdFirst = false;
    std::shared_ptr<TEngineSearchLog> kept;
    {
        StartedSearch search(dispatcher, clients, "\\\\H1");
        ASSERT_TRUE(dispatcher.pumpUntil([&] { return search.finished; }, 60s));
        ASSERT_TRUE(dispatcher.pumpUntil([] { return TEngineThread::LiveCount() == 0; }, 60s));
        kept = SessionLog(search.session);
    }
    ASSERT_TRUE(kept);
    EXPECT_FALSE(kept->Snapshot().empty());
    EXPECT_EQ(kept->Snapshot().back().Text, "Search finished.");
    TSearchSession next;
    EXPECT_EQ(next.Log().Count(), 0);
    EXPECT_FALSE(SessionLog(nullptr));
    EXPECT_FALSE(SessionWorkers(nullptr));
}

TEST_F(SearchSessionTest, SessionKeepsTheCopiesItWasMadeWith)
{
    TScopeRoot root;
    TNetResource domain;
    domain.RemoteName = "WORKGROUP";
    AssignScopeRoot(root, &domain);
    TDiscoveryOptions options;
    options.TimeOut = 250;
    options.Methods = TDiscoveryMethod::NetBios | TDiscoveryMethod::ARP;
    TSearchSession session(root, options, {{"\\\\H1", "alice", "secret"}});
    AssignScopeRoot(root, nullptr);
    options.TimeOut = 1;
    EXPECT_TRUE(session.Root().Assigned);
    EXPECT_EQ(session.Root().Resource.RemoteName, "WORKGROUP");
    EXPECT_EQ(session.Discovery().TimeOut, 250);
    EXPECT_FALSE(session.Discovery().Methods.Contains(TDiscoveryMethod::ICMP));
    EXPECT_TRUE(session.Discovery().Methods.Contains(TDiscoveryMethod::ARP));
    EXPECT_EQ(session.Discovery().Methods.Bits(), 6);
    ASSERT_EQ(session.Accounts().size(), 1u);
}

} // namespace
