#include "app/ResultsFilterBox.h"

#include "app/ResultsModel.h"
#include "app/ResultsView.h"
#include "app/SearchControl.h"
#include "app/SearchProgressPanel.h"
#include "app/ViewCommands.h"
#include "dialogs/FindDialog.h"
#include "dialogs/HostsViewForm.h"
#include "engine/SearchSession.h"
#include "support/MainWindowFixture.h"
#include "support/QStringPrinter.h"
#include "support/RecordingMessageBoxes.h"
#include "support/TempDir.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QTest>

namespace {

class ResultsFilterBoxTest : public MainWindowFixture {
protected:
    TSearchProgressPanel* panel() { return window->findChild<TSearchProgressPanel*>(); }
    QString addFile(const QString& name)
    {
        const QString path = files.write(name, "x");
        window->resultsModel().appendHit(MakeItemRecord(path, 0x20, -1, 45000.5, 1));
        window->resultsModel().flushRowCount();
        return path;
    }

    TempDir files;
    RecordingMessageBoxes boxes;
};

TEST_F(ResultsFilterBoxTest, TypingNarrowsTheListAndTheStatusCountsIt)
{
    window->show();
    window->resultsModel().appendHits(ShareHits(25));
    TResultsFilterBox* box = window->filterBox();
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_LT(box->geometry().bottom(), window->resultsView()->geometry().top()); // above the list
    EXPECT_FALSE(panel()->isVisible());

    box->setFocus();
    QTest::keyClicks(box, "file2");
    EXPECT_EQ(window->resultsModel().rowCount(), 7); // file2, file20 .. file25
    EXPECT_EQ(panel()->text(), "shown 7 of 25");
    EXPECT_TRUE(panel()->isVisible());
    QTest::keyClick(box, Qt::Key_Backspace);
    EXPECT_EQ(panel()->text(), "shown 25 of 25");

    box->clear();
    QTest::keyClicks(box, "*1?.TXT");
    EXPECT_EQ(window->resultsModel().rowCount(), 10); // file10 .. file19
    EXPECT_EQ(window->resultsView()->model()->index(0, 0).data().toString(), "file10.txt");

    QTest::keyClick(box, Qt::Key_Escape); // empties the box
    EXPECT_TRUE(box->text().isEmpty());
    EXPECT_EQ(window->resultsModel().rowCount(), 25);
    EXPECT_FALSE(panel()->isVisible());
}

TEST_F(ResultsFilterBoxTest, FileOperationsActOnTheRecordsOfTheShownRows)
{
    const QString alpha = addFile("alpha.txt");
    const QString beta = addFile("beta.pdf");
    const QString gamma = addFile("gamma.txt");
    const QString delta = addFile("delta.pdf");
    window->filterBox()->setText("*.pdf");
    ASSERT_EQ(window->resultsModel().rowCount(), 2);
    window->resultsView()->selectRow(1); // delta, item 3
    window->updateCommandAvailability();
    EXPECT_EQ(window->resultsView()->firstSelectedRow(), 3);
    EXPECT_EQ(window->findChild<TViewCommands*>()->selectedRows(), QList<int>({3}));
    TItemRecord selected;
    ASSERT_TRUE(window->resultsView()->selectedRecord(selected));
    EXPECT_EQ(selected.FileName, delta);

    boxes.answers = {QMessageBox::Ok};
    window->action(TCommand::Delete)->trigger();
    EXPECT_EQ(
        boxes.texts(),
        QStringList{QStringLiteral("Are you sure you want to delete the selected file(s)?\n\n") + delta});
    EXPECT_FALSE(QFile::exists(delta));
    EXPECT_TRUE(QFile::exists(alpha) && QFile::exists(beta) && QFile::exists(gamma));
    EXPECT_EQ(window->resultList().size(), 3);
    EXPECT_EQ(window->resultsModel().rowCount(), 1);
    EXPECT_EQ(window->resultsModel().shownRecord(0).FileName, beta);
}

TEST_F(ResultsFilterBoxTest, FindLooksAmongTheShownRows)
{
    window->resultsModel().appendHits(ShareHits(12));
    window->filterBox()->setText("file1");
    ASSERT_EQ(window->resultsModel().rowCount(), 4); // file1, file10, file11, file12
    TResultsView* view = window->resultsView();
    view->showFindDialog();
    EXPECT_EQ(view->findNext("file11"), 2);
    EXPECT_EQ(view->firstSelectedRow(), 10); // the record of file11
    EXPECT_TRUE(view->isRowSelected(2));
    view->findDialog()->close();
}

TEST_F(ResultsFilterBoxTest, SortingKeepsTheFilterAndTheSortIndicatorSurvivesTyping)
{
    window->resultsModel().appendHits(ShareHits(12));
    window->filterBox()->setText("file1");
    TResultsView* view = window->resultsView();
    view->sortByColumn(TResultsModel::SizeColumn);
    view->sortByColumn(TResultsModel::SizeColumn); // descending
    EXPECT_EQ(window->resultsModel().shownRecord(0).FileName, "\\\\PC1\\share\\file12.txt");
    EXPECT_EQ(window->resultsModel().rowCount(), 4);
    const int tag = view->sortTag();
    EXPECT_NE(tag, 0);
    window->filterBox()->setText("file11");
    EXPECT_EQ(view->sortTag(), tag);
}

TEST_F(ResultsFilterBoxTest, TheStatusShowsTheSearchProgress)
{
    engine->hits = ShareHits(3);
    engine->holdAfterHits = true;
    typeAndEnter(window->maskBox(), "*.txt");
    ASSERT_TRUE(processUntil([&] { return window->resultList().size() == 3; }));
    const std::shared_ptr<TSearchSession> session = window->searchControl().session();
    ASSERT_NE(session, nullptr);
    THostProgress& progress = session->Progress();
    progress.SetState("\\\\PC1", THostState::Searching);
    progress.HitFound("\\\\PC1");
    progress.BytesSearched("\\\\PC1", 2048);
    progress.HostKnown("\\\\PC2");
    progress.SetState("\\\\PC3", THostState::NoAnswer);
    // The state change's notice brings the panel up to date without the clock.
    ASSERT_TRUE(processUntil([&] { return panel()->text().startsWith("1 of 3 hosts done"); }, 3000))
        << panel()->text().toStdString();
    EXPECT_TRUE(panel()->text().contains(QStringLiteral("1 file, %1 searched, 0:0").arg(SizeText(2048))))
        << panel()->text().toStdString();
    EXPECT_TRUE(panel()->clock().isActive());

    window->action(TCommand::Search)->trigger();
    ASSERT_TRUE(processUntil([&] { return !window->searchControl().running(); }));
    EXPECT_FALSE(panel()->clock().isActive());
}

TEST_F(ResultsFilterBoxTest, TheStatusFollowsTheSearchWhileTheHostsViewComesAndGoes)
{
    engine->holdAfterHits = true;
    typeAndEnter(window->maskBox(), "*.txt");
    ASSERT_TRUE(window->searchControl().running());
    THostProgress& progress = window->searchControl().session()->Progress();
    // Both follow the same search; without the clock the panel moves on the tracker's notices only.
    window->action(TCommand::ViewShowHosts)->trigger();
    QPointer<THostsViewForm> hosts = window->findChild<THostsViewForm*>();
    ASSERT_FALSE(hosts.isNull());
    panel()->clock().stop();

    progress.SetState("\\\\PC1", THostState::Done);
    ASSERT_TRUE(processUntil([&] { return panel()->text().startsWith("1 of 1 hosts done"); }, 3000))
        << panel()->text().toStdString();
    ASSERT_TRUE(processUntil([&] { return hosts->model().lines().size() == 1; }, 3000));

    hosts->close(); // frees itself
    ASSERT_TRUE(processUntil([&] { return hosts.isNull(); }, 3000));
    progress.SetState("\\\\PC2", THostState::NoAnswer);
    ASSERT_TRUE(processUntil([&] { return panel()->text().startsWith("2 of 2 hosts done"); }, 3000))
        << panel()->text().toStdString();

    window->action(TCommand::Search)->trigger();
    ASSERT_TRUE(processUntil([&] { return !window->searchControl().running(); }));
}

TEST(ProgressTextsTest, SummaryCountsAndClock)
{
    TProgressSummary summary;
    summary.HostsKnown = 12;
    summary.HostsDone = 5;
    summary.Hits = 1234;
    summary.BytesSearched = 0;
    summary.ElapsedMs = 62'500;
    EXPECT_EQ(ProgressSummaryText(summary), "5 of 12 hosts done, 1234 files, 0 bytes searched, 1:02");
    EXPECT_EQ(ElapsedText(3'723'000), "1:02:03");
    EXPECT_EQ(ElapsedText(-5), "0:00");
    EXPECT_EQ(ShownCountText(7, 1000000), "shown 7 of 1000000");
}

} // namespace
