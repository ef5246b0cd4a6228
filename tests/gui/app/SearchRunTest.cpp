#include "app/MainWindow.h"
#include "app/QtMainThreadDispatcher.h"
#include "app/ResultsModel.h"
#include "app/SearchControl.h"
#include "app/SearchEngineFactory.h"
#include "engine/EngineThread.h"
#include "engine/SearchSession.h"
#include "store/Settings.h"
#include "support/GuiTestApplication.h"
#include "support/QStringPrinter.h"
#include "support/SmbFixture.h"
#include "support/TempDir.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The window with the program's own engine, searching the Samba test hosts.
class SearchRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureGuiApplication();
        KESTROVA_REQUIRE_SMB_FIXTURE();
        dispatcher = std::make_unique<TQtMainThreadDispatcher>();
        window = std::make_unique<TMainWindow>(TMainWindow::Options{folder.file("kestrova.ini"), nullptr});
        engine = CreateSearchEngine(*dispatcher, *window);
        window->setSearchEngine(engine.get());
        window->settings().Settings.SearchMethod = TSearchType::SpecifiedComputers; // only these computers
        window->settings().Settings.ResList = {SmbFixture::hostUnc(2), SmbFixture::hostUnc(3)};
        window->settings().Settings.CompleteMessage = false;
    }

    void TearDown() override
    {
        if (!window)
            return;
        if (window->searchControl().running()) {
            window->searchControl().stopSearch();
            processUntil([&] { return !window->searchControl().running(); }, 60000);
        }
        processUntil([] { return TEngineThread::LiveCount() == 0; }, 10000);
        window->setSearchEngine(nullptr);
        window.reset();
        engine.reset();
        dispatcher.reset();
    }

    static bool processUntil(const std::function<bool()>& done, int timeoutMs)
    {
        QElapsedTimer timer;
        timer.start();
        while (!done() && timer.elapsed() < timeoutMs)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return done();
    }

    QStringList names() const
    {
        QStringList names;
        for (const TItemRecord& item : window->resultList())
            names.append(item.FileName);
        return names;
    }

    TempDir folder;
    TRecordingPrompts prompts;
    std::unique_ptr<TQtMainThreadDispatcher> dispatcher;
    std::unique_ptr<TMainWindow> window;
    std::unique_ptr<TSearchEngineLink> engine;
};

TEST_F(SearchRunTest, EnterInTheMaskBoxSearchesTheHostsAndTheRowsArrive)
{
    QTest::keyClicks(window->maskBox()->lineEdit(), "*.doc");
    QTest::keyClick(window->maskBox()->lineEdit(), Qt::Key_Return);
    ASSERT_TRUE(window->searchControl().running()) << prompts.errors.join("; ").toStdString();
    ASSERT_TRUE(processUntil([&] { return !window->searchControl().running(); }, 120000));

    const QStringList found = names();
    EXPECT_TRUE(found.contains(SmbFixture::hostUnc(2) + "\\public\\docs\\report.doc"))
        << found.join("\n").toStdString();
    EXPECT_TRUE(found.contains(SmbFixture::hostUnc(3) + "\\docs\\letters\\letter.doc"))
        << found.join("\n").toStdString();
    for (const QString& name : found)
        EXPECT_TRUE(name.endsWith(".doc", Qt::CaseInsensitive)) << name.toStdString();
    EXPECT_EQ(window->resultsModel().rowCount(), window->resultList().size());
    EXPECT_GE(window->resultList().first().ImageIndex, 0);
    EXPECT_TRUE(window->statusText().startsWith(QStringLiteral("Found %1 files").arg(found.size())));
    const std::vector<TSearchLogEntry> log = window->searchControl().session()->Log().Snapshot();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().Text, "Search finished.");
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join("; ").toStdString();
}

TEST_F(SearchRunTest, StopEndsTheSearchPromptly)
{
    window->maskBox()->setEditText("*");
    ASSERT_TRUE(window->searchControl().execute());
    processUntil([&] { return !window->resultList().isEmpty(); }, 30000);
    QElapsedTimer timer;
    timer.start();
    window->searchControl().execute(); // Start/Stop while running stops
    EXPECT_EQ(window->statusText(), "Shutting down...");
    EXPECT_TRUE(window->searchControl().session()->StopRequested());
    ASSERT_TRUE(processUntil([&] { return !window->searchControl().running(); }, 30000));
    EXPECT_LT(timer.elapsed(), 15000);
    EXPECT_EQ(window->searchControl().threadCount(), 0);
}

} // namespace
