#include "app/MainWindow.h"
#include "app/QtMainThreadDispatcher.h"
#include "app/SearchControl.h"
#include "app/SearchEngineFactory.h"
#include "app/SearchProgressPanel.h"
#include "dialogs/HostsViewForm.h"
#include "engine/EngineThread.h"
#include "engine/SearchSession.h"
#include "store/Settings.h"
#include "support/GuiTestApplication.h"
#include "support/QStringPrinter.h"
#include "support/ShotFiles.h"
#include "support/SmbFixture.h"
#include "support/TempDir.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTableView>
#include <gtest/gtest.h>

namespace {

bool ProcessUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

const THostProgressLine* LineOf(const std::vector<THostProgressLine>& lines, const QString& host)
{
    for (const THostProgressLine& line : lines) {
        if (line.Host == host)
            return &line;
    }
    return nullptr;
}

// The hosts view and the progress panel during a search of the Samba test hosts with
// the program's own engine.
TEST(HostsSearchRunTest, TheHostsViewFollowsASearchOfTheTestHosts)
{
    EnsureGuiApplication();
    KESTROVA_REQUIRE_SMB_FIXTURE();
    TempDir folder;
    TRecordingPrompts prompts;
    TQtMainThreadDispatcher dispatcher;
    auto window = std::make_unique<TMainWindow>(TMainWindow::Options{folder.file("kestrova.ini"), nullptr});
    std::unique_ptr<TSearchEngineLink> engine = CreateSearchEngine(dispatcher, *window);
    window->setSearchEngine(engine.get());
    TSettings& settings = window->settings().Settings;
    settings.SearchMethod = TSearchType::SpecifiedComputers;
    settings.ResList = {SmbFixture::hostUnc(2), SmbFixture::hostUnc(3), SmbFixture::hostUnc(4),
                        SmbFixture::silentHostUnc()};
    settings.CompleteMessage = false;
    settings.MaxThreads = 2;
    window->resize(900, 560);
    window->show();

    window->maskBox()->setEditText("*");
    ASSERT_TRUE(window->searchControl().execute()) << prompts.errors.join("; ").toStdString();
    window->action(TCommand::ViewShowHosts)->trigger();
    THostsViewForm* hosts = window->findChild<THostsViewForm*>();
    ASSERT_NE(hosts, nullptr);
    hosts->resize(620, 220);
    ASSERT_TRUE(ProcessUntil([&] { return hosts->model().rowCount() >= 2; }, 30000));
    // A picture while the search runs: some host on its way, some done where the timing allows.
    ProcessUntil(
        [&] {
            const auto& lines = hosts->model().lines();
            return std::any_of(lines.begin(), lines.end(),
                               [](const THostProgressLine& line) { return HostStateIsFinal(line.State); }) ||
                   !window->searchControl().running();
        },
        60000);
    ProcessUntil([] { return false; }, 100); // the status panel's notice too
    SaveShotIfAsked(hosts, "gui16-hosts");
    SaveShotIfAsked(window.get(), "gui16-progress");

    ASSERT_TRUE(ProcessUntil([&] { return !window->searchControl().running(); }, 120000));
    hosts->refresh();
    const std::vector<THostProgressLine> lines = hosts->model().lines();
    ASSERT_EQ(lines.size(), 4u);
    const THostProgressLine* two = LineOf(lines, SmbFixture::hostUnc(2));
    const THostProgressLine* three = LineOf(lines, SmbFixture::hostUnc(3));
    const THostProgressLine* four = LineOf(lines, SmbFixture::hostUnc(4));
    const THostProgressLine* silent = LineOf(lines, SmbFixture::silentHostUnc());
    ASSERT_TRUE(two && three && four && silent);
    EXPECT_EQ(two->State, THostState::Done);
    EXPECT_GT(two->Hits, 0);
    EXPECT_EQ(three->State, THostState::Done);
    EXPECT_GT(three->Hits, 0);
    // Host 4 lets no anonymous caller in: its share list is refused already.
    EXPECT_EQ(four->State, THostState::AccessDenied) << four->Detail.toStdString();
    EXPECT_FALSE(four->Detail.isEmpty());
    EXPECT_TRUE(silent->State == THostState::NoSmb || silent->State == THostState::NoAnswer ||
                silent->State == THostState::TimedOut)
        << HostStateText(silent->State).toStdString();
    EXPECT_EQ(two->Hits + three->Hits + four->Hits + silent->Hits, window->resultList().size());
    bool publicRead = false;
    for (const TShareSummary& share : two->Shares)
        publicRead = publicRead || (share.Name == "public" && share.Access == "READ");
    EXPECT_TRUE(publicRead);

    const TProgressSummary summary = window->searchControl().session()->Progress().Summary();
    EXPECT_EQ(summary.HostsKnown, 4);
    EXPECT_EQ(summary.HostsDone, 4);
    EXPECT_EQ(summary.Errors, 2);
    auto* panel = window->findChild<TSearchProgressPanel*>();
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->text().startsWith("4 of 4 hosts done, ")) << panel->text().toStdString();

    hosts->close();
    window->setSearchEngine(nullptr);
    ProcessUntil([] { return TEngineThread::LiveCount() == 0; }, 10000);
    window.reset();
    engine.reset();
}

} // namespace
