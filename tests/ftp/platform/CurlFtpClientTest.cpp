#include "platform/CurlFtpClient.h"

#include "model/DateTime.h"
#include "support/FtpTestOptions.h"
#include "support/FtpTestServer.h"
#include "support/TempDir.h"
#include "support/TraceCapture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QJsonObject>
#include <QLoggingCategory>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <stop_token>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

const QString kAddress = QStringLiteral("127.0.3.1");

// The listing into entries; false when it failed.
bool List(FtpClient& client, const QString& path, std::vector<FtpListEntry>& entries)
{
    Result<std::vector<FtpListEntry>> listing = client.list(path);
    entries = listing ? std::move(listing).value() : std::vector<FtpListEntry>();
    return listing.ok();
}

// A port on the address that was free a moment ago: nothing listens on it.
uint16_t UnusedPort(const QString& address)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    inet_pton(AF_INET, address.toLatin1().constData(), &local.sin_addr);
    socklen_t length = sizeof local;
    uint16_t port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) == 0)
        port = ntohs(local.sin_port);
    close(fd);
    return port;
}

struct Names {
    QStringList names;
    QStringList folders;
};

Names NamesOf(const std::vector<FtpListEntry>& entries)
{
    Names result;
    for (const FtpListEntry& entry : entries) {
        result.names << entry.name;
        if (entry.isDirectory)
            result.folders << entry.name;
    }
    result.names.sort();
    result.folders.sort();
    return result;
}

// Requests source's stop after a delay from another thread, as the main thread would.
class DelayedStop {
public:
    DelayedStop(std::stop_source& source, int delayMs)
        : m_thread([&source, delayMs] {
              std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
              source.request_stop();
          })
    {
    }
    ~DelayedStop() { m_thread.join(); }

private:
    std::thread m_thread;
};

class CurlFtpClientTest : public ::testing::Test {
protected:
    // A tree with names that need escaping in URLs and one non-ASCII name.
    void makeTree()
    {
        QDir root(tree.path());
        ASSERT_TRUE(root.mkpath("pub/sub"));
        tree.write("readme.txt", "hello\n");
        tree.write("pub/a.txt", "a");
        tree.write("pub/sub/b.txt", "bb");
        for (const QString& awkward :
             {QStringLiteral("with blank"), QStringLiteral("hash#tag"), QStringLiteral("per%25cent"),
              QStringLiteral("what?"), QStringLiteral("semi;colon+and&"), QStringLiteral("ünïcødé ✓")}) {
            ASSERT_TRUE(root.mkpath("odd/" + awkward));
            tree.write("odd/" + awkward + "/inside " + awkward + ".txt", "x");
        }
    }

    TempDir tree;
};

TEST_F(CurlFtpClientTest, ListsTheLoginDirectoryAndFoldersBelowIt)
{
    makeTree();
    START_OR_SKIP(server, FtpTestServer::serveFolder(kAddress, tree.path(), why));
    CurlFtpClient client(TestFtpOptions(server->port()));
    ASSERT_TRUE(client.login(kAddress)) << client.lastError().message.toStdString();

    std::vector<FtpListEntry> entries;
    ASSERT_TRUE(List(client, "", entries));
    EXPECT_EQ(NamesOf(entries).names, QStringList({"odd", "pub", "readme.txt"}));
    EXPECT_EQ(NamesOf(entries).folders, QStringList({"odd", "pub"}));
    for (const FtpListEntry& entry : entries) {
        if (entry.name == "readme.txt") {
            EXPECT_EQ(entry.size, 6);
            EXPECT_GT(entry.dateTime, EncodeDateTime({2020, 1, 1}));
        }
    }
    ASSERT_TRUE(List(client, "/pub", entries));
    EXPECT_EQ(NamesOf(entries).names, QStringList({"a.txt", "sub"}));
    ASSERT_TRUE(List(client, "/pub/sub", entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "b.txt");
    EXPECT_EQ(entries[0].size, 2);
    client.logout();
}

TEST_F(CurlFtpClientTest, PathsWithAwkwardCharactersList)
{
    makeTree();
    START_OR_SKIP(server, FtpTestServer::serveFolder(kAddress, tree.path(), why));
    CurlFtpClient client(TestFtpOptions(server->port()));
    ASSERT_TRUE(client.login(kAddress));
    std::vector<FtpListEntry> folders;
    ASSERT_TRUE(List(client, "/odd", folders));
    ASSERT_EQ(folders.size(), 6u);
    for (const FtpListEntry& folder : folders) {
        std::vector<FtpListEntry> inside;
        ASSERT_TRUE(List(client, "/odd/" + folder.name, inside))
            << folder.name.toStdString() << ": " << client.lastError().message.toStdString();
        ASSERT_EQ(inside.size(), 1u) << folder.name.toStdString();
        EXPECT_EQ(inside[0].name, "inside " + folder.name + ".txt");
    }
}

TEST_F(CurlFtpClientTest, OneLoginServesEveryListingWithAbsolutePaths)
{
    QJsonObject listings{{"/", "drwxr-xr-x 2 u g 0 Jan  5  2020 pub\r\n"},
                         {"/pub", "drwxr-xr-x 2 u g 0 Jan  5  2020 sub\r\n"},
                         {"/pub/sub", "-rw-r--r-- 1 u g 1 Jan  5  2020 f\r\n"}};
    START_OR_SKIP(server, FtpTestServer::serveScript(kAddress, {{"listings", listings}}, why));
    CurlFtpClient client(TestFtpOptions(server->port()));
    ASSERT_TRUE(client.login(kAddress));
    std::vector<FtpListEntry> entries;
    ASSERT_TRUE(List(client, "", entries));
    ASSERT_TRUE(List(client, "/pub", entries));
    ASSERT_TRUE(List(client, "/pub/sub", entries));
    ASSERT_TRUE(List(client, "/pub", entries));
    client.logout();

    const QByteArray log = server->commandLog();
    EXPECT_EQ(log.count("USER anonymous"), 1);
    EXPECT_TRUE(log.contains("PASS anonymous@")) << log.toStdString();
    EXPECT_EQ(log.count("CWD /pub/sub\n"), 1);
    EXPECT_EQ(log.count("CWD /pub\n"), 2);
    EXPECT_EQ(log.count("EPRT"), 4); // active mode for every listing
    EXPECT_EQ(log.count("LIST"), 4);
    EXPECT_FALSE(log.contains("PASV"));
    EXPECT_TRUE(log.endsWith("QUIT\n"));
}

TEST_F(CurlFtpClientTest, AsksSystOnceAndReportsUnreadableListingLines)
{
    // The scripted server refuses SYST (502): the login goes on all the same.
    // Script texts are sent as Latin-1 bytes: "\xe9" goes out as one byte.
    QJsonObject listings{{"/", QString::fromLatin1("-rw-r--r-- 1 u g 1 Jan  5  2020 ok\r\n"
                                                   "\x01garbage 42 \xe9\r\n"
                                                   "type=file;size=3 no semicolon\r\n")},
                         {"/pub", "-rw-r--r-- 1 u g 1 Jan  5  2020 clean\r\n"}};
    START_OR_SKIP(server, FtpTestServer::serveScript(kAddress, {{"listings", listings}}, why));
    CurlFtpClient client(TestFtpOptions(server->port()));
    ASSERT_TRUE(client.login(kAddress)) << client.lastError().message.toStdString();
    std::vector<FtpListEntry> entries;
    ASSERT_TRUE(List(client, "", entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(client.unreadableLines().count, 2);
    EXPECT_EQ(client.unreadableLines().first, QString::fromUtf8("?garbage 42 é"));
    ASSERT_TRUE(List(client, "/pub", entries));
    EXPECT_EQ(client.unreadableLines().count, 0);
    client.logout();
    EXPECT_EQ(server->commandLog().count("SYST"), 1);
}

TEST_F(CurlFtpClientTest, PathsStartAtTheLoginDirectory)
{
    // A login directory below the root: "/pub" of the walk is /home/ftp/pub.
    QJsonObject listings{{"/home/ftp", "drwxr-xr-x 2 u g 0 Jan  5  2020 pub\r\n"},
                         {"/home/ftp/pub", "-rw-r--r-- 1 u g 1 Jan  5  2020 in-pub\r\n"}};
    START_OR_SKIP(server,
                  FtpTestServer::serveScript(kAddress, {{"listings", listings}, {"pwd", "/home/ftp"}}, why));
    CurlFtpClient client(TestFtpOptions(server->port()));
    ASSERT_TRUE(client.login(kAddress));
    std::vector<FtpListEntry> entries;
    ASSERT_TRUE(List(client, "", entries));
    ASSERT_TRUE(List(client, "/pub", entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "in-pub");
    EXPECT_TRUE(server->commandLog().contains("CWD /home/ftp/pub\n"));
}

TEST_F(CurlFtpClientTest, ALoginDirectoryThatIsNoUnixPathIsLeftRelatively)
{
    const QString home = QStringLiteral("DISK$PUB:[ANONYMOUS]");
    QJsonObject listings{{home, "SUB.DIR;1  1/3  17-MAR-1998 08:00 [SYSTEM] (RWE,RWE,RE,RE)\r\n"},
                         {home + "/SUB", "FILE.TXT;2  4/6  17-MAR-1998 08:00 [SYSTEM] (RWE,RWE,RE,RE)\r\n"}};
    START_OR_SKIP(server, FtpTestServer::serveScript(kAddress, {{"listings", listings}, {"pwd", home}}, why));
    CurlFtpClient client(TestFtpOptions(server->port()));
    ASSERT_TRUE(client.login(kAddress));
    std::vector<FtpListEntry> entries;
    ASSERT_TRUE(List(client, "", entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "SUB");
    EXPECT_TRUE(entries[0].isDirectory);
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(List(client, "/SUB", entries)) << client.lastError().message.toStdString();
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].name, "FILE.TXT");
        EXPECT_EQ(entries[0].size, 4 * 512);
        ASSERT_TRUE(List(client, "", entries)) << client.lastError().message.toStdString();
        EXPECT_EQ(entries[0].name, "SUB");
    }
}

TEST_F(CurlFtpClientTest, LegacyEncodedNamesAreDecodedAndAskedForWithTheServersBytes)
{
    QJsonObject listings{
        {"/", ScriptBytes("drwxr-xr-x 2 u g 0 Jan  5  2020 caf\xe9\r\n")},
        {ScriptBytes("/caf\xe9"), ScriptBytes("-rw-r--r-- 1 u g 1 Jan  5  2020 cr\xe8me.txt\r\n")}};
    START_OR_SKIP(server, FtpTestServer::serveScript(kAddress, {{"listings", listings}}, why));
    CurlFtpClient client(TestFtpOptions(server->port()));
    ASSERT_TRUE(client.login(kAddress));
    std::vector<FtpListEntry> entries;
    ASSERT_TRUE(List(client, "", entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, QString::fromUtf8("café"));
    ASSERT_TRUE(List(client, QString::fromUtf8("/café"), entries))
        << client.lastError().message.toStdString();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, QString::fromUtf8("crème.txt"));
    EXPECT_TRUE(server->commandLog().contains("CWD /caf\xe9\n"));
}

TEST_F(CurlFtpClientTest, AMissingFolderFailsAloneAndTheConnectionGoesOn)
{
    makeTree();
    START_OR_SKIP(server, FtpTestServer::serveFolder(kAddress, tree.path(), why));
    CurlFtpClient client(TestFtpOptions(server->port()));
    ASSERT_TRUE(client.login(kAddress));
    std::vector<FtpListEntry> entries;
    EXPECT_FALSE(List(client, "/no such folder", entries));
    EXPECT_EQ(client.lastFailure(), FtpFailure::FolderUnavailable);
    EXPECT_TRUE(entries.empty());
    EXPECT_FALSE(List(client, "/readme.txt", entries)); // a file is no folder
    EXPECT_TRUE(List(client, "/pub", entries));
    EXPECT_EQ(entries.size(), 2u);
}

TEST_F(CurlFtpClientTest, RefusedAnonymousLoginFails)
{
    for (const char* refuse : {"user", "pass"}) {
        START_OR_SKIP(server, FtpTestServer::serveScript(kAddress, {{"refuse", refuse}}, why));
        CurlFtpClient client(TestFtpOptions(server->port()));
        EXPECT_FALSE(client.login(kAddress)) << refuse;
        EXPECT_EQ(client.lastFailure(), FtpFailure::LoginRefused) << refuse;
        EXPECT_EQ(client.lastError().code, CURLE_LOGIN_DENIED) << client.lastError().message.toStdString();
        std::vector<FtpListEntry> entries;
        EXPECT_FALSE(List(client, "", entries));
    }
}

TEST_F(CurlFtpClientTest, NoServerFailsAtOnce)
{
    const uint16_t port = UnusedPort(kAddress);
    ASSERT_NE(port, 0);
    CurlFtpClient client(TestFtpOptions(port));
    QElapsedTimer timer;
    timer.start();
    const Result<void> login = client.login(kAddress);
    EXPECT_FALSE(login);
    EXPECT_EQ(login.error().code, CURLE_COULDNT_CONNECT);
    EXPECT_EQ(client.lastFailure(), FtpFailure::NoServer);
    EXPECT_LT(timer.elapsed(), 2000);
}

TEST_F(CurlFtpClientTest, AFailedConnectLeavesADeveloperTraceWhenAskedFor)
{
    const uint16_t port = UnusedPort(kAddress);
    ASSERT_NE(port, 0);
    CurlFtpClient quiet(TestFtpOptions(port));
    {
        // Off by default: nothing reaches the handler without the rule.
        TraceCapture trace("kestrova.ftp");
        QLoggingCategory::setFilterRules(QString());
        EXPECT_FALSE(quiet.login(kAddress));
        EXPECT_TRUE(trace.messages().isEmpty()) << trace.messages().join(u'\n').toStdString();
    }
    TraceCapture trace("kestrova.ftp");
    CurlFtpClient client(TestFtpOptions(port));
    EXPECT_FALSE(client.login(kAddress));
    const QString line = trace.find(QStringLiteral("CURLcode %1").arg(int(CURLE_COULDNT_CONNECT)));
    EXPECT_FALSE(line.isEmpty()) << trace.messages().join(u'\n').toStdString();
    EXPECT_TRUE(line.contains(QStringLiteral("reply 0"))) << line.toStdString();
}

TEST_F(CurlFtpClientTest, HostNamesThatWouldRedirectTheRequestAreRefused)
{
    CurlFtpClient client(TestFtpOptions(21));
    for (const char* name : {"user:pw@127.0.3.1", "127.0.3.1/x", "127.0.3.1:2121", "a b", "", "host#1"}) {
        EXPECT_FALSE(client.login(QString::fromLatin1(name))) << name;
        EXPECT_EQ(client.lastFailure(), FtpFailure::Protocol) << name;
    }
}

TEST_F(CurlFtpClientTest, ASilentServerEndsWithinTheTimeouts)
{
    START_OR_SKIP(server, FtpTestServer::serveScript(kAddress, {{"silent", true}}, why));
    CurlFtpClient client(TestFtpOptions(server->port()));
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(client.login(kAddress));
    EXPECT_EQ(client.lastFailure(), FtpFailure::TimedOut) << client.lastError().message.toStdString();
    EXPECT_LT(timer.elapsed(), 8000);
}

TEST_F(CurlFtpClientTest, AConnectionDroppedInTheMiddleOfAListingEndsTheClient)
{
    QByteArray big;
    for (int i = 0; i < 2000; ++i)
        big += "-rw-r--r-- 1 u g 1 Jan  5  2020 file" + QByteArray::number(i) + "\r\n";
    QJsonObject listings{{"/", "drwxr-xr-x 2 u g 0 Jan  5  2020 big\r\n"},
                         {"/big", QString::fromLatin1(big)}};
    START_OR_SKIP(server,
                  FtpTestServer::serveScript(kAddress, {{"listings", listings}, {"drop", "/big"}}, why));
    CurlFtpClient client(TestFtpOptions(server->port()));
    ASSERT_TRUE(client.login(kAddress));
    std::vector<FtpListEntry> entries;
    ASSERT_TRUE(List(client, "", entries));
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(List(client, "/big", entries));
    EXPECT_TRUE(entries.empty()); // half a listing is no listing
    EXPECT_EQ(client.lastFailure(), FtpFailure::ConnectionLost) << client.lastError().message.toStdString();
    EXPECT_FALSE(List(client, "", entries)); // no reconnecting: the host is done
    EXPECT_LT(timer.elapsed(), 5000);
    EXPECT_EQ(server->commandLog().count("USER"), 1);
}

TEST_F(CurlFtpClientTest, AServerThatNeverConnectsBackEndsWithinTheTimeouts)
{
    QJsonObject listings{{"/", "-rw-r--r-- 1 u g 1 Jan  5  2020 f\r\n"}};
    START_OR_SKIP(server,
                  FtpTestServer::serveScript(kAddress, {{"listings", listings}, {"no_connect", true}}, why));
    CurlFtpClient client(TestFtpOptions(server->port()));
    ASSERT_TRUE(client.login(kAddress));
    std::vector<FtpListEntry> entries;
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(List(client, "", entries));
    EXPECT_EQ(client.lastFailure(), FtpFailure::DataConnection) << client.lastError().message.toStdString();
    EXPECT_LT(timer.elapsed(), 8000);
}

TEST_F(CurlFtpClientTest, AStalledListingEndsWithinTheTimeouts)
{
    QJsonObject listings{{"/", "-rw-r--r-- 1 u g 1 Jan  5  2020 f\r\n-rw-r--r-- 1 u g 1 Jan  5  2020 g\r\n"}};
    START_OR_SKIP(server,
                  FtpTestServer::serveScript(kAddress, {{"listings", listings}, {"stall", "/"}}, why));
    CurlFtpClient client(TestFtpOptions(server->port()));
    ASSERT_TRUE(client.login(kAddress));
    std::vector<FtpListEntry> entries;
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(List(client, "", entries));
    EXPECT_EQ(client.lastFailure(), FtpFailure::TimedOut) << client.lastError().message.toStdString();
    EXPECT_LT(timer.elapsed(), 8000);
}

TEST_F(CurlFtpClientTest, StopIsNoticedWithinASecondWhateverTheServerIsDoing)
{
    FtpClientOptions slow;
    slow.connectTimeoutMs = 60000;
    slow.responseTimeoutMs = 60000;
    slow.stallTimeoutMs = 60000;
    slow.transferTimeoutMs = 120000;
    QJsonObject listings{{"/", "-rw-r--r-- 1 u g 1 Jan  5  2020 f\r\n-rw-r--r-- 1 u g 1 Jan  5  2020 g\r\n"}};
    const struct {
        const char* what;
        QJsonObject script;
        bool loginWaits;
    } cases[] = {
        {"greeting never sent", {{"silent", true}}, true},
        {"data connection never opened", {{"listings", listings}, {"no_connect", true}}, false},
        {"listing stalled", {{"listings", listings}, {"stall", "/"}}, false},
    };
    for (const auto& c : cases) {
        START_OR_SKIP(server, FtpTestServer::serveScript(kAddress, c.script, why));
        slow.port = server->port();
        std::stop_source source;
        slow.stop = source.get_token();
        CurlFtpClient client(slow);
        if (!c.loginWaits) {
            ASSERT_TRUE(client.login(kAddress)) << c.what;
        }
        QElapsedTimer timer;
        timer.start();
        {
            DelayedStop stop(source, 300);
            std::vector<FtpListEntry> entries;
            const bool done = c.loginWaits ? client.login(kAddress).ok() : List(client, "", entries);
            EXPECT_FALSE(done) << c.what;
            EXPECT_EQ(client.lastFailure(), FtpFailure::Stopped) << c.what;
        }
        EXPECT_LT(timer.elapsed(), 300 + 1500) << c.what;
    }
}

TEST_F(CurlFtpClientTest, AnOversizedListingFailsAloneAndTheConnectionGoesOn)
{
    QByteArray big;
    for (int i = 0; i < 100; ++i)
        big += "-rw-r--r-- 1 u g 1 Jan  5  2020 file" + QByteArray::number(i) + "\r\n";
    QJsonObject listings{{"/", "drwxr-xr-x 2 u g 0 Jan  5  2020 big\r\n"},
                         {"/big", QString::fromLatin1(big)}};
    START_OR_SKIP(server, FtpTestServer::serveScript(kAddress, {{"listings", listings}}, why));
    FtpClientOptions options = TestFtpOptions(server->port());
    options.maxListingBytes = 1000;
    CurlFtpClient client(options);
    ASSERT_TRUE(client.login(kAddress));
    std::vector<FtpListEntry> entries;
    EXPECT_FALSE(List(client, "/big", entries));
    EXPECT_EQ(client.lastFailure(), FtpFailure::TooLarge) << client.lastError().message.toStdString();
    EXPECT_TRUE(List(client, "", entries));
    EXPECT_EQ(entries.size(), 1u);
}

TEST_F(CurlFtpClientTest, TheProgramsClientUsesPort21)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "a server on port 21 needs root";
    makeTree();
    START_OR_SKIP(server, FtpTestServer::serveFolder(QStringLiteral("127.0.3.21"), tree.path(), why, 21));
    CurlFtpClientFactory factory;
    const std::unique_ptr<FtpClient> client = factory.create({}, false);
    ASSERT_TRUE(client->login(QStringLiteral("127.0.3.21")));
    std::vector<FtpListEntry> entries;
    ASSERT_TRUE(List(*client, "/pub", entries));
    EXPECT_EQ(NamesOf(entries).names, QStringList({"a.txt", "sub"}));
}

} // namespace
