#include "dialogs/HostsViewForm.h"

#include "dialogs/HostSummaryExport.h"
#include "support/GuiTestApplication.h"
#include "support/QStringPrinter.h"
#include "support/TempDir.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QTableView>
#include <gtest/gtest.h>
#include <thread>

namespace {

bool ProcessUntil(const std::function<bool()>& done, int timeoutMs = 5000)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

QString Cell(THostsViewForm& form, int row, int column)
{
    return form.model().index(row, column).data().toString();
}

class HostsViewFormTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureGuiApplication();
        progress->SetState("\\\\ALPHA", THostState::Searching);
        progress->ShareReached("\\\\ALPHA", "docs", true);
        progress->ShareReached("\\\\ALPHA", "pay, roll", false, "Permission \"denied\"");
        progress->HitFound("\\\\ALPHA");
        progress->HitFound("\\\\ALPHA");
        progress->SetState("\\\\BETA", THostState::AccessDenied, "private");
        progress->SetState("\\\\GAMMA", THostState::NoAnswer);
    }
    std::shared_ptr<THostProgress> progress = std::make_shared<THostProgress>();
    TempDir folder;
};

TEST_F(HostsViewFormTest, ListsEachHostWithStateHitsTimeAndShares)
{
    THostsViewForm form([this] { return progress; });
    EXPECT_EQ(form.windowTitle(), "Hosts");
    ASSERT_EQ(form.model().rowCount(), 3);
    EXPECT_EQ(Cell(form, 0, THostsTableModel::HostColumn), "\\\\ALPHA");
    EXPECT_EQ(Cell(form, 0, THostsTableModel::StateColumn), "searching");
    EXPECT_EQ(Cell(form, 0, THostsTableModel::HitsColumn), "2");
    EXPECT_TRUE(Cell(form, 0, THostsTableModel::TimeColumn).endsWith(" s"));
    EXPECT_EQ(Cell(form, 0, THostsTableModel::SharesColumn), "docs (READ), pay, roll (NO ACCESS)");
    EXPECT_EQ(Cell(form, 1, THostsTableModel::StateColumn), "access denied (private)");
    EXPECT_EQ(Cell(form, 2, THostsTableModel::StateColumn), "no answer");
    EXPECT_EQ(form.model().headerData(THostsTableModel::StateColumn, Qt::Horizontal, Qt::DisplayRole),
              "State");
    // A host still on its way keeps the clock running.
    EXPECT_TRUE(form.timer().isActive());
}

TEST_F(HostsViewFormTest, TheClockStopsWithTheSearch)
{
    bool searching = true;
    THostsViewForm form([this] { return progress; }, nullptr, [&] { return searching; });
    EXPECT_TRUE(form.timer().isActive());
    searching = false; // stopped with ALPHA still searching
    form.refresh();
    EXPECT_FALSE(form.timer().isActive());
    EXPECT_EQ(Cell(form, 0, THostsTableModel::StateColumn), "searching");
}

TEST_F(HostsViewFormTest, FollowsTheTrackersNoticesFromOtherThreads)
{
    THostsViewForm form([this] { return progress; });
    form.timer().stop(); // only the notices now
    std::thread worker([this] {
        progress->HostKnown("\\\\DELTA");
        progress->HostFinished("\\\\ALPHA");
    });
    worker.join();
    ASSERT_TRUE(ProcessUntil([&] { return form.model().rowCount() == 4; }));
    ASSERT_TRUE(ProcessUntil([&] { return Cell(form, 0, THostsTableModel::StateColumn) == "done"; }));
    EXPECT_EQ(Cell(form, 3, THostsTableModel::StateColumn), "waiting");
    EXPECT_TRUE(Cell(form, 3, THostsTableModel::TimeColumn).isEmpty());
}

TEST_F(HostsViewFormTest, ANewSearchsTrackerReplacesTheRows)
{
    std::shared_ptr<THostProgress> current = progress;
    THostsViewForm form([&] { return current; });
    ASSERT_EQ(form.model().rowCount(), 3);
    current = std::make_shared<THostProgress>();
    current->HostKnown("\\\\NEW");
    form.refresh();
    ASSERT_EQ(form.model().rowCount(), 1);
    EXPECT_EQ(Cell(form, 0, 0), "\\\\NEW");
    EXPECT_FALSE(form.timer().isActive() && current->Lines()[0].State != THostState::Waiting);
    // The old tracker's notices no longer reach the window.
    progress->HostKnown("\\\\OLD");
    QCoreApplication::processEvents();
    EXPECT_EQ(form.model().rowCount(), 1);
    current = nullptr;
    form.refresh();
    EXPECT_EQ(form.model().rowCount(), 0);
    EXPECT_FALSE(form.timer().isActive());
}

TEST_F(HostsViewFormTest, ExportWritesCsvRowsPerShare)
{
    progress->HostFinished("\\\\ALPHA");
    THostsViewForm form([this] { return progress; });
    const QString file = folder.file("hosts.csv");
    form.chooseFileName = [&](QWidget*) { return file; };
    form.exportButton()->click();
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QStringList rows = QString::fromUtf8(written.readAll()).split(QStringLiteral("\r\n"));
    ASSERT_EQ(rows.size(), 6); // header, ALPHA twice, BETA, GAMMA, the empty end
    EXPECT_EQ(rows[0], "Host,State,Detail,Hits,Bytes searched,Seconds,Share,Access,Comment,Error");
    EXPECT_TRUE(rows[1].startsWith("\\\\ALPHA,done,\"pay, roll\",2,0,")) << rows[1].toStdString();
    EXPECT_TRUE(rows[1].endsWith(",docs,READ,,")) << rows[1].toStdString();
    EXPECT_TRUE(rows[2].endsWith(",\"pay, roll\",NO ACCESS,,\"Permission \"\"denied\"\"\""))
        << rows[2].toStdString();
    EXPECT_EQ(rows[4].left(17), "\\\\GAMMA,no answer");
    EXPECT_TRUE(rows[4].endsWith(",,,"));
    EXPECT_TRUE(rows[5].isEmpty());
}

TEST_F(HostsViewFormTest, ExportWritesJsonWhenTheNameSaysSo)
{
    THostsViewForm form([this] { return progress; });
    const QString file = folder.file("hosts.json");
    form.chooseFileName = [&](QWidget*) { return file; };
    EXPECT_TRUE(form.exportSummary());
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(written.readAll(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    const QJsonArray hosts = document.object().value("hosts").toArray();
    ASSERT_EQ(hosts.size(), 3);
    const QJsonObject alpha = hosts[0].toObject();
    EXPECT_EQ(alpha.value("host").toString(), "\\\\ALPHA");
    EXPECT_EQ(alpha.value("hits").toInteger(), 2);
    const QJsonArray shares = alpha.value("shares").toArray();
    ASSERT_EQ(shares.size(), 2);
    EXPECT_EQ(shares[1].toObject().value("share").toString(), "pay, roll");
    EXPECT_EQ(shares[1].toObject().value("access").toString(), "NO ACCESS");
    EXPECT_EQ(shares[1].toObject().value("comment").toString(), "");
    EXPECT_EQ(shares[1].toObject().value("error").toString(), "Permission \"denied\"");
    EXPECT_EQ(hosts[1].toObject().value("state").toString(), "access denied");
    EXPECT_EQ(hosts[1].toObject().value("detail").toString(), "private");

    form.chooseFileName = [](QWidget*) { return QString(); }; // cancelled
    EXPECT_FALSE(form.exportSummary());
}

TEST_F(HostsViewFormTest, SharesShowTheirWriteAccessAndExportTheirComments)
{
    progress->SetState("\\\\DELTA", THostState::Searching);
    progress->ShareReached("\\\\DELTA", "drop", TShareRights::ReadWrite, "Guest drop box", {});
    progress->ShareReached("\\\\DELTA", "files", TShareRights::Read, "Plans, 2024", {});
    progress->ShareReached("\\\\DELTA", "pay", TShareRights::None, "Payroll", "Access denied");
    progress->HostFinished("\\\\DELTA");
    THostsViewForm form([this] { return progress; });
    ASSERT_EQ(form.model().rowCount(), 4);
    EXPECT_EQ(Cell(form, 3, THostsTableModel::SharesColumn),
              "drop (READ/WRITE), files (READ), pay (NO ACCESS)");
    EXPECT_EQ(form.model().index(3, THostsTableModel::SharesColumn).data(Qt::ToolTipRole).toString(),
              "drop: Guest drop box\nfiles: Plans, 2024\npay: Access denied");
    // The other columns keep the host's detail as their tip.
    EXPECT_EQ(form.model().index(3, THostsTableModel::HostColumn).data(Qt::ToolTipRole).toString(), "pay");

    const QString csvFile = folder.file("hosts.csv");
    form.chooseFileName = [&](QWidget*) { return csvFile; };
    ASSERT_TRUE(form.exportSummary());
    QFile csv(csvFile);
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QStringList rows = QString::fromUtf8(csv.readAll()).split(QStringLiteral("\r\n"));
    ASSERT_EQ(rows.size(), 9); // header, ALPHA twice, BETA, GAMMA, DELTA three times, the empty end
    EXPECT_TRUE(rows[5].endsWith(",drop,READ/WRITE,Guest drop box,")) << rows[5].toStdString();
    EXPECT_TRUE(rows[6].endsWith(",files,READ,\"Plans, 2024\",")) << rows[6].toStdString();
    EXPECT_TRUE(rows[7].endsWith(",pay,NO ACCESS,Payroll,Access denied")) << rows[7].toStdString();
}

TEST_F(HostsViewFormTest, TheToggleActionShowsAndClosesTheWindow)
{
    QAction toggle;
    toggle.setCheckable(true);
    toggle.setChecked(true);
    THostsViewForm* shown = ToggleHostsView(&toggle, nullptr, [this] { return progress; });
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_EQ(shown->model().rowCount(), 3);
    toggle.setChecked(false);
    EXPECT_EQ(ToggleHostsView(&toggle, nullptr, [this] { return progress; }), nullptr);
    EXPECT_FALSE(shown->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace
