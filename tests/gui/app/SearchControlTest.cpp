#include "app/SearchControl.h"

#include "app/ResultsModel.h"
#include "app/SearchControl.h"
#include "engine/SearchSession.h"
#include "store/Settings.h"
#include "support/MainWindowFixture.h"
#include "support/QStringPrinter.h"

#include <QAction>
#include <QComboBox>
#include <QTest>
#include <QToolBar>

namespace {

class SearchControlTest : public MainWindowFixture {};

TEST_F(SearchControlTest, EnterInTheMaskBoxStartsASearchAndTheRowsArrive)
{
    engine->hits = ShareHits(3);
    engine->pause = std::chrono::milliseconds(20);
    typeAndEnter(window->maskBox(), "*.txt");

    EXPECT_TRUE(window->searchControl().running());
    EXPECT_EQ(window->action(TCommand::Search)->text(), "Stop Search");
    EXPECT_EQ(window->action(TCommand::Search)->toolTip(), "Stop Search");
    ASSERT_TRUE(processUntil([&] { return !window->searchControl().running(); }));

    EXPECT_EQ(engine->stopRequests, 0);
    ASSERT_EQ(window->resultsModel().rowCount(), 3);
    EXPECT_EQ(window->resultList().at(2).FileName, "\\\\PC1\\share\\file3.txt");
    EXPECT_GE(window->resultList().at(0).ImageIndex, 0);
    EXPECT_EQ(window->action(TCommand::Search)->text(), "Start Search");
    EXPECT_EQ(prompts.infos, QStringList({"Search completed. Found 3 files."}));
    EXPECT_EQ(window->statusText(), "Found 3 files, total size 600 bytes");
    ASSERT_EQ(engine->configs.size(), 1u);
    EXPECT_EQ(engine->configs[0].FileMasks, "*.txt");
    EXPECT_EQ(window->searchControl().maskHistory(), QStringList({"*.txt"}));
}

TEST_F(SearchControlTest, TheKeypadEnterSentToTheComboBoxStartsASearch)
{
    engine->hits = ShareHits(1);
    window->show();
    window->maskBox()->setFocus();
    QTest::keyClicks(window->maskBox(), "*.txt");
    QTest::keyClick(window->maskBox(), Qt::Key_Enter, Qt::KeypadModifier);
    ASSERT_EQ(engine->configs.size(), 1u);
    EXPECT_EQ(engine->configs[0].FileMasks, "*.txt");
    ASSERT_TRUE(processUntil([&] { return !window->searchControl().running(); }));
    EXPECT_EQ(window->resultsModel().rowCount(), 1);
}

TEST_F(SearchControlTest, AStoppedSearchSaysItWasStoppedNotCompleted)
{
    engine->hits = ShareHits(2);
    engine->holdAfterHits = true;
    typeAndEnter(window->maskBox(), "*.txt");
    ASSERT_TRUE(processUntil([&] { return window->resultList().size() == 2; }));
    window->action(TCommand::Search)->trigger();
    ASSERT_TRUE(processUntil([&] { return !window->searchControl().running(); }));
    EXPECT_EQ(prompts.infos, QStringList({"Search stopped. Found 2 files."}));
}

TEST_F(SearchControlTest, TheConfigurationTakesTheBoxesAsTheyStandAndTheSettingsOfTheMoment)
{
    window->settings().Settings.MaxThreads = 3;
    window->settings().Settings.EnableTextSearch = true;
    window->settings().Settings.SearchMethod = TSearchType::SpecifiedComputers;
    window->settings().Settings.ResList = {"\\\\PC1", "\\\\PC 2"};
    window->textBox()->setEditText("Budget");
    typeAndEnter(window->maskBox(), "  *.doc ");
    ASSERT_TRUE(processUntil([&] { return !window->searchControl().running(); }));

    ASSERT_EQ(engine->configs.size(), 1u);
    const TThreadConfig& config = engine->configs[0];
    EXPECT_EQ(config.FileMasks, "  *.doc ");
    EXPECT_EQ(config.SearchText, "Budget");
    EXPECT_EQ(config.MaxThreads, 3);
    EXPECT_EQ(config.SearchMethod, TSearchType::SpecifiedComputers);
    EXPECT_EQ(config.ResList, "\\\\PC1,\"\\\\PC 2\"");
    EXPECT_TRUE(config.EnableTextSearch);
    EXPECT_EQ(window->searchControl().maskHistory(), QStringList({"  *.doc "}));
    EXPECT_EQ(window->searchControl().textHistory(), QStringList({"Budget"}));
}

TEST_F(SearchControlTest, RefusalsAreShownAndNothingChanges)
{
    window->resultsModel().appendHits({ShareHits(1).front()});

    window->settings().Settings.SearchMethod =
        TSearchType::ExcludedComputers; // "Excluding these computers" with an empty list
    typeAndEnter(window->maskBox(), "*.doc");
    window->settings().Settings.SearchMethod = TSearchType::EntireNetwork;
    window->settings().Settings.FoldersSearchMethod = TFolderListMode::AllExceptSpecified;
    typeAndEnter(window->maskBox(), "*.doc");
    window->settings().Settings.FoldersSearchMethod = TFolderListMode::AllFolders;
    typeAndEnter(window->maskBox(), " \t ");

    EXPECT_EQ(prompts.errors, QStringList({"No computers or IP ranges are specified",
                                           "No folders are specified", "No search mask is specified"}));
    EXPECT_FALSE(window->searchControl().running());
    EXPECT_TRUE(engine->configs.empty());
    EXPECT_EQ(window->resultList().size(), 1);
    EXPECT_TRUE(window->searchControl().maskHistory().isEmpty());
}

TEST_F(SearchControlTest, EnterInTheContentBoxStopsARunningSearch)
{
    window->settings().Settings.EnableTextSearch = true;
    window->applyViewSettings();
    EXPECT_FALSE(window->contentToolBar()->isHidden());
    engine->hits = ShareHits(2);
    engine->holdAfterHits = true;
    window->maskBox()->setEditText("*.txt");
    ASSERT_TRUE(window->searchControl().execute());
    ASSERT_TRUE(processUntil([&] { return window->resultList().size() == 2; }));

    typeAndEnter(window->textBox(), "secret");
    EXPECT_TRUE(window->searchControl().session()->StopRequested());
    EXPECT_EQ(window->statusText(), "Shutting down...");
    ASSERT_TRUE(processUntil([&] { return !window->searchControl().running(); }));
    EXPECT_EQ(engine->stopRequests, 1);
    EXPECT_EQ(window->resultsModel().rowCount(), 2);
}

TEST_F(SearchControlTest, WithoutTheCompletionMessageTheEndOnlyChangesTheStatus)
{
    window->settings().Settings.CompleteMessage = false;
    engine->hits = ShareHits(2);
    typeAndEnter(window->maskBox(), "*.txt");
    ASSERT_TRUE(processUntil([&] { return !window->searchControl().running(); }));
    EXPECT_TRUE(prompts.infos.isEmpty());
    EXPECT_EQ(window->statusText(), "Found 2 files, total size 300 bytes");
}

TEST_F(SearchControlTest, ANewSearchClearsTheResultsAndTheLogAndTheStatusFollowsTheNewestLine)
{
    window->settings().Settings.CompleteMessage = false;
    engine->hits = ShareHits(2);
    typeAndEnter(window->maskBox(), "*.txt");
    ASSERT_TRUE(processUntil([&] { return !window->searchControl().running(); }));
    window->searchControl().session()->Log().AddEntry(TSearchLogKind::Info, "old line");

    engine->hits = ShareHits(1);
    engine->holdAfterHits = true;
    typeAndEnter(window->maskBox(), "*.doc");
    EXPECT_EQ(window->searchControl().session()->Log().Count(), 0);
    window->searchControl().session()->Log().AddEntry(TSearchLogKind::Computer, "Computer \\\\PC1 enqueued.");
    window->searchControl().updateStatusFromLog();
    EXPECT_EQ(window->statusText(), "Computer \\\\PC1 enqueued.");
    EXPECT_EQ(window->searchControl().threadCount(), 2); // one worker and the queue thread
    ASSERT_TRUE(processUntil([&] { return window->resultList().size() == 1; }));
    engine->requestStop();
    ASSERT_TRUE(processUntil([&] { return !window->searchControl().running(); }));
    EXPECT_EQ(window->resultList().size(), 1);
    EXPECT_EQ(window->searchControl().threadCount(), 0);
    EXPECT_EQ(window->searchControl().maskHistory(), QStringList({"*.doc", "*.txt"}));
}

TEST_F(SearchControlTest, ClearResultsDuringASearchEmptiesTheViewAndLaterHitsAppear)
{
    engine->hits = ShareHits(6);
    engine->pause = std::chrono::milliseconds(30);
    typeAndEnter(window->maskBox(), "*.txt");
    ASSERT_TRUE(processUntil([&] { return window->resultList().size() >= 2; }));
    window->action(TCommand::ClearResults)->trigger();
    EXPECT_EQ(window->statusText(), "Display cleared");
    EXPECT_EQ(window->resultsModel().rowCount(), 0);
    ASSERT_TRUE(processUntil([&] { return !window->searchControl().running(); }));
    EXPECT_GT(window->resultList().size(), 0);
    EXPECT_LT(window->resultList().size(), 6);
    EXPECT_EQ(window->resultList().last().FileName, "\\\\PC1\\share\\file6.txt");
    EXPECT_EQ(window->resultsModel().rowCount(), window->resultList().size());
}

TEST_F(SearchControlTest, AStartThatFailsLeavesTheIdleState)
{
    window->setSearchEngine(nullptr);
    typeAndEnter(window->maskBox(), "*.txt");
    EXPECT_FALSE(window->searchControl().running());
    EXPECT_EQ(prompts.errors, QStringList({"The search engine is not available"}));
    EXPECT_EQ(window->action(TCommand::Search)->text(), "&Start Search");
}

} // namespace
