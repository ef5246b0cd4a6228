#include "engine/SearchSignal.h"

#include "engine/JobQueue.h"
#include "engine/SearchSession.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using namespace std::chrono_literals;

namespace {

TEST(SearchSignalTest, NotificationBetweenTestAndWaitIsNotLost)
{
    TSearchSignal signal;
    const uint64_t seen = signal.Generation();
    signal.Notify(); // happens after the waiter looked, before it waits
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(signal.WaitChange(seen, 60s));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
}

TEST(SearchSignalTest, WaitChangeTimesOutWithoutNotification)
{
    TSearchSignal signal;
    EXPECT_FALSE(signal.WaitChange(signal.Generation(), 20ms));
}

TEST(SearchSignalTest, WaitUntilWakesOnNotifyLongBeforeItsPollInterval)
{
    TSearchSignal signal;
    std::atomic<bool> ready{false};
    std::thread other([&] {
        std::this_thread::sleep_for(20ms);
        ready = true;
        signal.Notify();
    });
    // A poll interval this long would make the test hang if the notification were missed.
    signal.WaitUntil([&] { return ready.load(); }, 3600s);
    other.join();
    EXPECT_TRUE(ready.load());
}

TEST(SearchSignalTest, RequestStopSetsTheSessionsTokenAndWakes)
{
    TSearchSession session;
    const std::stop_token token = session.StopToken();
    const uint64_t seen = session.Signal().Generation();
    EXPECT_FALSE(token.stop_requested());
    session.RequestStop();
    EXPECT_TRUE(session.StopRequested());
    EXPECT_TRUE(token.stop_requested());
    EXPECT_NE(session.Signal().Generation(), seen);
}

TEST(JobQueueTest, NamesComeOutInOrderAndEnqueueWakes)
{
    TSearchSignal signal;
    TJobQueue queue(signal);
    const uint64_t seen = signal.Generation();
    queue.EnqueueName("\\\\A");
    queue.EnqueueName("\\\\B");
    EXPECT_NE(signal.Generation(), seen);
    QString name = "x";
    ASSERT_TRUE(queue.TryDequeue(name));
    EXPECT_EQ(name, "\\\\A");
    ASSERT_TRUE(queue.TryDequeue(name));
    EXPECT_EQ(name, "\\\\B");
    EXPECT_FALSE(queue.TryDequeue(name));
    EXPECT_TRUE(name.isEmpty());
}

TEST(JobQueueTest, ClearDiscardsEverything)
{
    TSearchSignal signal;
    TJobQueue queue(signal);
    queue.EnqueueName("\\\\A");
    queue.EnqueueName(kQueueEndMarker);
    EXPECT_EQ(queue.PendingCount(), 2);
    queue.ClearNames();
    EXPECT_EQ(queue.PendingCount(), 0);
}

} // namespace
