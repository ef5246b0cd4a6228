#include "engine/DequeueThread.h"

#include "engine/PumpDispatcher.h"
#include "engine/SearchSession.h"
#include "support/QStringPrinter.h"
#include "support/engine/GatedWorker.h"

#include <chrono>
#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

class DequeueThreadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        services.Dispatcher = &dispatcher;
        services.Session = session;
    }
    void TearDown() override
    {
        gate.open();
        dispatcher.pumpUntil([] { return TEngineThread::LiveCount() == 0; }, 60s);
    }

    void Queue(std::initializer_list<QString> names)
    {
        for (const QString& name : names)
            session->Jobs().EnqueueName(name);
    }

    void Start(int maxThreads)
    {
        config.MaxThreads = maxThreads;
        dequeue = std::make_unique<TDequeueThread>(config, services);
        dequeue->CreateWorker = gate.factory();
        dequeue->Start();
    }

    // Pumps the main thread (which unregisters ended workers) until the consumer ends.
    void Finish()
    {
        ASSERT_TRUE(dispatcher.pumpUntil([&] { return dequeue->Finished(); }, 60s));
        dequeue->WaitFor();
        EXPECT_EQ(session->Workers().ThreadCount(), 0);
        ASSERT_TRUE(dispatcher.pumpUntil([] { return TEngineThread::LiveCount() == 0; }, 60s));
        EXPECT_EQ(gate.registrationFaults(), 0);
    }

    bool PumpUntilStarted(size_t count)
    {
        return dispatcher.pumpUntil([&] { return gate.started().size() >= count; }, 60s);
    }

    PumpDispatcher dispatcher;
    std::shared_ptr<TSearchSession> session = std::make_shared<TSearchSession>();
    TSearchServices services;
    TThreadConfig config;
    WorkerGate gate{false};
    std::unique_ptr<TDequeueThread> dequeue;
};

TEST_F(DequeueThreadTest, OneSlotRunsTheWorkersOneAfterAnother)
{
    gate.open();
    Queue({"\\\\A", "\\\\B", "\\\\C", kQueueEndMarker});
    Start(1);
    Finish();
    EXPECT_EQ(gate.started(), std::vector<QString>({"\\\\A", "\\\\B", "\\\\C"}));
    EXPECT_EQ(gate.maxRunning(), 1);
}

TEST_F(DequeueThreadTest, EndMarkerWaitsForAFreeSlotBehindTheNamesBeforeIt)
{
    Queue({"\\\\A", "\\\\B", "\\\\C", kQueueEndMarker});
    Start(2);
    ASSERT_TRUE(PumpUntilStarted(2));
    dispatcher.pumpUntil([] { return false; }, 50ms);
    EXPECT_EQ(gate.started(), std::vector<QString>({"\\\\A", "\\\\B"}));
    EXPECT_FALSE(dequeue->Finished());

    gate.release("\\\\A");
    ASSERT_TRUE(PumpUntilStarted(3));
    EXPECT_EQ(gate.started().back(), "\\\\C");
    EXPECT_FALSE(dequeue->Finished()); // B and C still run
    gate.open();
    Finish();
    EXPECT_EQ(gate.maxRunning(), 2);
    EXPECT_EQ(session->Jobs().PendingCount(), 0);
}

TEST_F(DequeueThreadTest, StopStartsNoFurtherWorkersButWaitsForTheRunningOnes)
{
    Queue({"\\\\A", "\\\\B", "\\\\C"});
    Start(1);
    ASSERT_TRUE(PumpUntilStarted(1));
    session->RequestStop();
    dispatcher.pumpUntil([] { return false; }, 50ms);
    EXPECT_FALSE(dequeue->Finished()); // A still runs
    gate.release("\\\\A");
    Finish();
    EXPECT_EQ(gate.started(), std::vector<QString>({"\\\\A"}));
    EXPECT_EQ(session->Jobs().PendingCount(), 2); // discarded later by the queue thread
}

TEST_F(DequeueThreadTest, EmptyScopeEndsWithoutWorkers)
{
    Queue({kQueueEndMarker});
    Start(10);
    Finish();
    EXPECT_TRUE(gate.started().empty());
}

TEST_F(DequeueThreadTest, NamesQueuedWhileItWaitsAreTakenInOrder)
{
    gate.open();
    Start(10);
    Queue({"\\\\A"});
    ASSERT_TRUE(PumpUntilStarted(1));
    Queue({"\\\\B", "\\\\C", kQueueEndMarker});
    Finish();
    EXPECT_EQ(gate.started(), std::vector<QString>({"\\\\A", "\\\\B", "\\\\C"}));
}

TEST_F(DequeueThreadTest, LimitBelowOneStillTakesTheMarker)
{
    gate.open();
    Queue({"\\\\A", kQueueEndMarker});
    Start(0);
    Finish();
    EXPECT_EQ(gate.started(), std::vector<QString>({"\\\\A"}));
}

} // namespace
