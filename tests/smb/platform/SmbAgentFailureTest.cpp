#include "platform/SmbShareClient.h"
#include "support/ShareClientCalls.h"
#include "support/SilentTcpServer.h"
#include "support/SmbFixture.h"

#include <QElapsedTimer>
#include <cerrno>
#include <csignal>
#include <gtest/gtest.h>
#include <stop_token>
#include <thread>

using namespace SmbFixture;

// How a client copes with agents that hang, die or cannot start, and with hosts
// that do not answer. Bounds on elapsed time here are generous: they tell a
// bounded wait from a hang, they do not measure speed.
namespace {

class SmbAgentFailureTest : public ::testing::Test {
protected:
    void SetUp() override { useBuiltAgent(); }
    void TearDown() override { SmbAgentProcess::setAgentCommand({}); }

    // Agent options whose calls stop with this test's stop source.
    SmbAgentOptions stoppable()
    {
        SmbAgentOptions options;
        options.stop = stop.get_token();
        return options;
    }

    std::stop_source stop;

    // An SMB server on the test network that accepts and then never answers.
    static QString hangingHost() { return hostUnc(8); }
    static std::unique_ptr<SilentTcpServer> startHangingServer()
    {
        return std::make_unique<SilentTcpServer>(address(8), 445);
    }
};

// When the stop comes: after the agent has started and answered the port probe, so
// that it meets the share listing blocked in the network. The agent built with
// ThreadSanitizer takes up to a second for its start and the probe; a stop during
// the probe's reply would only fail the next call and leave the idle agent running.
#ifdef __SANITIZE_THREAD__
constexpr int kStopAfterMs = 1500;
#else
constexpr int kStopAfterMs = 400;
#endif

bool processExists(pid_t pid)
{
    return pid > 0 && (::kill(pid, 0) == 0 || errno != ESRCH);
}

} // namespace

TEST_F(SmbAgentFailureTest, StopEndsACallBlockedInTheNetworkWithinASecond)
{
    auto server = startHangingServer();
    if (!server->ok())
        GTEST_SKIP() << "cannot listen on port 445 (needs root): " << server->error().toStdString();
    SmbShareClient client(stoppable());
    std::thread stopper([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(kStopAfterMs));
        stop.request_stop();
    });
    QElapsedTimer timer;
    timer.start();
    std::vector<ShareInfo> shares;
    PlatformError error = ListShares(client, hangingHost(), shares);
    qint64 elapsed = timer.elapsed();
    stopper.join();
    EXPECT_EQ(error.code, ECANCELED);
    EXPECT_LT(elapsed, kStopAfterMs + 1500) << "the stop was not honoured promptly";
    EXPECT_TRUE(client.agent().isDead());
    EXPECT_EQ(client.agent().pid(), 0) << "the ended agent was reaped";
}

TEST_F(SmbAgentFailureTest, CallsAfterAStopFailAtOnceWithoutStartingAnAgent)
{
    stop.request_stop();
    SmbShareClient client(stoppable());
    std::vector<ShareDirEntry> entries;
    EXPECT_EQ(ListFolder(client, hostUnc(2) + QStringLiteral("\\public"), entries).code, ECANCELED);
    EXPECT_EQ(client.agent().pid(), 0);
}

TEST_F(SmbAgentFailureTest, AnAgentThatDoesNotAnswerInTimeIsEnded)
{
    auto server = startHangingServer();
    if (!server->ok())
        GTEST_SKIP() << "cannot listen on port 445 (needs root): " << server->error().toStdString();
    SmbAgentOptions options;
    options.callTimeoutMs = 700;
    SmbShareClient client(options);
    QElapsedTimer timer;
    timer.start();
    std::vector<ShareInfo> shares;
    PlatformError error = ListShares(client, hangingHost(), shares);
    EXPECT_EQ(error.code, ETIMEDOUT);
    EXPECT_FALSE(error.message.isEmpty());
    EXPECT_LT(timer.elapsed(), 5000);
    // Later calls fail at once with the same reason.
    timer.restart();
    EXPECT_EQ(ListShares(client, hangingHost(), shares).code, ETIMEDOUT);
    EXPECT_LT(timer.elapsed(), 500); // no new agent, no second 700 ms wait
}

TEST_F(SmbAgentFailureTest, HostWithNothingListeningFailsFast)
{
    SmbShareClient client;
    QElapsedTimer timer;
    timer.start();
    std::vector<ShareInfo> shares;
    PlatformError error = ListShares(client, silentHostUnc(), shares);
    EXPECT_EQ(error.code, ECONNREFUSED);
    EXPECT_TRUE(error.message.contains(QString::fromLocal8Bit(strerror(ECONNREFUSED))))
        << error.message.toStdString();
    EXPECT_LT(timer.elapsed(), 3000);
    // The probe's verdict stands for the rest of this client's calls.
    std::vector<ShareDirEntry> entries;
    EXPECT_EQ(ListFolder(client, silentHostUnc() + QStringLiteral("\\share"), entries).code, ECONNREFUSED);
    EXPECT_EQ(Connect(client, silentHostUnc(), QStringLiteral("user"), QStringLiteral("pw")).code,
              ECONNREFUSED);
}

TEST_F(SmbAgentFailureTest, MissingAgentProgramIsAnErrorNotACrash)
{
    SmbAgentProcess::setAgentCommand({QStringLiteral("/nonexistent/kestrova-smb-agent")});
    SmbShareClient client;
    std::vector<ShareInfo> shares;
    PlatformError error = ListShares(client, hostUnc(2), shares);
    EXPECT_EQ(error.code, ENOENT);
    EXPECT_TRUE(error.message.contains(QStringLiteral("/nonexistent/kestrova-smb-agent")));
}

TEST_F(SmbAgentFailureTest, AgentCommandComesFromTheEnvironmentWithoutAnOverride)
{
    SmbAgentProcess::setAgentCommand({});
    qputenv("KESTROVA_SMB_AGENT", "/somewhere/agent");
    EXPECT_EQ(SmbAgentProcess::agentCommand(), QStringList{QStringLiteral("/somewhere/agent")});
    qunsetenv("KESTROVA_SMB_AGENT");
    QStringList beside = SmbAgentProcess::agentCommand();
    ASSERT_EQ(beside.size(), 1);
    EXPECT_TRUE(beside.first().endsWith(QStringLiteral("/" KESTROVA_SMB_AGENT_NAME)));
}

TEST_F(SmbAgentFailureTest, KilledAgentFailsTheNextCallsWithoutHanging)
{
    KESTROVA_REQUIRE_SMB_FIXTURE();
    SmbShareClient client;
    std::vector<ShareDirEntry> entries;
    const QString folder = hostUnc(2) + QStringLiteral("\\public");
    ASSERT_FALSE(ListFolder(client, folder, entries).failed());
    PlatformError openError;
    auto source = OpenFile(client, folder + QStringLiteral("\\readme.txt"), openError);
    ASSERT_TRUE(source);

    pid_t pid = client.agent().pid();
    ASSERT_TRUE(processExists(pid));
    ASSERT_EQ(::kill(pid, SIGKILL), 0);

    QElapsedTimer timer;
    timer.start();
    PlatformError error = ListFolder(client, folder, entries);
    EXPECT_EQ(error.code, EPIPE);
    EXPECT_TRUE(entries.empty());
    EXPECT_TRUE(ListFolder(client, folder, entries).failed());
    char buffer[4];
    EXPECT_EQ(source->read(0, buffer, sizeof buffer), -1);
    EXPECT_LT(timer.elapsed(), 2000);
    EXPECT_FALSE(processExists(pid)) << "the dead agent was reaped";
}

TEST_F(SmbAgentFailureTest, FileSourceMayOutliveItsClient)
{
    KESTROVA_REQUIRE_SMB_FIXTURE();
    std::unique_ptr<ByteSource> source;
    {
        SmbShareClient client;
        PlatformError error;
        source = OpenFile(client, hostUnc(2) + QStringLiteral("\\public\\readme.txt"), error);
        ASSERT_TRUE(source);
    }
    char buffer[6];
    ASSERT_EQ(source->read(0, buffer, sizeof buffer), 6);
    EXPECT_EQ(QByteArray(buffer, 6), QByteArray("readme"));
}

TEST_F(SmbAgentFailureTest, ClientsEndTheirAgentsWhenTheyGo)
{
    KESTROVA_REQUIRE_SMB_FIXTURE();
    pid_t pid = 0;
    {
        SmbShareClient client;
        std::vector<ShareInfo> shares;
        ASSERT_FALSE(ListShares(client, hostUnc(3), shares).failed());
        pid = client.agent().pid();
        ASSERT_TRUE(processExists(pid));
    }
    EXPECT_FALSE(processExists(pid));
}
