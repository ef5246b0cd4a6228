#include "app/SearchProgressText.h"

#include "support/QStringPrinter.h"

#include <gtest/gtest.h>

namespace {

TEST(SearchProgressTextTest, AFreshLineIsShownAsItIs)
{
    EXPECT_EQ(RunningStatusText("Computer \\\\PC1 enqueued.", 100, {"\\\\PC1"}),
              "Computer \\\\PC1 enqueued.");
    EXPECT_EQ(RunningStatusText("Cannot search \\\\PC2", kStaleLogLineMs + 1, {}), "Cannot search \\\\PC2");
}

TEST(SearchProgressTextTest, AStaleLineOrTheQueuesEndGiveWayToWhatTheWorkersDo)
{
    EXPECT_EQ(RunningStatusText("Finishing search...", 0, {"\\\\PC1\\docs"}), "Working on \\\\PC1\\docs");
    EXPECT_EQ(
        RunningStatusText("Cannot search \\\\PC2", kStaleLogLineMs, {"\\\\HUNG", "\\\\PC3\\a", "ftp://PC4"}),
        "Working on \\\\HUNG and 2 others");
    EXPECT_EQ(RunningStatusText("", 0, {"\\\\HUNG", "\\\\PC3"}), "Working on \\\\HUNG and 1 other");
}

} // namespace
