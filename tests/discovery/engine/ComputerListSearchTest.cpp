#include "support/FtpTestServer.h"
#include "support/QStringPrinter.h"
#include "support/SmbFixture.h"
#include "support/TempDir.h"
#include "support/engine/LiveSearch.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

// Whole searches of listed computers: the Samba test hosts searched by the engine's
// own threads, SMB agents and FTP client, driven headless.
namespace {

using SmbFixture::hostUnc;

class ComputerListSearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        KESTROVA_REQUIRE_SMB_FIXTURE();
        config.SearchMethod = TSearchType::SpecifiedComputers;
        config.FileMasks = "*.doc";
    }

    void TearDown() override { SmbAgentProcess::setAgentCommand({}); }

    // An anonymous FTP server on port 21 of host 3, which also serves shares.
    std::unique_ptr<FtpTestServer> ServeFtpOnHost3(QString& why)
    {
        QDir(ftpRoot.path()).mkpath("pub/sub");
        for (const char* name : {"top.doc", "pub/ftp-a.doc", "pub/sub/ftp-b.doc", "pub/skip.txt"}) {
            QFile file(ftpRoot.file(name));
            if (!file.open(QIODevice::WriteOnly) || file.write(name) < 0)
                return nullptr;
        }
        return FtpTestServer::serveFolder(SmbFixture::address(3), ftpRoot.path(), why, 21);
    }

    static QString FtpUrl(const QString& path) { return "ftp://" + SmbFixture::address(3) + path; }

    TThreadConfig config;
    TempDir ftpRoot;
};

TEST_F(ComputerListSearchTest, TwoListedHostsAreSearchedAndLoggedInTheEngineOrder)
{
    config.ResList = hostUnc(2) + "," + hostUnc(3);
    LiveSearch search;
    const THeadlessSearchResult result = search.run(config);

    QStringList found = ItemNames(result);
    found.sort();
    EXPECT_EQ(found, QStringList({hostUnc(2) + "\\public\\docs\\report.doc",
                                  hostUnc(3) + "\\docs\\letters\\letter.doc"}));
    EXPECT_TRUE(result.Errors.empty());
    EXPECT_EQ(search.shareClients.created(), 2);

    const QStringList log = LogTexts(result);
    ASSERT_GE(log.size(), 7) << log.join("\n").toStdString();
    EXPECT_EQ(log[0], "Search started in mode 'Specified Computers' with root '" + hostUnc(2) + ", " +
                          hostUnc(3) + "'.");
    EXPECT_EQ(log[1], "Computer " + hostUnc(2) + " enqueued.");
    EXPECT_EQ(log[2], "Computer " + hostUnc(3) + " enqueued.");
    const int finishing = LogIndex(result, "Finishing search...");
    EXPECT_GT(finishing, 2);
    EXPECT_EQ(log.back(), "Search finished.");
    EXPECT_EQ(log.count("Search finished."), 1);
    // Each host's own lines come after its name was queued and before the end.
    const int host2 = LogIndex(result, "Found 3 folders on " + hostUnc(2) + ": public,alice,bob");
    const int host3 = LogIndex(result, "Found 1 folders on " + hostUnc(3) + ": docs");
    EXPECT_GT(host2, 1) << log.join("\n").toStdString();
    EXPECT_GT(host3, 2) << log.join("\n").toStdString();
    EXPECT_LT(host2, log.size() - 1);
    EXPECT_LT(host3, log.size() - 1);
}

TEST_F(ComputerListSearchTest, OneWorkerAtATimeSearchesTheHostsOneAfterAnother)
{
    config.MaxThreads = 1;
    config.FileMasks = "*.doc;*.txt";
    config.ResList = hostUnc(5) + "," + hostUnc(2) + "," + hostUnc(3);
    LiveSearch search;
    const THeadlessSearchResult result = search.run(config);

    EXPECT_EQ(search.shareClients.created(), 3);
    EXPECT_EQ(search.shareClients.mostAliveAtOnce(), 1);
    // The hits come host by host, in list order.
    QStringList hostOrder;
    for (const QString& name : ItemNames(result)) {
        const QString host = name.section('\\', 0, 2);
        if (hostOrder.isEmpty() || hostOrder.back() != host)
            hostOrder.append(host);
    }
    EXPECT_EQ(hostOrder, QStringList({hostUnc(5), hostUnc(2), hostUnc(3)}))
        << ItemNames(result).join("\n").toStdString();
    EXPECT_TRUE(ItemNames(result).contains(hostUnc(5) + "\\pub\\pub.txt"));
    EXPECT_TRUE(result.Errors.empty());
}

TEST_F(ComputerListSearchTest, StoredAccountsOpenTheProtectedShares)
{
    // Host 4 lists nothing without a logon; share "team" of host 5 admits only bob.
    config.ResList = hostUnc(4) + "," + hostUnc(5);
    LiveSearch search;
    search.accounts = {{hostUnc(4), SmbFixture::alice().name, SmbFixture::alice().password},
                       {hostUnc(5) + "\\team", SmbFixture::bob().name, SmbFixture::bob().password}};
    const THeadlessSearchResult result = search.run(config);

    QStringList found = ItemNames(result);
    found.sort();
    EXPECT_EQ(found, QStringList({hostUnc(4) + "\\private\\private.doc", hostUnc(5) + "\\team\\plan.doc"}));
    EXPECT_GE(LogIndex(result, "Logged to " + hostUnc(4) + " as " + SmbFixture::alice().name), 0);
    EXPECT_TRUE(result.Errors.empty());
}

TEST_F(ComputerListSearchTest, AWrongPasswordOpensNothing)
{
    config.ResList = hostUnc(4);
    LiveSearch search;
    search.accounts = {{hostUnc(4), SmbFixture::alice().name, "not-her-password"}};
    const THeadlessSearchResult result = search.run(config);

    EXPECT_TRUE(result.Items.isEmpty());
    EXPECT_TRUE(LogLinesStartingWith(result, "Logged to").isEmpty());
    EXPECT_GE(LogIndex(result, "No folders found on " + hostUnc(4)), 0);
}

TEST_F(ComputerListSearchTest, ContentSearchReadsTheFilesOnTheHosts)
{
    // Every file of the test hosts holds its own name.
    config.ResList = hostUnc(3);
    config.FileMasks = "*";
    config.EnableTextSearch = true;
    config.SearchText = "manual";
    LiveSearch search;
    const THeadlessSearchResult result = search.run(config);

    EXPECT_EQ(ItemNames(result), QStringList({hostUnc(3) + "\\docs\\manual.pdf"}));
    EXPECT_TRUE(result.Errors.empty());
}

TEST_F(ComputerListSearchTest, SharesAndFtpReportTheShareHitsFirst)
{
    QString why;
    const auto ftp = ServeFtpOnHost3(why);
    if (!ftp)
        GTEST_SKIP() << why.toStdString();
    // Host 2 has shares but no FTP server: its FTP part ends silently.
    config.ResList = hostUnc(3) + "," + hostUnc(2);
    config.FtpSearchMode = TFtpMode::SharesAndFtp;
    config.MaxThreads = 1;
    LiveSearch search;
    const THeadlessSearchResult result = search.run(config);

    EXPECT_EQ(ItemNames(result).mid(0, 4),
              QStringList({hostUnc(3) + "\\docs\\letters\\letter.doc", FtpUrl("/top.doc"),
                           FtpUrl("/pub/ftp-a.doc"), FtpUrl("/pub/sub/ftp-b.doc")}))
        << ItemNames(result).join("\n").toStdString();
    EXPECT_EQ(ItemNames(result).mid(4), QStringList({hostUnc(2) + "\\public\\docs\\report.doc"}));
    for (const TItemRecord& item : result.Items) {
        if (item.FileName.startsWith("ftp://")) {
            EXPECT_EQ(item.Attrs, 0u) << item.FileName.toStdString();
        }
    }
    EXPECT_TRUE(result.Errors.empty());
    EXPECT_EQ(search.shareClients.created(), 2);
}

TEST_F(ComputerListSearchTest, FtpOnlyTouchesNoShare)
{
    QString why;
    const auto ftp = ServeFtpOnHost3(why);
    if (!ftp)
        GTEST_SKIP() << why.toStdString();
    config.ResList = hostUnc(3);
    config.FtpSearchMode = TFtpMode::FtpOnly;
    config.FileMasks = "pub;*.doc";
    LiveSearch search;
    const THeadlessSearchResult result = search.run(config);

    // The server lists sorted by name; a folder's entries all come before its subfolders'.
    EXPECT_EQ(ItemNames(result), QStringList({FtpUrl("/pub"), FtpUrl("/top.doc"), FtpUrl("/pub/ftp-a.doc"),
                                              FtpUrl("/pub/sub/ftp-b.doc")}));
    ASSERT_EQ(result.Items.size(), 4);
    EXPECT_EQ(result.Items[0].Attrs, 0x10u);
    EXPECT_EQ(search.shareClients.created(), 0);
    EXPECT_TRUE(LogLinesStartingWith(result, "Found ").isEmpty());
    EXPECT_TRUE(LogLinesStartingWith(result, "No folders found").isEmpty());
    EXPECT_EQ(LogTexts(result).back(), "Search finished.");
}

} // namespace
