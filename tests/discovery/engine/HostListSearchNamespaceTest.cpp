#include "model/DiscoverySettings.h"
#include "platform/MulticastHostDiscovery.h"
#include "support/DiscoveryNet.h"
#include "support/QStringPrinter.h"
#include "support/engine/LiveSearch.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>

// Whole searches of a network without NetBIOS: in namespaces the fixture makes,
// KWSD1 answers WS-Discovery only and kmdns1 announces _smb._tcp over mDNS only,
// both serving SMB2/3 without NetBIOS; KWSD1 also drops ICMP echo. Every search
// runs inside the client namespace (its threads and agents are made there).
namespace {

using namespace std::chrono_literals;

// Set in the copy of this binary that the unprivileged test starts as nobody.
constexpr const char* kChildVariable = "KESTROVA_DISCOVERY_UNPRIVILEGED_CHILD";

DiscoveryNet* g_net = nullptr;

QStringList SortedNames(const THeadlessSearchResult& result)
{
    QStringList names = ItemNames(result);
    names.sort(Qt::CaseInsensitive);
    return names;
}

// An IP-range search of KWSD1's and kmdns1's addresses with ICMP and the TCP probe, in the
// calling thread's namespace.
THeadlessSearchResult SearchKwsd1ByRange()
{
    DiscoverySettingsGuard guard;
    LiveSearchDiscovery.Method = (TDiscoveryMethod::ICMP | TDiscoveryMethod::TCP).Bits();
    LiveSearchDiscovery.TimeOut = 1000;
    TThreadConfig config;
    config.SearchMethod = TSearchType::IpAddressRange;
    config.ResList = QStringLiteral("198.18.0.2-198.18.0.3");
    config.FileMasks = QStringLiteral("*.txt");
    LiveSearch search;
    return search.run(config);
}

class HostListSearchNamespaceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!std::getenv(kChildVariable))
            g_net = new DiscoveryNet;
    }
    static void TearDownTestSuite()
    {
        delete g_net;
        g_net = nullptr;
    }
    void SetUp() override
    {
        if (std::getenv(kChildVariable))
            return;
        if (!g_net->unavailable().isEmpty())
            GTEST_SKIP() << "no discovery network: " << g_net->unavailable().toStdString();
        SmbAgentProcess::setAgentCommand({QStringLiteral("ip"), QStringLiteral("netns"),
                                          QStringLiteral("exec"), g_net->clientNamespace(),
                                          QStringLiteral(KESTROVA_BINARY_DIR "/" KESTROVA_SMB_AGENT_NAME)});
    }
};

TEST_F(HostListSearchNamespaceTest, EntireNetworkFindsTheFilesOfHostsWithoutNetBios)
{
    if (std::getenv(kChildVariable))
        GTEST_SKIP() << "only the parent runs this";
    THeadlessSearchResult result;
    g_net->runInClient([&] {
        TThreadConfig config;
        config.SearchMethod = TSearchType::EntireNetwork;
        config.FileMasks = QStringLiteral("*.txt");
        MulticastHostDiscovery discovery;
        LiveSearch search;
        search.hostDiscovery = &discovery;
        result = search.run(config);
    });
    const QStringList log = LogTexts(result);
    const std::string logText = log.join("\n").toStdString();
    EXPECT_EQ(SortedNames(result),
              QStringList({"\\\\198.18.0.2\\docs\\kwsd1.txt", "\\\\198.18.0.3\\docs\\kmdns1.txt"}))
        << logText;
    EXPECT_GE(log.indexOf("Computer KWSD1 (198.18.0.2) found by WS-Discovery."), 0) << logText;
    EXPECT_GE(log.indexOf("Computer kmdns1 (198.18.0.3) found by DNS-SD."), 0) << logText;
    EXPECT_GE(
        log.indexOf("Computers found: NetBIOS browse list 0, WS-Discovery 1, DNS-SD 1 (2 computers in all)."),
        0)
        << logText;
    EXPECT_EQ(log.back(), "Search finished.");
}

TEST_F(HostListSearchNamespaceTest, AHostDroppingIcmpIsFoundByTheTcpProbe)
{
    if (std::getenv(kChildVariable))
        GTEST_SKIP() << "only the parent runs this";
    THeadlessSearchResult result;
    g_net->runInClient([&] { result = SearchKwsd1ByRange(); });
    const std::string logText = LogTexts(result).join("\n").toStdString();
    EXPECT_GE(LogIndex(result, "Computer \\\\198.18.0.2 enqueued."), 0) << logText;
    EXPECT_EQ(SortedNames(result),
              QStringList({"\\\\198.18.0.2\\docs\\kwsd1.txt", "\\\\198.18.0.3\\docs\\kmdns1.txt"}))
        << logText;
}

// Run by the next test as nobody inside the client namespace: prints the log.
TEST_F(HostListSearchNamespaceTest, ChildSearchesAsNobody)
{
    if (!std::getenv(kChildVariable))
        GTEST_SKIP() << "run as nobody by AHostDroppingIcmpIsFoundAlsoWithoutPrivilege";
    const THeadlessSearchResult result = SearchKwsd1ByRange();
    for (const QString& line : LogTexts(result))
        std::printf("log: %s\n", qPrintable(line));
    for (const QString& name : ItemNames(result))
        std::printf("item: %s\n", qPrintable(name));
}

TEST_F(HostListSearchNamespaceTest, AHostDroppingIcmpIsFoundAlsoWithoutPrivilege)
{
    if (std::getenv(kChildVariable))
        GTEST_SKIP() << "only the parent runs this";
    if (QFile::exists(QStringLiteral("/usr/bin/setpriv")) == false)
        GTEST_SKIP() << "setpriv is missing: cannot drop to an unprivileged user";
    const QString self = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    qputenv(kChildVariable, "1");
    // The agent is started directly now: the child is in the namespace already and
    // could not enter one as nobody anyway. It is not beside this binary, so the
    // child is told where it is, as a user of the program can. A checkout in a
    // private folder (mktemp -d makes them 0700) is closed to nobody: the child gets
    // a copy of the agent in a folder anyone may enter.
    QTemporaryDir agentDir(QDir::tempPath() + QStringLiteral("/kestrova-agent-XXXXXX"));
    ASSERT_TRUE(agentDir.isValid());
    const QFileDevice::Permissions open =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup |
        QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
    const QString agent = agentDir.filePath(QStringLiteral(KESTROVA_SMB_AGENT_NAME));
    ASSERT_TRUE(QFile::setPermissions(agentDir.path(), open));
    ASSERT_TRUE(QFile::copy(QStringLiteral(KESTROVA_BINARY_DIR "/" KESTROVA_SMB_AGENT_NAME), agent));
    ASSERT_TRUE(QFile::setPermissions(agent, open));
    const QByteArray agentBefore = qgetenv("KESTROVA_SMB_AGENT");
    qputenv("KESTROVA_SMB_AGENT", QFile::encodeName(agent));
    const TProgramResult child = RunProgram(
        QStringLiteral("ip"),
        {QStringLiteral("netns"), QStringLiteral("exec"), g_net->clientNamespace(), QStringLiteral("setpriv"),
         QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups"),
         QStringLiteral("--inh-caps=-all"), QStringLiteral("--bounding-set=-all"), self,
         QStringLiteral("--gtest_filter=HostListSearchNamespaceTest.ChildSearchesAsNobody")},
        120000);
    qunsetenv(kChildVariable);
    if (agentBefore.isEmpty())
        qunsetenv("KESTROVA_SMB_AGENT");
    else
        qputenv("KESTROVA_SMB_AGENT", agentBefore);
    const QString output = QString::fromLocal8Bit(child.output);
    if (const char* path = std::getenv("KESTROVA_UNPRIVILEGED_LOG")) {
        QFile file(QString::fromLocal8Bit(path));
        if (file.open(QIODevice::WriteOnly))
            file.write(child.output);
    }
    ASSERT_EQ(child.exitCode, 0) << output.toStdString() << child.errors.toStdString();
    if (output.contains("cannot execute") || output.contains("Permission denied"))
        GTEST_SKIP() << "nobody cannot run the test binary: " << output.toStdString();
    // No ping socket (the namespace's ping_group_range is empty) and no raw socket:
    // the log says so once, and the TCP probe still finds the host.
    EXPECT_EQ(output.count("log: ICMP echo needs "), 1) << output.toStdString();
    EXPECT_TRUE(output.contains("; using the other methods.")) << output.toStdString();
    EXPECT_TRUE(output.contains("log: Computer \\\\198.18.0.2 enqueued.")) << output.toStdString();
    // Both hosts' shares are listed and searched without privilege too.
    EXPECT_FALSE(output.contains("No folders found")) << output.toStdString();
    EXPECT_TRUE(output.contains("log: Found 1 folders on \\\\198.18.0.2: docs")) << output.toStdString();
    EXPECT_TRUE(output.contains("item: \\\\198.18.0.2\\docs\\kwsd1.txt")) << output.toStdString();
    EXPECT_TRUE(output.contains("item: \\\\198.18.0.3\\docs\\kmdns1.txt")) << output.toStdString();
}

} // namespace
