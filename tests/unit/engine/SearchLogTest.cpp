#include "engine/SearchLog.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <set>
#include <thread>
#include <utility>
#include <vector>

namespace {

TEST(SearchLogTest, FlagsFollowAddAndClear)
{
    TEngineSearchLog log;
    const auto flags = [&log] {
        return log.WithLock(
            [](const TSearchLogState& state) { return std::pair(state.Changed, state.Rebuild); });
    };
    EXPECT_EQ(flags(), std::pair(false, false));
    log.AddEntry(TSearchLogKind::Scope, "Opening \\\\WG...");
    EXPECT_EQ(flags(), std::pair(true, false));
    log.WithLock([](TSearchLogState& state) { state.Changed = false; });
    log.ClearEntries();
    EXPECT_EQ(flags(), std::pair(true, true));
    EXPECT_EQ(log.Snapshot().size(), 0u);
}

TEST(SearchLogTest, KeepsInsertionOrder)
{
    TEngineSearchLog log;
    log.AddEntry(TSearchLogKind::Info, "one");
    log.AddEntry(TSearchLogKind::Error, "two");
    const auto entries = log.Snapshot();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0], (TSearchLogEntry{TSearchLogKind::Info, "one"}));
    EXPECT_EQ(entries[1], (TSearchLogEntry{TSearchLogKind::Error, "two"}));
}

TEST(SearchLogTest, ManyThreadsLoseNoEntry)
{
    TEngineSearchLog log;
    constexpr int kThreads = 8, kPerThread = 5000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&log, t] {
            for (int i = 0; i < kPerThread; ++i)
                log.AddEntry(TSearchLogKind::Computer, QStringLiteral("%1:%2").arg(t).arg(i));
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

TEST(SearchLogTest, ChangeHandlerRunsAfterEveryChangeWithoutTheLogLocked)
{
    TEngineSearchLog log;
    int calls = 0;
    int countSeen = -1;
    // Reading the log inside the handler would deadlock if it ran under the log's lock.
    log.SetOnChange([&] {
        ++calls;
        countSeen = log.Count();
    });
    log.AddEntry(TSearchLogKind::Info, "one");
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(countSeen, 1);
    log.ClearEntries();
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(countSeen, 0);
    log.SetOnChange({});
    log.AddEntry(TSearchLogKind::Info, "two");
    EXPECT_EQ(calls, 2);
}

TEST(SynchronizedTest, ConcurrentUpdatesUnderTheLockLoseNothing)
{
    TSynchronized<std::vector<int>> values;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&values] {
            for (int i = 0; i < 10000; ++i)
                values.withLock([i](std::vector<int>& v) { v.push_back(i); });
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(values.snapshot().size(), 40000u);
    EXPECT_EQ(values.withLock([](const std::vector<int>& v) { return v.front(); }), 0);
}

} // namespace
