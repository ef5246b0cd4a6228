#include "support/QStringPrinter.h"
#include "support/SmbFixture.h"
#include "support/engine/LiveSearch.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <csignal>
#include <gtest/gtest.h>
#include <unistd.h>

// Searches of the Samba test hosts where something goes wrong or is cut short: hosts
// with nothing listening, shares that refuse a listing, a stop in the middle of a
// walk, an agent that dies, a folder that links back above itself.
namespace {

using SmbFixture::hostUnc;

// The SMB agents this process started and that still run.
std::vector<pid_t> RunningAgents()
{
    std::vector<pid_t> agents;
    const QDir tasks("/proc/self/task");
    for (const QString& task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile children(tasks.filePath(task + "/children"));
        if (!children.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& pid : children.readAll().split(' ')) {
            if (pid.trimmed().isEmpty())
                continue;
            const QString exe =
                QFileInfo("/proc/" + QString::fromLatin1(pid.trimmed()) + "/exe").symLinkTarget();
            if (QFileInfo(exe).fileName() == "kestrova-smb-agent")
                agents.push_back(pid.trimmed().toInt());
        }
    }
    return agents;
}

class ShareSearchFailureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        KESTROVA_REQUIRE_SMB_FIXTURE();
        config.SearchMethod = TSearchType::SpecifiedComputers;
        config.FileMasks = "*";
    }
    void TearDown() override { SmbAgentProcess::setAgentCommand({}); }

    static QString Public(const QString& relative) { return hostUnc(2) + "\\public\\" + relative; }

    TThreadConfig config;
};

TEST_F(ShareSearchFailureTest, HostWithNothingListeningHasNoFoldersAndIsLeftQuickly)
{
    config.ResList = SmbFixture::silentHostUnc();
    LiveSearch search;
    QElapsedTimer timer;
    timer.start();
    const THeadlessSearchResult result = search.run(config);

    EXPECT_TRUE(result.Items.isEmpty());
    EXPECT_TRUE(result.Errors.empty());
    EXPECT_GE(LogIndex(result, "No folders found on " + SmbFixture::silentHostUnc()), 0)
        << LogTexts(result).join("\n").toStdString();
    // A refused connection is known within milliseconds; only a second time-out
    // or a retry on another port would take seconds.
    EXPECT_LT(timer.elapsed(), 5000);
}

TEST_F(ShareSearchFailureTest, ShareThatRefusesTheListingIsLoggedWithItsErrorAndTheOthersAreSearched)
{
    config.ResList = hostUnc(2);
    config.FileMasks = "readme.txt";
    LiveSearch search;
    const THeadlessSearchResult result = search.run(config);

    EXPECT_EQ(ItemNames(result), QStringList({Public("readme.txt")}));
    // No account: alice's and bob's shares refuse the guest.
    for (const char* share : {"alice", "bob"}) {
        const QString prefix = "Cannot search " + hostUnc(2) + "\\" + share + ": error code 13 (";
        const QStringList lines = LogLinesStartingWith(result, prefix);
        ASSERT_EQ(lines.size(), 1) << LogTexts(result).join("\n").toStdString();
        EXPECT_TRUE(lines.front().endsWith(')'));
        EXPECT_GT(lines.front().size(), prefix.size() + 1) << "the error text is missing";
    }
    EXPECT_GE(LogIndex(result, "Searching " + hostUnc(2) + "\\public..."), 0);
    // A folder below a share that cannot be listed is skipped without a line.
    EXPECT_TRUE(LogLinesStartingWith(result, "Cannot search " + Public("")).isEmpty());
}

TEST_F(ShareSearchFailureTest, StopDuringAWalkEndsTheWorkerAndStillDropsItsConnections)
{
    config.ResList = hostUnc(2);
    config.AutoUnmount = true;
    const QString host = hostUnc(2);
    LiveSearch search;
    search.accounts = {{host, SmbFixture::alice().name, SmbFixture::alice().password},
                       {host + "\\public", SmbFixture::alice().name, SmbFixture::alice().password}};
    int hits = 0;
    QElapsedTimer sinceStop;
    search.stopWhen = [&] {
        if (hits >= 3 && !sinceStop.isValid())
            sinceStop.start();
        return sinceStop.isValid();
    };
    search.onHit = [&](const TItemRecord&) { ++hits; };
    const THeadlessSearchResult result = search.run(config);

    EXPECT_TRUE(result.Stopped);
    ASSERT_TRUE(sinceStop.isValid());
    EXPECT_LT(sinceStop.elapsed(), 5000);
    // The public share alone holds more than 40 entries. Hits reach the main thread in
    // batches, so those a worker queued before the stop still arrive (one batch); the
    // walk itself ends at the stop and never reaches the end of the share.
    EXPECT_LT(result.Items.size(), 40);
    EXPECT_TRUE(result.Errors.empty());
    // Share first (its guard is the inner one), then the host.
    EXPECT_EQ(search.shareClients.cancelledConnections(), QStringList({host + "\\public", host}));
    // Only the logon to the host itself is logged.
    EXPECT_EQ(LogLinesStartingWith(result, "Logged to"),
              QStringList({"Logged to " + host + " as " + SmbFixture::alice().name}));

    // Without AutoUnmount the connections are left to the client.
    config.AutoUnmount = false;
    config.FileMasks = "readme.txt";
    LiveSearch kept;
    kept.accounts = search.accounts;
    const THeadlessSearchResult whole = kept.run(config);
    EXPECT_FALSE(whole.Stopped);
    EXPECT_EQ(ItemNames(whole), QStringList({Public("readme.txt")}));
    EXPECT_TRUE(kept.shareClients.cancelledConnections().isEmpty());
}

TEST_F(ShareSearchFailureTest, AgentKilledInTheMiddleOfAWalkEndsThatHostsSearchOnly)
{
    config.ResList = hostUnc(2) + "," + hostUnc(3);
    config.MaxThreads = 1; // one host at a time: the agents running are host 2's
    LiveSearch search;
    std::vector<pid_t> killed;
    search.onHit = [&](const TItemRecord& hit) {
        if (!killed.empty() || !hit.FileName.startsWith(hostUnc(2) + "\\"))
            return;
        killed = RunningAgents();
        for (pid_t pid : killed)
            ::kill(pid, SIGKILL);
    };
    const THeadlessSearchResult result = search.run(config);

    ASSERT_FALSE(killed.empty()) << "no agent found to end";
    EXPECT_FALSE(result.Stopped);
    EXPECT_TRUE(result.Errors.empty());
    const QStringList names = ItemNames(result);
    // Host 3 is searched in full after host 2's agent has gone.
    for (const QString& name : {hostUnc(3) + "\\docs\\letters\\letter.doc", hostUnc(3) + "\\docs\\manual.pdf",
                                hostUnc(3) + "\\docs\\letters"})
        EXPECT_TRUE(names.contains(name)) << name.toStdString();
    // Host 2 gives what its first listing held, nothing from deeper folders.
    EXPECT_FALSE(names.contains(Public("docs\\report.doc")));
    EXPECT_FALSE(names.contains(Public("docs\\sub\\notes.txt")));
    EXPECT_GE(LogIndex(result, "Search finished."), 0);
}

TEST_F(ShareSearchFailureTest, LinkBackToTheShareRootIsNotWalkedRoundAndRound)
{
    config.ResList = hostUnc(2);
    config.FileMasks = "file.txt;up;readme.txt";
    LiveSearch search;
    const THeadlessSearchResult result = search.run(config);

    QStringList names = ItemNames(result);
    names.sort();
    EXPECT_EQ(names, QStringList(
                         {Public("loop\\inner\\file.txt"), Public("loop\\inner\\up"), Public("readme.txt")}));
    EXPECT_TRUE(result.Errors.empty());
}

} // namespace
