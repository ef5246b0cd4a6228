#include "support/FtpTestServer.h"
#include "support/QStringPrinter.h"
#include "support/SmbFixture.h"
#include "support/TempDir.h"
#include "support/engine/LiveSearch.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonObject>
#include <cstdio>
#include <gtest/gtest.h>

// Whole searches of several FTP servers on port 21 where one server drops the data
// connection in the middle of a listing and another stops answering in the middle
// of one: the search ends by itself with the good server's hits and the failures in
// the log, and a stop ends it within a second ("stop took N ms" is printed for
// bench/faults).
namespace {

using SmbFixture::address;

constexpr int kGood = 40, kDropping = 41, kStalling = 42;

QString Hit(int host, const QString& path)
{
    return "ftp://" + address(host) + path;
}

QString Unc(int host)
{
    return "\\\\" + address(host);
}

// Three folders, the middle one far too long to come through.
QJsonObject Script(const char* fault)
{
    QByteArray big;
    for (int i = 0; i < 3000; ++i)
        big += "-rw-r--r-- 1 u g 1 Jan  5  2020 file" + QByteArray::number(i) + ".txt\r\n";
    const QJsonObject listings{{"/", "drwxr-xr-x 2 u g 0 Jan  5  2020 first\r\n"
                                     "drwxr-xr-x 2 u g 0 Jan  5  2020 big\r\n"
                                     "drwxr-xr-x 2 u g 0 Jan  5  2020 after\r\n"},
                               {"/first", "-rw-r--r-- 1 u g 1 Jan  5  2020 early.txt\r\n"},
                               {"/big", QString::fromLatin1(big)},
                               {"/after", "-rw-r--r-- 1 u g 1 Jan  5  2020 late.txt\r\n"}};
    return {{"listings", listings}, {fault, "/big"}};
}

class FtpSearchUnderLoadTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QDir().mkpath(tree.file("pub/deep"));
        tree.write("top.txt", "t");
        tree.write("pub/a.txt", "a");
        tree.write("pub/deep/b.txt", "b");
        QString why;
        good = FtpTestServer::serveFolder(address(kGood), tree.path(), why, 21);
        if (good)
            dropping = FtpTestServer::serveScript(address(kDropping), Script("drop"), why, 21);
        if (dropping)
            stalling = FtpTestServer::serveScript(address(kStalling), Script("stall"), why, 21);
        if (!stalling)
            whyNot = why.isEmpty() ? QStringLiteral("a test FTP server did not start") : why;
        config.SearchMethod = TSearchType::SpecifiedComputers;
        config.FtpSearchMode = TFtpMode::FtpOnly;
        config.FileMasks = "*.txt";
        config.ResList = Unc(kDropping) + "," + Unc(kStalling) + "," + Unc(kGood);
    }

    void expectGoodHostComplete(const THeadlessSearchResult& result)
    {
        const QStringList names = ItemNames(result);
        for (const char* path : {"/top.txt", "/pub/a.txt", "/pub/deep/b.txt"})
            EXPECT_TRUE(names.contains(Hit(kGood, path))) << path;
    }

    TempDir tree;
    std::unique_ptr<FtpTestServer> good, dropping, stalling;
    QString whyNot;
    TThreadConfig config;
};

#define REQUIRE_SERVERS()                                                                                    \
    if (!whyNot.isEmpty()) {                                                                                 \
        if (FtpTestServer::unavailable())                                                                    \
            GTEST_SKIP() << whyNot.toStdString();                                                            \
        FAIL() << whyNot.toStdString();                                                                      \
    }

TEST_F(FtpSearchUnderLoadTest, DroppingAndStallingServersEndTheirHostsAndTheOthersAreSearched)
{
    REQUIRE_SERVERS();
    LiveSearch search; // the client's own time-outs (15 s without data) end the stall
    QElapsedTimer timer;
    timer.start();
    const THeadlessSearchResult result = search.run(config);

    EXPECT_FALSE(result.Stopped);
    EXPECT_LT(timer.elapsed(), 60000);
    EXPECT_TRUE(result.Errors.empty());
    expectGoodHostComplete(result);
    const QStringList names = ItemNames(result);
    EXPECT_TRUE(names.contains(Hit(kDropping, "/first/early.txt")));
    EXPECT_TRUE(names.contains(Hit(kStalling, "/first/early.txt")));
    // One line for each failing host, naming the listing that failed.
    for (int host : {kDropping, kStalling}) {
        const QStringList lines =
            LogLinesStartingWith(result, "Cannot search " + Hit(host, "/big") + ": error code ");
        EXPECT_EQ(lines.size(), 1) << LogTexts(result).join("\n").toStdString();
        EXPECT_EQ(LogLinesStartingWith(result, "Cannot search " + Hit(host, "")).size(), 1);
    }
    EXPECT_TRUE(LogLinesStartingWith(result, "Cannot search " + Hit(kGood, "")).isEmpty());
    EXPECT_GE(LogIndex(result, "Search finished."), 0);
}

TEST_F(FtpSearchUnderLoadTest, StopWhileAServerStallsAndAnotherDroppedEndsTheSearchWithinASecond)
{
    REQUIRE_SERVERS();
    LiveSearch search;
    QElapsedTimer started;
    started.start();
    // By then the dropping server has failed and the stalling one hangs.
    TimedStop stop([&] { return started.elapsed() >= 1500; });
    search.stopWhen = stop.condition();
    const THeadlessSearchResult result = search.run(config);
    const qint64 stopMs = stop.elapsedMs();

    ASSERT_TRUE(result.Stopped);
    std::printf("stop took %lld ms: FTP server stalled in a listing\n", static_cast<long long>(stopMs));
    EXPECT_LT(stopMs, 3000); // 1 s wanted; the bound leaves room for a loaded machine
    EXPECT_TRUE(result.Errors.empty());
    expectGoodHostComplete(result);
    // A stop is not a failure of the host.
    EXPECT_TRUE(LogLinesStartingWith(result, "Cannot search " + Hit(kStalling, "")).isEmpty())
        << LogTexts(result).join("\n").toStdString();
}

} // namespace
