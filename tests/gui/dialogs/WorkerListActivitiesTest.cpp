#include "dialogs/WorkerListActivities.h"

#include "engine/PumpDispatcher.h"
#include "engine/SearchSession.h"
#include "engine/WorkerThread.h"
#include "support/QStringPrinter.h"

#include <gtest/gtest.h>

namespace {

TEST(WorkerListActivitiesTest, ReadsEveryRegisteredWorkerInListOrder)
{
    PumpDispatcher dispatcher;
    TSearchServices services;
    services.Dispatcher = &dispatcher;
    TWorkerThread alpha(QStringLiteral("\\\\ALPHA"), TThreadConfig(), services);
    TWorkerThread beta(QStringLiteral("\\\\BETA"), TThreadConfig(), services);
    beta.SetActivity(waScanning, QStringLiteral("\\\\BETA\\docs\\a.doc"));
    TSearchSignal signal;
    TWorkerThreadList list(signal);
    TWorkerListActivities source(list);
    EXPECT_TRUE(source.ReadActivities().empty());

    list.AddThread(&beta);
    list.AddThread(&alpha);
    std::vector<TWorkerActivityLine> lines = source.ReadActivities();

    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].worker, &beta);
    EXPECT_EQ(lines[0].kind, waScanning);
    EXPECT_EQ(lines[0].text, QStringLiteral("\\\\BETA\\docs\\a.doc"));
    EXPECT_EQ(lines[1].worker, &alpha);
    EXPECT_EQ(lines[1].kind, waConnecting);
    EXPECT_EQ(lines[1].text, QStringLiteral("\\\\ALPHA"));

    list.RemoveThread(&beta);
    lines = source.ReadActivities();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].worker, &alpha);
}

TEST(WorkerListActivitiesTest, FollowsTheSessionTheSourceGives)
{
    PumpDispatcher dispatcher;
    TSearchServices services;
    services.Dispatcher = &dispatcher;
    TWorkerThread alpha(QStringLiteral("\\\\ALPHA"), TThreadConfig(), services);
    auto first = std::make_shared<TSearchSession>();
    std::shared_ptr<TSearchSession> current = first;
    TWorkerListActivities source([&current] { return SessionWorkers(current); });
    first->Workers().AddThread(&alpha);
    ASSERT_EQ(source.ReadActivities().size(), 1u);
    // A new search's session has no workers yet; the old one's stay out of view.
    current = std::make_shared<TSearchSession>();
    EXPECT_TRUE(source.ReadActivities().empty());
    current.reset();
    EXPECT_TRUE(source.ReadActivities().empty());
    first->Workers().RemoveThread(&alpha);
}

TEST(WorkerListActivitiesTest, TheChangeHandlerFollowsTheListTheSourceGives)
{
    PumpDispatcher dispatcher;
    TSearchServices services;
    services.Dispatcher = &dispatcher;
    TWorkerThread alpha(QStringLiteral("\\\\ALPHA"), TThreadConfig(), services);
    auto first = std::make_shared<TSearchSession>();
    std::shared_ptr<TSearchSession> current = first;
    int calls = 0;
    {
        TWorkerListActivities source([&current] { return SessionWorkers(current); });
        source.SetOnChange([&] { ++calls; });
        first->Workers().AddThread(&alpha);
        EXPECT_EQ(calls, 1);

        // A new search: the next reading moves the handler to its list.
        current = std::make_shared<TSearchSession>();
        EXPECT_TRUE(source.ReadActivities().empty());
        first->Workers().RemoveThread(&alpha);
        EXPECT_EQ(calls, 1);
        current->Workers().AddThread(&alpha);
        EXPECT_EQ(calls, 2);

        source.SetOnChange({});
        current->Workers().RemoveThread(&alpha);
        EXPECT_EQ(calls, 2);
        source.SetOnChange([&] { ++calls; });
        current->Workers().AddThread(&alpha);
        EXPECT_EQ(calls, 3);
    }
    // The source is gone, and its handler with it.
    current->Workers().RemoveThread(&alpha);
    EXPECT_EQ(calls, 3);
}

} // namespace
