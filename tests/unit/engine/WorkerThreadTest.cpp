#include "engine/WorkerThread.h"

#include "engine/EngineErrorReporter.h"
#include "engine/FtpSearch.h"
#include "engine/HitIconProvider.h"
#include "engine/HitSink.h"
#include "engine/HostProgress.h"
#include "engine/PumpDispatcher.h"
#include "engine/SearchSession.h"
#include "model/Error.h"
#include "support/FakeFtpClient.h"
#include "support/QStringPrinter.h"
#include "support/engine/FakeShareNetwork.h"

#include <cerrno>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using namespace std::chrono_literals;

namespace {

class RecordingIcons : public HitIconProvider {
public:
    int32_t IconIndex(const THitIconRequest& request) override
    {
        requests.push_back(request);
        threads.push_back(std::this_thread::get_id());
        return 7;
    }
    std::vector<THitIconRequest> requests;
    std::vector<std::thread::id> threads;
};

struct FtpCall {
    QString host;
    TWorkerActivity kind;
    QString activity;
};

class WorkerThreadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        config.FileMasks = "*";
        net.addShare("\\\\HOST", "docs");
        net.addShare("\\\\HOST", "data");
        net.addFile("\\\\HOST\\docs\\a.txt");
        net.addFile("\\\\HOST\\data\\b.txt");
    }

    TSearchServices Services()
    {
        TSearchServices services;
        services.Dispatcher = &dispatcher;
        services.ShareClients = &factory;
        // The worker reads the accounts from its session's copy.
        session = std::make_shared<TSearchSession>(TScopeRoot{}, TDiscoveryOptions{}, accounts);
        services.Session = session;
        services.Hits = &sink;
        services.Errors = &errors;
        services.Icons = icons;
        services.FtpSearch = ftpSearch;
        return services;
    }

    void RunWorker(const QString& host = "\\\\HOST")
    {
        auto* worker = new TWorkerThread(host, config, Services());
        bool ended = false;
        worker->FreeOnTerminate = true;
        worker->OnTerminate = [&](TEngineThread&) { ended = true; };
        worker->Start();
        ASSERT_TRUE(dispatcher.pumpUntil([&] { return ended; }, 60s));
        ASSERT_TRUE(TEngineThread::WaitForAllEnded(60s));
    }

    std::vector<QString> HitNames() const
    {
        std::vector<QString> names;
        for (const auto& item : items)
            names.push_back(item.FileName);
        return names;
    }

    std::vector<QString> LogTexts()
    {
        std::vector<QString> texts;
        for (const auto& entry : session->Log().Snapshot())
            texts.push_back(entry.Text);
        return texts;
    }

    PumpDispatcher dispatcher;
    std::shared_ptr<TSearchSession> session; // made by Services()
    FakeShareNetwork net;
    FakeShareClientFactory factory{net};
    TItemList items;
    TItemListHitSink sink{items};
    StdErrErrorReporter errors{false};
    HitIconProvider* icons = nullptr;
    std::vector<TUnicodeAccount> accounts;
    std::vector<FtpCall> ftpCalls;
    // Records the call and delivers one FTP hit.
    std::function<void(const QString&, HostSearchContext&)> ftpSearch = [this](const QString& host,
                                                                               HostSearchContext& context) {
        TWorkerActivity kind;
        QString text;
        dynamic_cast<TWorkerThread&>(context).GetActivity(kind, text);
        ftpCalls.push_back({host, kind, text});
        context.DeliverHit(MakeItemRecord("ftp://HOST/pub/f.txt", 0, -1, 0, 3));
    };
    TThreadConfig config;
};

TEST_F(WorkerThreadTest, SharesOnlyModeNeverTouchesFtp)
{
    config.FtpSearchMode = TFtpMode::SharesOnly;
    RunWorker();
    EXPECT_EQ(HitNames(), std::vector<QString>({"\\\\HOST\\docs\\a.txt", "\\\\HOST\\data\\b.txt"}));
    EXPECT_TRUE(ftpCalls.empty());
    EXPECT_EQ(LogTexts(),
              std::vector<QString>({"Found 2 folders on \\\\HOST: docs,data", "Searching \\\\HOST\\docs...",
                                    "Searching \\\\HOST\\data..."}));
}

TEST_F(WorkerThreadTest, TheHostsProgressNamesEachSharesRightsAndComment)
{
    net.addShare("\\\\HOST", "drop", ShareType::Disk, "Guest drop box");
    net.addShare("\\\\HOST", "pay", ShareType::Disk, "Payroll");
    net.answerWriteCheck("\\\\HOST\\drop", true);
    net.failList("\\\\HOST\\pay", EACCES, "Permission denied");
    config.FtpSearchMode = TFtpMode::SharesOnly;
    RunWorker();
    const std::vector<THostProgressLine> lines = session->Progress().Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].State, THostState::Done);
    std::vector<QString> shares;
    for (const TShareSummary& share : lines[0].Shares)
        shares.push_back(QStringList({share.Name, share.Access, share.Comment, share.Error}).join(u'|'));
    EXPECT_EQ(shares, std::vector<QString>({"docs|READ||", "data|READ||", "drop|READ/WRITE|Guest drop box|",
                                            "pay|NO ACCESS|Payroll|Permission denied"}));
}

TEST_F(WorkerThreadTest, SharesAndFtpModeReportsShareHitsFirst)
{
    config.FtpSearchMode = TFtpMode::SharesAndFtp;
    RunWorker();
    EXPECT_EQ(HitNames(), std::vector<QString>(
                              {"\\\\HOST\\docs\\a.txt", "\\\\HOST\\data\\b.txt", "ftp://HOST/pub/f.txt"}));
    ASSERT_EQ(ftpCalls.size(), 1u);
    EXPECT_EQ(ftpCalls[0].host, "\\\\HOST");
    EXPECT_EQ(ftpCalls[0].kind, waConnecting);
    EXPECT_EQ(ftpCalls[0].activity, "ftp://HOST");
}

TEST_F(WorkerThreadTest, FtpOnlyModeAttemptsNoShareAccessAtAll)
{
    config.FtpSearchMode = TFtpMode::FtpOnly;
    accounts = {{"\\\\HOST*", "user", "pw"}};
    RunWorker();
    EXPECT_EQ(HitNames(), std::vector<QString>({"ftp://HOST/pub/f.txt"}));
    EXPECT_EQ(net.clientsCreated(), 0);
    EXPECT_TRUE(net.connectAttempts().empty());
    EXPECT_TRUE(net.shareListings().empty());
}

TEST_F(WorkerThreadTest, OtherModesSearchNothing)
{
    config.FtpSearchMode = TFtpMode::Unknown;
    RunWorker();
    EXPECT_TRUE(items.isEmpty());
    EXPECT_TRUE(ftpCalls.empty());
    EXPECT_EQ(net.clientsCreated(), 0);
}

TEST_F(WorkerThreadTest, FtpSearchOfTheHostFollowsItsSharesWithoutContentTest)
{
    FakeFtpServer ftp;
    ftp.acceptedServer = "HOST";
    ftp.add("", "pub", true);
    ftp.add("/pub", "a.txt", false, 8);
    ftp.add("/pub", "b.bin", false, 5);
    ftp.files.insert("/pub/a.txt", "a needle");
    FakeFtpClientFactory ftpClients(ftp);
    ftpSearch = [&](const QString& host, HostSearchContext& context) {
        FtpSearchHost(host, ftpClients, context);
    };
    net.addFile("\\\\HOST\\docs\\c.txt", "needle");
    config.FtpSearchMode = TFtpMode::SharesAndFtp;
    config.FileMasks = "*.txt";
    config.EnableTextSearch = true;
    config.SearchText = "needle";
    RunWorker();
    EXPECT_EQ(HitNames(), std::vector<QString>({"\\\\HOST\\docs\\c.txt", "ftp://HOST/pub/a.txt"}));
}

TEST_F(WorkerThreadTest, HostWithoutSharesIsStillSearchedOverFtp)
{
    config.FtpSearchMode = TFtpMode::SharesAndFtp;
    RunWorker("\\\\EMPTY");
    EXPECT_EQ(LogTexts(), std::vector<QString>({"No folders found on \\\\EMPTY"}));
    ASSERT_EQ(ftpCalls.size(), 1u);
    EXPECT_EQ(ftpCalls[0].activity, "ftp://EMPTY");
}

TEST_F(WorkerThreadTest, AHostThatDoesNotAnswerInTimeIsNotOneWithNothingThere)
{
    net.failShareList("\\\\HUNG", ETIMEDOUT, "The SMB agent did not answer within 30 s");
    RunWorker("\\\\HUNG");
    EXPECT_EQ(
        LogTexts(),
        std::vector<QString>({"No answer from \\\\HUNG in time (The SMB agent did not answer within 30 s)"}));
    net.failShareList("\\\\REFUSING", ECONNREFUSED, "Connection refused");
    RunWorker("\\\\REFUSING");
    EXPECT_EQ(LogTexts().back(), "No folders found on \\\\REFUSING");
}

TEST_F(WorkerThreadTest, LogsOnToHostAndSharesAndCancelsWhatItOpened)
{
    accounts = {{"\\\\HOST*", "alice", "secret"}};
    net.acceptCredentials("\\\\HOST", QString("alice"), QString("secret"));
    net.acceptCredentials("\\\\HOST\\docs", QString("alice"), QString("secret"));
    net.protectShare("\\\\HOST\\docs");
    config.AutoUnmount = true;
    RunWorker();
    EXPECT_EQ(LogTexts(),
              std::vector<QString>({"Logged to \\\\HOST as alice", "Found 2 folders on \\\\HOST: docs,data",
                                    "Searching \\\\HOST\\docs...", "Searching \\\\HOST\\data..."}));
    EXPECT_EQ(items.size(), 2);
    // Only the connections that were made are cancelled: the share's after its walk, the host's last.
    EXPECT_EQ(net.cancelledConnections(), std::vector<QString>({"\\\\HOST\\docs", "\\\\HOST"}));
}

TEST_F(WorkerThreadTest, ConnectionsStayOpenWithoutAutoUnmount)
{
    accounts = {{"\\\\HOST*", "alice", "secret"}};
    net.acceptCredentials("\\\\HOST", QString("alice"), QString("secret"));
    net.acceptCredentials("\\\\HOST\\docs", QString("alice"), QString("secret"));
    RunWorker();
    EXPECT_TRUE(net.cancelledConnections().empty());
}

TEST_F(WorkerThreadTest, StopDuringAShareSkipsTheNextAndStillCancels)
{
    accounts = {{"\\\\HOST*", "alice", "secret"}};
    net.acceptCredentials("\\\\HOST", QString("alice"), QString("secret"));
    net.acceptCredentials("\\\\HOST\\docs", QString("alice"), QString("secret"));
    config.AutoUnmount = true;
    net.onListFolder([this](const QString& folder) {
        if (folder == "\\\\HOST\\docs")
            session->RequestStop();
    });
    RunWorker();
    EXPECT_EQ(net.listedFolders(), std::vector<QString>({"\\\\HOST\\docs"}));
    EXPECT_TRUE(items.isEmpty());
    EXPECT_EQ(net.cancelledConnections(), std::vector<QString>({"\\\\HOST\\docs", "\\\\HOST"}));
}

TEST_F(WorkerThreadTest, ErrorInAWalkIsReportedOnceAndConnectionsAreStillCancelled)
{
    accounts = {{"\\\\HOST*", "alice", "secret"}};
    net.acceptCredentials("\\\\HOST", QString("alice"), QString("secret"));
    net.acceptCredentials("\\\\HOST\\docs", QString("alice"), QString("secret"));
    config.AutoUnmount = true;
    config.FtpSearchMode = TFtpMode::SharesAndFtp;
    net.onListFolder([](const QString& folder) {
        if (folder == "\\\\HOST\\docs")
            RaiseError("agent ended unexpectedly");
    });
    RunWorker();
    EXPECT_EQ(errors.Messages(),
              std::vector<QString>({"Worker thread unhandled expception: agent ended unexpectedly"}));
    EXPECT_EQ(net.cancelledConnections(), std::vector<QString>({"\\\\HOST\\docs", "\\\\HOST"}));
    EXPECT_TRUE(ftpCalls.empty()); // the error ended the worker before its FTP part
}

TEST_F(WorkerThreadTest, InvalidMaskIsReportedOnceAndNothingIsSearched)
{
    config.FileMasks = "[a";
    config.FtpSearchMode = TFtpMode::SharesAndFtp;
    RunWorker();
    const auto messages = errors.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].startsWith("Worker thread unhandled expception: "));
    EXPECT_TRUE(messages[0].contains("invalid mask")) << messages[0].toStdString();
    EXPECT_TRUE(net.shareListings().empty());
    EXPECT_TRUE(ftpCalls.empty());
    EXPECT_TRUE(session->Log().Snapshot().empty());
}

TEST_F(WorkerThreadTest, InvalidAccountMaskEndsTheWorkerToo)
{
    accounts = {{"\\\\[", "u", "p"}};
    RunWorker();
    EXPECT_EQ(errors.Messages().size(), 1u);
    EXPECT_EQ(net.clientsCreated(), 0);
}

TEST_F(WorkerThreadTest, TheWalkGoesOnWithoutWaitingForTheMainThread)
{
    net.addFile("\\\\HOST\\docs\\sub\\c.txt");
    auto* worker = new TWorkerThread("\\\\HOST", config, Services());
    bool ended = false;
    worker->FreeOnTerminate = true;
    worker->OnTerminate = [&](TEngineThread&) { ended = true; };
    worker->Start();
    // The main thread runs nothing meanwhile: every hit waits on the pending list.
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (session->PendingHits().Count() < 4 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    EXPECT_EQ(session->PendingHits().Count(), 4u);
    EXPECT_TRUE(items.isEmpty());

    ASSERT_TRUE(dispatcher.pumpUntil([&] { return ended; }, 60s));
    ASSERT_TRUE(TEngineThread::WaitForAllEnded(60s));
    EXPECT_EQ(HitNames(), std::vector<QString>({"\\\\HOST\\docs\\a.txt", "\\\\HOST\\docs\\sub",
                                                "\\\\HOST\\docs\\sub\\c.txt", "\\\\HOST\\data\\b.txt"}));
}

TEST_F(WorkerThreadTest, IconsAreLookedUpOnTheMainThread)
{
    RecordingIcons recording;
    icons = &recording;
    net.addFolder("\\\\HOST\\docs\\dir");
    config.FtpSearchMode = TFtpMode::SharesAndFtp;
    RunWorker();
    ASSERT_EQ(items.size(), 4);
    for (const auto& item : items)
        EXPECT_EQ(item.ImageIndex, 7);
    for (const auto& thread : recording.threads)
        EXPECT_EQ(thread, std::this_thread::get_id());
    ASSERT_EQ(recording.requests.size(), 4u);
    EXPECT_EQ(recording.requests[0].path, "\\\\HOST\\docs\\a.txt");
    EXPECT_TRUE(recording.requests[1].isFolder);
    EXPECT_FALSE(recording.requests[1].path.startsWith("\\\\")); // a local folder, never the share
    EXPECT_TRUE(recording.requests[3].isFtpFile);
    EXPECT_EQ(recording.requests[3].path, "f.txt");
}

TEST_F(WorkerThreadTest, HeldHitsKeepTheirPlaceAndArriveWhenTheWorkerEnds)
{
    config.FtpSearchMode = TFtpMode::FtpOnly;
    ftpSearch = [](const QString&, HostSearchContext& context) {
        context.HoldHit(MakeItemRecord("ftp://HOST/1", 0, -1, 0, 1));
        context.HoldHit(MakeItemRecord("ftp://HOST/2", 0, -1, 0, 2));
        context.DeliverHit(MakeItemRecord("ftp://HOST/3", 0, -1, 0, 3)); // after the held ones
        context.HoldHit(MakeItemRecord("ftp://HOST/4", 0, -1, 0, 4));    // never handed over by the search
    };
    RunWorker();
    EXPECT_EQ(HitNames(),
              std::vector<QString>({"ftp://HOST/1", "ftp://HOST/2", "ftp://HOST/3", "ftp://HOST/4"}));
    EXPECT_EQ(session->PendingHits().Count(), 0u);
}

TEST(WorkerHelpersTest, FtpActivityTextAndIconRequests)
{
    EXPECT_EQ(FtpActivityText("\\\\10.0.0.5"), "ftp://10.0.0.5");
    EXPECT_EQ(FtpActivityText("\\"), "\\");
    const auto ftpFolder = IconRequestFor(MakeItemRecord("ftp://H/pub", 0x10, -1, 0, 0));
    EXPECT_TRUE(ftpFolder.isFolder);
    EXPECT_FALSE(ftpFolder.isFtpFile);
    const auto share = IconRequestFor(MakeItemRecord("\\\\H\\s\\x.doc", 0x20, -1, 0, 0));
    EXPECT_EQ(share.path, "\\\\H\\s\\x.doc");
    EXPECT_FALSE(share.isFolder || share.isFtpFile);
}

} // namespace
