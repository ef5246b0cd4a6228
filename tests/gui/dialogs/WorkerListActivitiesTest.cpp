#include "dialogs/WorkerListActivities.h"
#include "engine/PumpDispatcher.h"
#include "engine/WorkerThread.h"
#include "engine/WorkerThreadList.h"
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
    TWorkerThreadList list;
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

} // namespace
