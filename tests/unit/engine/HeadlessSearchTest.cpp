#include "engine/HeadlessSearch.h"

#include "engine/SearchSession.h"
#include "model/Error.h"
#include "support/QStringPrinter.h"
#include "support/engine/FakeShareNetwork.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>

namespace {

class HeadlessSearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const QString host : {"\\\\H1", "\\\\H2"}) {
            net.addShare(host, "pub");
            for (int i = 0; i < 5; ++i)
                net.addFile(host + QString("\\pub\\dir%1\\report%1.doc").arg(i));
            net.addFile(host + "\\pub\\notes.txt");
        }
        services.ShareClients = &factory;
        config.SearchMethod = TSearchType::SpecifiedComputers;
        config.ResList = "\\\\H1,\\\\H2";
        config.FileMasks = "*.doc";
    }

    std::vector<QString> Names(const TItemList& items)
    {
        std::vector<QString> names;
        for (const auto& item : items)
            names.push_back(item.FileName);
        return names;
    }

    PumpDispatcher dispatcher;
    FakeShareNetwork net;
    FakeShareClientFactory factory{net};
    TSearchServices services;
    TThreadConfig config;
    TScopeRoot root;
};

TEST_F(HeadlessSearchTest, OneWorkerAtATimeGivesHostsInQueueOrder)
{
    config.MaxThreads = 1;
    THeadlessSearch search(dispatcher, services);
    const auto result = search.Run(config, root);
    ASSERT_EQ(result.Items.size(), 10);
    EXPECT_EQ(result.Items[0].FileName, "\\\\H1\\pub\\dir0\\report0.doc");
    EXPECT_EQ(result.Items[5].FileName, "\\\\H2\\pub\\dir0\\report0.doc");
    EXPECT_FALSE(result.Stopped);
    EXPECT_TRUE(result.Errors.empty());
    EXPECT_EQ(result.Log.back().Text, "Search finished.");
    ASSERT_TRUE(search.Session());
    EXPECT_EQ(search.Session()->Workers().ThreadCount(), 0);
    EXPECT_EQ(TEngineThread::LiveCount(), 0);
}

TEST_F(HeadlessSearchTest, ParallelWorkersLoseNoHit)
{
    for (int h = 3; h <= 12; ++h) {
        const QString host = QString("\\\\H%1").arg(h);
        net.addShare(host, "pub");
        for (int i = 0; i < 20; ++i)
            net.addFile(host + QString("\\pub\\f%1.doc").arg(i));
        config.ResList += "," + host;
    }
    config.MaxThreads = 4;
    THeadlessSearch search(dispatcher, services);
    int seen = 0;
    search.OnHit = [&](const TItemRecord&) { ++seen; };
    const auto result = search.Run(config, root);
    EXPECT_EQ(result.Items.size(), 10 + 10 * 20);
    EXPECT_EQ(seen, result.Items.size());
    // Each host's own hits keep the order its walk found them in.
    int lastOfH3 = -1;
    for (int i = 0; i < result.Items.size(); ++i) {
        if (result.Items[i].FileName.startsWith("\\\\H3\\")) {
            const int index = result.Items[i].FileName.section("\\f", 1).section('.', 0, 0).toInt();
            EXPECT_EQ(index, lastOfH3 + 1);
            lastOfH3 = index;
        }
    }
    EXPECT_EQ(lastOfH3, 19);
}

TEST_F(HeadlessSearchTest, StopCallbackEndsTheSearchEarly)
{
    config.MaxThreads = 1;
    THeadlessSearch search(dispatcher, services);
    int hits = 0;
    search.OnHit = [&](const TItemRecord&) { ++hits; };
    search.StopWhen = [&] { return hits >= 1; };
    const auto result = search.Run(config, root);
    EXPECT_TRUE(result.Stopped);
    EXPECT_LT(result.Items.size(), 10);
    EXPECT_EQ(result.Log.back().Text, "Search finished.");
    EXPECT_EQ(search.Session()->Jobs().PendingCount(), 0);
}

TEST_F(HeadlessSearchTest, StopFromAnotherThreadIsHonoured)
{
    config.MaxThreads = 1;
    THeadlessSearch search(dispatcher, services);
    std::atomic<bool> firstHit{false};
    search.OnHit = [&](const TItemRecord&) { firstHit = true; };
    // Holds the walk until the stop has been requested.
    std::atomic<bool> stopRequested{false};
    net.onListFolder([&](const QString& folder) {
        if (folder.endsWith("dir1"))
            while (!stopRequested.load())
                std::this_thread::yield();
    });
    std::thread stopper([&] {
        while (!firstHit.load())
            std::this_thread::yield();
        search.Stop();
        while (!search.Session()->StopRequested())
            std::this_thread::yield();
        stopRequested = true;
    });
    const auto result = search.Run(config, root);
    stopper.join();
    EXPECT_TRUE(result.Stopped);
    EXPECT_LT(result.Items.size(), 10);
}

TEST_F(HeadlessSearchTest, AnotherRunStartsFresh)
{
    THeadlessSearch search(dispatcher, services);
    search.StopWhen = [] { return true; };
    search.Run(config, root);
    const std::shared_ptr<TSearchSession> first = search.Session();
    EXPECT_TRUE(first->StopRequested());
    search.StopWhen = nullptr;
    const auto result = search.Run(config, root);
    EXPECT_FALSE(result.Stopped);
    EXPECT_EQ(result.Items.size(), 10);
    EXPECT_EQ(result.Log.front().Text,
              "Search started in mode 'Specified Computers' with root '\\\\H1, \\\\H2'.");
}

class WaitingThread : public TEngineThread {
public:
    using TEngineThread::TEngineThread;
    std::atomic<bool> release{false};

protected:
    void Execute() override
    {
        while (!release.load())
            std::this_thread::yield();
    }
};

TEST_F(HeadlessSearchTest, RefusesToStartWhileEngineThreadsOfAnotherSearchRun)
{
    WaitingThread leftOver(dispatcher);
    leftOver.Start();
    THeadlessSearch search(dispatcher, services);
    EXPECT_THROW(search.Run(config, root), EKestrovaError);
    leftOver.release = true;
    leftOver.WaitFor();
    EXPECT_EQ(search.Run(config, root).Items.size(), 10);
}

} // namespace
