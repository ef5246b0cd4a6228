#include "engine/FtpSearch.h"
#include "model/DateTime.h"
#include "platform/CurlFtpClient.h"
#include "support/FakeHostSearchContext.h"
#include "support/FtpServedTree.h"
#include "support/FtpTestOptions.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonObject>
#include <gtest/gtest.h>
#include <thread>

namespace {

class FtpSearchServerTest : public FtpServedTree {
protected:
    FtpSearchServerTest() : FtpServedTree(QStringLiteral("127.0.3.2")) {}

    void search(uint16_t port)
    {
        CurlFtpClientFactory factory(TestFtpOptions(port));
        FtpSearchHost(host(), factory, context);
    }

    FakeHostSearchContext context;
};

TEST_F(FtpSearchServerTest, FindsFilesInListingOrderFoldersBeforeTheirSubfolders)
{
    ASSERT_TRUE(QDir(tree.path()).mkpath("pub/sub"));
    tree.write("pub/a.txt", "a");
    tree.write("pub/sub/b.txt", "bb");
    tree.write("pub/skip.bin", "c");
    SERVE_TREE_OR_SKIP(server);
    context.useFileMasks(QStringLiteral("*.txt"));

    search(server->port());

    EXPECT_EQ(context.hitNames(), QStringList({url("/pub/a.txt"), url("/pub/sub/b.txt")}));
    EXPECT_EQ(context.activityTexts(), QStringList({url(""), url("/pub"), url("/pub/sub")}));
    ASSERT_EQ(context.hits.size(), 2u);
    EXPECT_EQ(context.hits[1].Size, 2);
    EXPECT_EQ(context.hits[1].Attrs, 0);
}

TEST_F(FtpSearchServerTest, AFolderMatchingTheMaskIsAHitWithTheDirectoryBit)
{
    ASSERT_TRUE(QDir(tree.path()).mkpath("pub"));
    ASSERT_TRUE(QDir(tree.path()).mkpath("other/Public"));
    SERVE_TREE_OR_SKIP(server);
    context.useFileMasks(QStringLiteral("pub")); // the box text, wrapped to *pub*

    search(server->port());

    ASSERT_EQ(context.hitNames(), QStringList({url("/pub"), url("/other/Public")}));
    EXPECT_EQ(context.hits[0].Attrs, kAttrDirectory);
    EXPECT_EQ(context.hits[1].Attrs, kAttrDirectory);
}

TEST_F(FtpSearchServerTest, AwkwardPathsAreWalkedToTheBottom)
{
    const QString deep = QString::fromUtf8("a b/#1/100%/what?/ünï ✓/x;y+z&");
    ASSERT_TRUE(QDir(tree.path()).mkpath(deep));
    tree.write(deep + "/found it.txt", "!");
    SERVE_TREE_OR_SKIP(server);
    context.nameMatches = [](const QString& name) { return name.endsWith(QStringLiteral(".txt")); };

    search(server->port());

    EXPECT_EQ(context.hitNames(), QStringList({url(u'/' + deep + "/found it.txt")}));
}

TEST_F(FtpSearchServerTest, RefusedAnonymousLoginGivesNoHitsAndNoActivity)
{
    START_OR_SKIP(server, FtpTestServer::serveScript(address, {{"refuse", "pass"}}, why));

    search(server->port());

    EXPECT_TRUE(context.hits.empty());
    EXPECT_TRUE(context.activities.empty());
}

TEST_F(FtpSearchServerTest, AConnectionDroppedMidListingEndsTheHostPromptly)
{
    QByteArray big;
    for (int i = 0; i < 3000; ++i)
        big += "-rw-r--r-- 1 u g 1 Jan  5  2020 file" + QByteArray::number(i) + ".txt\r\n";
    QJsonObject listings{{"/",
                          "drwxr-xr-x 2 u g 0 Jan  5  2020 first\r\ndrwxr-xr-x 2 u g 0 Jan  5  2020 big\r\n"
                          "drwxr-xr-x 2 u g 0 Jan  5  2020 after\r\n"},
                         {"/first", "-rw-r--r-- 1 u g 1 Jan  5  2020 early.txt\r\n"},
                         {"/big", QString::fromLatin1(big)},
                         {"/after", "-rw-r--r-- 1 u g 1 Jan  5  2020 late.txt\r\n"}};
    START_OR_SKIP(server,
                  FtpTestServer::serveScript(address, {{"listings", listings}, {"drop", "/big"}}, why));
    context.nameMatches = [](const QString& name) { return name.endsWith(QStringLiteral(".txt")); };

    QElapsedTimer timer;
    timer.start();
    search(server->port());

    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_EQ(context.hitNames(), QStringList({url("/first/early.txt")}));
    EXPECT_EQ(server->commandLog().count("USER"), 1); // no reconnecting for /after
}

TEST_F(FtpSearchServerTest, StopDuringAWalkEndsItPromptly)
{
    QDir root(tree.path());
    for (int i = 0; i < 40; ++i) {
        const QString folder = QStringLiteral("d%1").arg(i, 2, 10, QLatin1Char('0'));
        ASSERT_TRUE(root.mkpath(folder));
        for (int j = 0; j < 5; ++j)
            tree.write(folder + QStringLiteral("/f%1.txt").arg(j), "x");
    }
    SERVE_TREE_OR_SKIP(server);
    int delivered = 0;
    context.onHit = [&](const TItemRecord&) {
        if (++delivered == 50)
            context.stop.request_stop();
    };

    QElapsedTimer timer;
    timer.start();
    search(server->port());

    EXPECT_EQ(context.hits.size(), 50u); // nothing after the stop
    EXPECT_LT(timer.elapsed(), 5000);
}

TEST_F(FtpSearchServerTest, StopWhileTheServerStallsEndsWithinASecond)
{
    QJsonObject listings{
        {"/", "drwxr-xr-x 2 u g 0 Jan  5  2020 slow\r\n"},
        {"/slow", "-rw-r--r-- 1 u g 1 Jan  5  2020 a\r\n-rw-r--r-- 1 u g 1 Jan  5  2020 b\r\n"}};
    START_OR_SKIP(server,
                  FtpTestServer::serveScript(address, {{"listings", listings}, {"stall", "/slow"}}, why));
    FtpClientOptions patient = TestFtpOptions(server->port());
    patient.stallTimeoutMs = 60000;
    patient.responseTimeoutMs = 60000;
    CurlFtpClientFactory factory(patient);

    QElapsedTimer timer;
    timer.start();
    std::thread stopper([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        context.stop.request_stop();
    });
    FtpSearchHost(host(), factory, context);
    const qint64 elapsed = timer.elapsed();
    stopper.join();

    EXPECT_LT(elapsed, 700 + 1500);
    EXPECT_EQ(context.hitNames(), QStringList({url("/slow")}));
}

// The formats servers send, through a real FTP conversation: one folder per
// format, each holding a file and (where the format has folders) a subfolder.
TEST_F(FtpSearchServerTest, ListingFormatsOfRealServersEndToEnd)
{
    QJsonObject listings{
        {"/", "total 9\r\n"
              "drwxr-xr-x   2 ftp ftp 4096 Mar  3  2021 unix\r\n"
              "lrwxrwxrwx   1 ftp ftp    4 Mar  3  2021 link -> unix\r\n"
              "drwxr-xr-x   2 ftp ftp 4096 Mar  3  2021 dos\r\n"
              "drwxr-xr-x   2 ftp ftp 4096 Mar  3  2021 vms\r\n"
              "drwxr-xr-x   2 ftp ftp 4096 Mar  3  2021 eplf\r\n"
              "drwxr-xr-x   2 ftp ftp 4096 Mar  3  2021 mlsd\r\n"
              "drwxr-xr-x   2 ftp ftp 4096 Mar  3  2021 netware\r\n"
              "drwxr-xr-x   2 ftp ftp 4096 Mar  3  2021 os2\r\n"
              "drwxr-xr-x   2 ftp ftp 4096 Mar  3  2021 as400\r\n"
              "drwxr-xr-x   2 ftp ftp 4096 Mar  3  2021 mvs\r\n"},
        {"/unix", "-rw-r--r-- 1 1000 1000 5368709120 Jan  2  2023 big image.iso\r\n"},
        {"/dos", "01-05-20  12:34PM       <DIR>          Sub Dir\r\n"
                 "07-04-2021  14:34        1,234,567 report.doc\r\n"},
        {"/dos/Sub Dir", "12-31-99  11:59PM   10 deep.txt\r\n"},
        {"/vms", "Directory DISK$PUB:[ANONYMOUS.VMS]\r\n\r\n"
                 "A_VERY_LONG_FILE_NAME_THAT_WRAPS.TXT;12\r\n"
                 "                      10/12      29-FEB-2000 23:59:59 [GROUP,OWNER] (RWED,RWED,,)\r\n"
                 "\r\nTotal of 1 file, 10/12 blocks.\r\n"},
        {"/eplf", "+i8388621.48594,m825718503,r,s280,\tdjb.html\r\n"},
        {"/mlsd", "type=cdir;modify=20240101000000; /mlsd\r\n"
                  "type=file;size=42;modify=20240102030405; facts; name.txt\r\n"},
        {"/netware", "- [RWCEAFMS] Supervisor 1024 Mar 16  2019 net file.dat\r\n"},
        {"/os2", "       73098  A          04-06-97  15:21  OS2 HELP.INF\r\n"},
        {"/as400", "USER          123456 01/05/20 12:34:56 *STMF      my file.txt\r\n"},
        {"/mvs", "Volume Unit    Referred Ext Used Recfm Lrecl BlkSz Dsorg Dsname\r\n"
                 "WYNK02 3390   2019/12/31  1    1  FB      80 27920  PS  USER.DATA\r\n"}};
    START_OR_SKIP(server, FtpTestServer::serveScript(address, {{"listings", listings}}, why));
    context.nameMatches = [](const QString& name) { return name.contains(u'.') || name.contains(u' '); };

    search(server->port());

    EXPECT_EQ(context.hitNames(),
              QStringList({url("/unix/big image.iso"), url("/dos/Sub Dir"), url("/dos/report.doc"),
                           url("/dos/Sub Dir/deep.txt"), url("/vms/A_VERY_LONG_FILE_NAME_THAT_WRAPS.TXT"),
                           url("/eplf/djb.html"), url("/mlsd/facts; name.txt"), url("/netware/net file.dat"),
                           url("/os2/OS2 HELP.INF"), url("/as400/my file.txt"), url("/mvs/USER.DATA")}));
    std::map<QString, int64_t> sizes;
    for (const TItemRecord& hit : context.hits)
        sizes[hit.FileName] = hit.Size;
    EXPECT_EQ(sizes[url("/unix/big image.iso")], 5368709120LL);
    EXPECT_EQ(sizes[url("/dos/report.doc")], 1234567);
    EXPECT_EQ(sizes[url("/vms/A_VERY_LONG_FILE_NAME_THAT_WRAPS.TXT")], 5120);
    EXPECT_EQ(sizes[url("/eplf/djb.html")], 280);
    EXPECT_EQ(sizes[url("/mlsd/facts; name.txt")], 42);
    EXPECT_EQ(context.hits[1].Attrs, kAttrDirectory);
    EXPECT_DOUBLE_EQ(context.hits[3].DateTime, EncodeDateTime({1999, 12, 31, 23, 59, 0, 0}));
    // The link is tested (it does not match) but never walked.
    EXPECT_FALSE(server->commandLog().contains("CWD /link"));
}

// A folder whose name starts with blanks, next to a file of the stripped name
// and a folder whose name ends with a blank: each is entered by its exact name.
TEST_F(FtpSearchServerTest, FoldersAreEnteredByTheirExactNamesBlanksIncluded)
{
    QJsonObject listings{{"/", "drwxr-xr-x 2 u g 0 Jan  5  2020   docs\r\n"
                               "-rw-r--r-- 1 u g 9 Jan  5  2020 docs\r\n"
                               "drwxr-xr-x 2 u g 0 Jan  5  2020 tail \r\n"
                               "drwxr-xr-x 2 u g 0 Jan  5  2020 tail\r\n"},
                         {"/  docs", "-rw-r--r-- 1 u g 11 Jan  5  2020  in blanks.txt\r\n"},
                         {"/tail ", "-rw-r--r-- 1 u g 12 Jan  5  2020 with blank.txt\r\n"},
                         {"/tail", "-rw-r--r-- 1 u g 13 Jan  5  2020 without.txt\r\n"}};
    START_OR_SKIP(server, FtpTestServer::serveScript(address, {{"listings", listings}}, why));
    context.nameMatches = [](const QString&) { return true; };

    search(server->port());

    EXPECT_EQ(context.hitNames(), QStringList({url("/  docs"), url("/docs"), url("/tail "), url("/tail"),
                                               url("/  docs/ in blanks.txt"), url("/tail /with blank.txt"),
                                               url("/tail/without.txt")}));
    ASSERT_EQ(context.hits.size(), 7u);
    EXPECT_EQ(context.hits[0].Attrs, kAttrDirectory);
    EXPECT_EQ(context.hits[1].Attrs, 0); // the file of the stripped name is no folder
    EXPECT_EQ(context.hits[1].Size, 9);
    EXPECT_EQ(context.hits[4].Size, 11);
    const QByteArray log = server->commandLog();
    EXPECT_TRUE(log.contains("CWD /  docs\n")) << log.toStdString();
    EXPECT_TRUE(log.contains("CWD /tail \n")) << log.toStdString();
    EXPECT_FALSE(log.contains("CWD /docs")) << log.toStdString();
}

// The whole search over TLS, offered or required, with the default setting (no
// certificate check: the test certificate is self-signed).
TEST_F(FtpSearchServerTest, ServersWithTlsAreSearchedEncrypted)
{
    ASSERT_TRUE(QDir(tree.path()).mkpath("pub/sub"));
    tree.write("pub/a.txt", "a");
    tree.write("pub/sub/b.txt", "bb");
    for (const FtpTestServer::Tls tls : {FtpTestServer::Tls::Optional, FtpTestServer::Tls::Required}) {
        START_OR_SKIP(server, FtpTestServer::serveFolderOverTls(address, tree.path(), tls, why));
        context.hits.clear();
        context.nameMatches = [](const QString& name) { return name.endsWith(QStringLiteral(".txt")); };

        search(server->port());

        EXPECT_EQ(context.hitNames(), QStringList({url("/pub/a.txt"), url("/pub/sub/b.txt")}));
        const QByteArray log = server->commandLog();
        EXPECT_EQ(log.count("LIST data=tls\n"), 3) << log.toStdString();
        EXPECT_FALSE(log.contains("data=plain")) << log.toStdString();
    }
}

// With the certificate check on, a server whose certificate does not verify is
// not searched (and not tried again in plain text).
TEST_F(FtpSearchServerTest, WithTheCertificateCheckOnAnUnverifiableServerIsNotSearched)
{
    tree.write("a.txt", "a");
    START_OR_SKIP(server,
                  FtpTestServer::serveFolderOverTls(address, tree.path(), FtpTestServer::Tls::Optional, why));
    context.nameMatches = [](const QString&) { return true; };
    context.config.FtpVerifyCertificates = true;

    search(server->port());

    EXPECT_TRUE(context.hits.empty());
    EXPECT_FALSE(server->commandLog().contains("USER")) << server->commandLog().toStdString();
}

} // namespace
