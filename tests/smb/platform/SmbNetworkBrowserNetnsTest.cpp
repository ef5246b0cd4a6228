#include "model/StopFlag.h"
#include "platform/SmbNetworkBrowser.h"
#include "support/SmbFixture.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <gtest/gtest.h>
#include <unistd.h>

// Browsing a NetBIOS network that lives wholly in network namespaces the test
// creates (tests/fixtures/smb-browse-net.sh): a master browser and a second
// server of workgroup KESTROVANET, and a client namespace where the browse
// agents run.
namespace {

const QString kWorkgroup = QStringLiteral("KESTROVANET");

QString fixtureScript()
{
    return QStringLiteral(KESTROVA_FIXTURES_DIR "/smb-browse-net.sh");
}

QString fixtureDir()
{
    return QStringLiteral(KESTROVA_BINARY_DIR "/smb-browse-fixture-%1").arg(::getpid());
}

QString runFixture(const QString& action, QString* failure)
{
    QProcess process;
    process.start(fixtureScript(), {action, fixtureDir()});
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        *failure = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
        if (failure->isEmpty())
            *failure = QStringLiteral("%1 %2 failed").arg(fixtureScript(), action);
        return {};
    }
    return QString::fromLocal8Bit(process.readAllStandardOutput()).trimmed();
}

std::vector<TNetResource> browseAll(SmbNetworkBrowser& browser, const TNetResource* container,
                                    PlatformError& error)
{
    std::vector<TNetResource> all;
    auto enumeration = browser.open(container, error);
    if (!enumeration)
        return all;
    std::vector<TNetResource> chunk;
    for (;;) {
        EnumResult result = enumeration->next(512, chunk, error);
        all.insert(all.end(), chunk.begin(), chunk.end());
        if (result == EnumResult::NoMoreItems || result == EnumResult::Error)
            return all;
    }
}

const TNetResource* named(const std::vector<TNetResource>& resources, const QString& remoteName)
{
    for (const TNetResource& resource : resources)
        if (resource.RemoteName.compare(remoteName, Qt::CaseInsensitive) == 0)
            return &resource;
    return nullptr;
}

// Browse lists fill as the election ends and servers announce themselves:
// ask again until everything wanted is there or the time is up.
std::vector<TNetResource> browseUntil(SmbNetworkBrowser& browser, const TNetResource* container,
                                      const QStringList& wanted, int seconds)
{
    QDeadlineTimer deadline(seconds * 1000);
    std::vector<TNetResource> listed;
    do {
        PlatformError error;
        listed = browseAll(browser, container, error);
        bool complete = true;
        for (const QString& name : wanted)
            complete = complete && named(listed, name);
        if (complete)
            return listed;
        QThread::msleep(1000);
    } while (!deadline.hasExpired());
    return listed;
}

class SmbNetworkBrowserNetnsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (::geteuid() != 0) {
            s_skipReason = QStringLiteral("network namespaces need root");
            return;
        }
        for (const char* tool : {"ip", "smbd", "nmbd"})
            if (QStandardPaths::findExecutable(
                    QString::fromLatin1(tool),
                    {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin"), QStringLiteral("/usr/bin")})
                    .isEmpty()) {
                s_skipReason = QStringLiteral("%1 is not installed").arg(QString::fromLatin1(tool));
                return;
            }
        QString failure;
        s_clientNamespace = runFixture(QStringLiteral("start"), &failure);
        if (s_clientNamespace.isEmpty())
            s_skipReason = QStringLiteral("cannot create the test network: ") + failure;
    }

    static void TearDownTestSuite()
    {
        QString failure;
        runFixture(QStringLiteral("stop"), &failure);
        QDir(fixtureDir()).removeRecursively();
        SmbAgentProcess::setAgentCommand({});
    }

    void SetUp() override
    {
        if (!s_skipReason.isEmpty())
            GTEST_SKIP() << s_skipReason.toStdString();
        StopFlag = 0;
        SmbAgentProcess::setAgentCommand({QStringLiteral("ip"), QStringLiteral("netns"),
                                          QStringLiteral("exec"), s_clientNamespace,
                                          QStringLiteral(KESTROVA_BINARY_DIR "/" KESTROVA_SMB_AGENT_NAME)});
    }

    void TearDown() override { StopFlag = 0; }

    static QString s_skipReason;
    static QString s_clientNamespace;
};

QString SmbNetworkBrowserNetnsTest::s_skipReason;
QString SmbNetworkBrowserNetnsTest::s_clientNamespace;

} // namespace

TEST_F(SmbNetworkBrowserNetnsTest, BrowsesWorkgroupsServersAndShares)
{
    SmbNetworkBrowser browser;
    std::vector<TNetResource> groups = browseUntil(browser, nullptr, {kWorkgroup}, 90);
    const TNetResource* group = named(groups, kWorkgroup);
    ASSERT_NE(group, nullptr) << "the workgroup never showed up at the top of the network";
    EXPECT_EQ(group->DisplayType, kResourceDisplayTypeDomain);
    EXPECT_TRUE(group->Usage & kResourceUsageContainer);

    std::vector<TNetResource> servers =
        browseUntil(browser, group, {QStringLiteral("\\\\KBROWSE1"), QStringLiteral("\\\\KBROWSE2")}, 120);
    const TNetResource* master = named(servers, QStringLiteral("\\\\KBROWSE1"));
    const TNetResource* other = named(servers, QStringLiteral("\\\\KBROWSE2"));
    ASSERT_TRUE(master && other) << "servers listed: " << servers.size();
    EXPECT_EQ(master->DisplayType, kResourceDisplayTypeServer);
    EXPECT_EQ(master->Comment, QStringLiteral("Kestrova browse test KBROWSE1"));
    for (const TNetResource& server : servers)
        EXPECT_TRUE(server.RemoteName.startsWith(QLatin1String("\\\\"))) << server.RemoteName.toStdString();

    PlatformError error;
    std::vector<TNetResource> shares = browseAll(browser, other, error);
    ASSERT_FALSE(error.failed()) << error.message.toStdString();
    const TNetResource* docs = named(shares, QStringLiteral("\\\\KBROWSE2\\docs"));
    ASSERT_NE(docs, nullptr);
    EXPECT_EQ(docs->DisplayType, kResourceDisplayTypeShare);
    EXPECT_EQ(named(shares, QStringLiteral("\\\\KBROWSE2\\IPC$")), nullptr);
}

TEST_F(SmbNetworkBrowserNetnsTest, UnknownWorkgroupIsAnErrorWithACode)
{
    SmbNetworkBrowser browser;
    TNetResource missing =
        *SmbNetworkBrowser::resourceFor(nullptr, QStringLiteral("NOSUCHGROUP"), 1, QString());
    PlatformError error;
    auto enumeration = browser.open(&missing, error);
    EXPECT_FALSE(enumeration);
    EXPECT_TRUE(error.failed());
    EXPECT_FALSE(error.message.isEmpty());
}

TEST_F(SmbNetworkBrowserNetnsTest, StoppedBrowseFailsAndTheNextOpenStartsAFreshAgent)
{
    SmbNetworkBrowser browser;
    StopFlag = 1;
    PlatformError error;
    EXPECT_FALSE(browser.open(nullptr, error));
    EXPECT_EQ(error.code, ECANCELED);
    StopFlag = 0;
    std::vector<TNetResource> groups = browseUntil(browser, nullptr, {kWorkgroup}, 90);
    EXPECT_NE(named(groups, kWorkgroup), nullptr);
}
