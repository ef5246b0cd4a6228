#include "engine/HitDelivery.h"

#include "engine/EngineErrorReporter.h"
#include "engine/HitIconProvider.h"
#include "engine/HitSink.h"
#include "engine/PendingHits.h"
#include "engine/PumpDispatcher.h"
#include "engine/QueueThread.h"
#include "engine/SearchSession.h"
#include "engine/WorkerThread.h"
#include "support/QStringPrinter.h"

#include <atomic>
#include <chrono>
#include <future>
#include <gtest/gtest.h>
#include <map>
#include <thread>

using namespace std::chrono_literals;

namespace {

// A worker that finds `count` hits named HOST\n in order, as fast as it can, and
// stops early on the search's stop like a walk.
class ProducingWorker : public TWorkerThread {
public:
    ProducingWorker(const QString& host, const TThreadConfig& config, const TSearchServices& services,
                    int count)
        : TWorkerThread(host, config, services), m_count(count)
    {
    }

protected:
    void Execute() override
    {
        for (int i = 0; i < m_count && !StopToken().stop_requested(); ++i)
            DeliverHit(MakeItemRecord(Host() + u'\\' + QString::number(i), 0x20, 5, 0, i));
    }

private:
    const int m_count;
};

// Records the thread the icons are asked on and how many hits were appended by then.
class CheckingSink : public HitSink, public HitIconProvider {
public:
    void AppendHits(const std::vector<TItemRecord>& hits) override
    {
        ++batches;
        for (const TItemRecord& hit : hits) {
            if (hit.ImageIndex != static_cast<int32_t>(items.size() % 3))
                ++iconFaults;
            items.append(hit);
        }
    }
    int32_t IconIndex(const THitIconRequest&) override
    {
        if (std::this_thread::get_id() != mainThread)
            ++iconFaults;
        return static_cast<int32_t>(asked++ % 3);
    }

    const std::thread::id mainThread = std::this_thread::get_id();
    TItemList items;
    int batches = 0;
    int iconFaults = 0; // asked off the main thread, or the index not set before the append
    size_t asked = 0;
};

class HitDeliveryTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        ASSERT_TRUE(dispatcher.pumpUntil([] { return TEngineThread::LiveCount() == 0; }, 60s));
    }

    TSearchServices Services()
    {
        TSearchServices services;
        services.Session = session;
        services.Dispatcher = &dispatcher;
        services.Hits = &sink;
        services.Icons = &sink;
        services.Errors = &errors;
        return services;
    }

    PumpDispatcher dispatcher;
    std::shared_ptr<TSearchSession> session = std::make_shared<TSearchSession>();
    CheckingSink sink;
    StdErrErrorReporter errors{false};
};

TEST_F(HitDeliveryTest, ManyHitsOfSeveralWorkersArriveCompleteInEachWorkersOrderBeforeTheEnd)
{
    constexpr int kWorkers = 4;
    constexpr int kHitsEach = 15000; // together well past the pending limit
    TThreadConfig config;
    config.SearchMethod = TSearchType::SpecifiedComputers;
    config.ResList = "\\\\W1,\\\\W2,\\\\W3,\\\\W4";
    config.MaxThreads = kWorkers;
    bool ended = false;
    qsizetype hitsAtEnd = -1;
    auto* queue = new TQueueThread(config, Services());
    queue->CreateWorker = [](const QString& host, const TThreadConfig& workerConfig,
                             const TSearchServices& services) {
        return new ProducingWorker(host, workerConfig, services, kHitsEach);
    };
    queue->FreeOnTerminate = true;
    // Only the engine's own hand-over runs before this: no extra drain here.
    queue->OnTerminate = [&](TEngineThread&) {
        hitsAtEnd = sink.items.size();
        ended = true;
    };
    queue->Start();
    ASSERT_TRUE(dispatcher.pumpUntil([&] { return ended; }, 120s));

    EXPECT_EQ(hitsAtEnd, kWorkers * kHitsEach);
    ASSERT_EQ(sink.items.size(), kWorkers * kHitsEach);
    std::map<QString, int> next;
    int orderFaults = 0;
    for (const TItemRecord& hit : sink.items) {
        const qsizetype cut = hit.FileName.lastIndexOf(u'\\');
        const QString host = hit.FileName.left(cut);
        if (hit.FileName.mid(cut + 1).toInt() != next[host]++)
            ++orderFaults;
    }
    EXPECT_EQ(orderFaults, 0);
    EXPECT_EQ(next.size(), static_cast<size_t>(kWorkers));
    EXPECT_EQ(sink.iconFaults, 0);
    // Batches, not one hand-over per hit.
    EXPECT_LT(sink.batches, kWorkers * kHitsEach);
    EXPECT_EQ(session->PendingHits().Count(), 0u);
}

TEST_F(HitDeliveryTest, AWorkerBlockedOnAFullPendingListEndsOnStop)
{
    bool ended = false;
    TThreadConfig config;
    auto* worker = new ProducingWorker("\\\\FULL", config, Services(), 50000);
    worker->FreeOnTerminate = true;
    worker->OnTerminate = [&](TEngineThread&) { ended = true; };
    worker->Start();
    // The main thread takes nothing: the worker fills the list and waits.
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (session->PendingHits().Count() < TPendingHits::kMaxPending &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    ASSERT_EQ(session->PendingHits().Count(), TPendingHits::kMaxPending);
    std::this_thread::sleep_for(TPendingHits::kFullWait * 2);
    EXPECT_EQ(session->PendingHits().Count(), TPendingHits::kMaxPending);
    EXPECT_TRUE(sink.items.isEmpty());

    const auto stopped = std::chrono::steady_clock::now();
    session->RequestStop();
    ASSERT_TRUE(dispatcher.pumpUntil([&] { return ended; }, 60s));
    EXPECT_LT(std::chrono::steady_clock::now() - stopped, 5s);
    // The hit it held when the stop came is not lost; nothing after it is searched.
    EXPECT_EQ(sink.items.size(), static_cast<qsizetype>(TPendingHits::kMaxPending + 1));
    EXPECT_EQ(session->PendingHits().Count(), 0u);
}

TEST(PendingHitsTest, AWaitOnAFullListEndsWhenTheMainThreadTakesTheHits)
{
    TPendingHits pending;
    std::stop_source stop;
    EXPECT_TRUE(pending.Append(MakeItemRecord("\\\\H\\s\\0", 0x20, -1, 0, 0), stop.get_token()));
    for (size_t i = 1; i < TPendingHits::kMaxPending; ++i)
        EXPECT_FALSE(pending.Append(MakeItemRecord("\\\\H\\s\\x", 0x20, -1, 0, 0), stop.get_token()));
    auto blocked = std::async(std::launch::async, [&] {
        return pending.Append(MakeItemRecord("\\\\H\\s\\last", 0x20, -1, 0, 0), stop.get_token());
    });
    EXPECT_EQ(blocked.wait_for(150ms), std::future_status::timeout);

    const std::vector<TItemRecord> taken = pending.TakeAll();
    ASSERT_EQ(taken.size(), TPendingHits::kMaxPending);
    EXPECT_EQ(taken.front().FileName, "\\\\H\\s\\0");
    ASSERT_EQ(blocked.wait_for(10s), std::future_status::ready);
    // It found the list empty again: the caller posts a new wake-up.
    EXPECT_TRUE(blocked.get());
    EXPECT_EQ(pending.TakeAll().front().FileName, "\\\\H\\s\\last");
}

TEST_F(HitDeliveryTest, OneWakeUpTakesEveryHitQueuedBeforeItRuns)
{
    const TSearchServices services = Services();
    std::thread worker([&] {
        for (int i = 0; i < 3; ++i)
            QueueHit(services, MakeItemRecord(QString("\\\\H\\s\\%1").arg(i), 0x20, 9, 0, i));
    });
    worker.join();

    EXPECT_EQ(dispatcher.pumpPending(), 1);
    ASSERT_EQ(sink.items.size(), 3);
    EXPECT_EQ(sink.batches, 1);
    EXPECT_EQ(sink.items[2].FileName, "\\\\H\\s\\2");
    EXPECT_EQ(sink.iconFaults, 0);
    // Nothing pending: a drain hands nothing to the sink.
    DeliverPendingHits(services);
    EXPECT_EQ(sink.batches, 1);
}

TEST_F(HitDeliveryTest, ABatchIsQueuedInOrderWithOneWakeUpAndLeftEmpty)
{
    const TSearchServices services = Services();
    std::vector<TItemRecord> batch;
    for (int i = 0; i < 3; ++i)
        batch.push_back(MakeItemRecord(QString("\\\\H\\s\\%1").arg(i), 0x20, 9, 0, i));
    std::vector<TItemRecord> second = {MakeItemRecord("\\\\H\\s\\3", 0x20, 9, 0, 3)};
    std::thread worker([&] {
        QueueHits(services, batch);
        QueueHits(services, second); // joins the hits the first wake-up takes
    });
    worker.join();
    EXPECT_TRUE(batch.empty());
    EXPECT_TRUE(second.empty());

    EXPECT_EQ(dispatcher.pumpPending(), 1);
    ASSERT_EQ(sink.items.size(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(sink.items[i].FileName, QString("\\\\H\\s\\%1").arg(i));
    EXPECT_EQ(sink.iconFaults, 0); // each index set by the provider, not the worker's 9
    // An empty batch wakes nobody.
    std::vector<TItemRecord> none;
    QueueHits(services, none);
    EXPECT_EQ(dispatcher.pumpPending(), 0);
}

TEST(PendingHitsTest, ABatchJoinsTheListInOrderAndSaysWhenItFoundItEmpty)
{
    TPendingHits pending;
    std::stop_source stop;
    std::vector<TItemRecord> none;
    EXPECT_FALSE(pending.Append(none, stop.get_token()));
    EXPECT_EQ(pending.Count(), 0u);

    std::vector<TItemRecord> first = {MakeItemRecord("\\\\H\\s\\a", 0x20, -1, 0, 0),
                                      MakeItemRecord("\\\\H\\s\\b", 0x20, -1, 0, 0)};
    EXPECT_TRUE(pending.Append(first, stop.get_token()));
    EXPECT_FALSE(pending.Append(MakeItemRecord("\\\\H\\s\\c", 0x20, -1, 0, 0), stop.get_token()));
    std::vector<TItemRecord> second = {MakeItemRecord("\\\\H\\s\\d", 0x20, -1, 0, 0)};
    EXPECT_FALSE(pending.Append(second, stop.get_token()));
    EXPECT_TRUE(first.empty());
    EXPECT_TRUE(second.empty());

    const std::vector<TItemRecord> taken = pending.TakeAll();
    ASSERT_EQ(taken.size(), 4u);
    EXPECT_EQ(taken[0].FileName, "\\\\H\\s\\a");
    EXPECT_EQ(taken[1].FileName, "\\\\H\\s\\b");
    EXPECT_EQ(taken[2].FileName, "\\\\H\\s\\c");
    EXPECT_EQ(taken[3].FileName, "\\\\H\\s\\d");
}

TEST(PendingHitsTest, ABatchWaitsOnAFullListUntilTheHitsAreTakenOrTheStop)
{
    TPendingHits pending;
    std::stop_source stop;
    std::vector<TItemRecord> fill(TPendingHits::kMaxPending, MakeItemRecord("\\\\H\\s\\x", 0x20, -1, 0, 0));
    EXPECT_TRUE(pending.Append(fill, stop.get_token()));
    auto blocked = std::async(std::launch::async, [&] {
        std::vector<TItemRecord> batch(2, MakeItemRecord("\\\\H\\s\\late", 0x20, -1, 0, 0));
        return pending.Append(batch, stop.get_token());
    });
    EXPECT_EQ(blocked.wait_for(150ms), std::future_status::timeout);
    stop.request_stop();
    ASSERT_EQ(blocked.wait_for(10s), std::future_status::ready);
    EXPECT_FALSE(blocked.get());
    // Appended all the same: nothing found before the stop is lost.
    EXPECT_EQ(pending.Count(), TPendingHits::kMaxPending + 2);
}

} // namespace
