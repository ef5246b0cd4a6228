#include "engine/SearchLog.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <vector>

namespace {

TEST(SearchLogTest, FlagsFollowAddAndClear)
{
    TEngineSearchLog log;
    EXPECT_FALSE(log.Changed);
    EXPECT_FALSE(log.Rebuild);
    log.AddEntry(lkScope, "Opening \\\\WG...");
    EXPECT_TRUE(log.Changed);
    EXPECT_FALSE(log.Rebuild);
    log.Changed = false;
    log.ClearEntries();
    EXPECT_TRUE(log.Changed);
    EXPECT_TRUE(log.Rebuild);
    EXPECT_EQ(log.Snapshot().size(), 0u);
}

TEST(SearchLogTest, KeepsInsertionOrder)
{
    TEngineSearchLog log;
    log.AddEntry(lkInfo, "one");
    log.AddEntry(lkError, "two");
    const auto entries = log.Snapshot();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], (TSearchLogEntry{lkInfo, "one"}));
    EXPECT_EQ(entries[1], (TSearchLogEntry{lkError, "two"}));
}

TEST(SearchLogTest, ManyThreadsLoseNoEntry)
{
    TEngineSearchLog log;
    constexpr int kThreads = 8, kPerThread = 5000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&log, t] {
            for (int i = 0; i < kPerThread; ++i)
                log.AddEntry(lkComputer, QStringLiteral("%1:%2").arg(t).arg(i));
        });
    }
    for (auto& thread : threads)
        thread.join();
    const auto entries = log.Snapshot();
    ASSERT_EQ(entries.size(), size_t(kThreads * kPerThread));
    std::set<QString> texts;
    std::vector<int> next(kThreads, 0);
    for (const auto& entry : entries) {
        texts.insert(entry.Text);
        // Each thread's own lines keep their order.
        const auto parts = entry.Text.split(':');
        const int thread = parts[0].toInt();
        EXPECT_EQ(parts[1].toInt(), next[thread]++);
    }
    EXPECT_EQ(texts.size(), entries.size());
}

TEST(LockContainersTest, LockIsReentrantAndQueueIsFifo)
{
    TLockQueue<QString> queue;
    queue.Lock();
    queue.Lock(); // same thread again
    queue.Enqueue("\\\\A");
    queue.Enqueue("\\\\B");
    queue.Unlock();
    queue.Unlock();
    LockGuard guard(queue);
    EXPECT_EQ(queue.Dequeue(), "\\\\A");
    EXPECT_EQ(queue.Count(), 1);
}

} // namespace
