#include "engine/FtpSearch.h"
#include "platform/CurlFtpClient.h"
#include "support/FakeHostSearchContext.h"
#include "support/FtpTestOptions.h"
#include "support/FtpTestServer.h"
#include "support/TempDir.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <gtest/gtest.h>
#include <thread>

namespace {

const QString kAddress = QStringLiteral("127.0.3.9");
const QString kHost = QStringLiteral("\\\\127.0.3.9");

QString Url(const QString& path)
{
    return QStringLiteral("ftp://") + kAddress + path;
}

// Makes real clients and notes how many bytes each one downloaded before it went.
class CountingClientFactory : public FtpClientFactory {
public:
    explicit CountingClientFactory(uint16_t port) : m_options(TestFtpOptions(port)) {}

    std::unique_ptr<FtpClient> create(std::stop_token stop, bool verifyCertificates) override
    {
        FtpClientOptions options = m_options;
        options.stop = std::move(stop);
        options.verifyCertificates = verifyCertificates;
        return std::make_unique<Client>(options, downloaded);
    }

    int64_t downloaded = 0;

private:
    class Client : public CurlFtpClient {
    public:
        Client(const FtpClientOptions& options, int64_t& total) : CurlFtpClient(options), m_total(total) {}
        ~Client() override { m_total += downloadedBytes(); }

    private:
        int64_t& m_total;
    };
    FtpClientOptions m_options;
};

void WriteSparse(const QString& path, const QByteArray& head, qint64 size)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(head), head.size());
    ASSERT_TRUE(file.resize(size));
}

class FtpContentSearchServerTest : public ::testing::Test {
protected:
    FtpContentSearchServerTest()
    {
        context.config.EnableTextSearch = true;
        context.config.SearchText = QStringLiteral("needle");
    }

    TempDir tree;
    FakeHostSearchContext context;
};

TEST_F(FtpContentSearchServerTest, ListsTheMatchingFileWithItsExcerptAndNotTheOthers)
{
    ASSERT_TRUE(QDir(tree.path()).mkpath("pub/sub"));
    tree.write("pub/hay.txt", "only hay in here");
    tree.write("pub/sub/found.txt", "Line one\nthe needle is in line two\nline three");
    tree.write("pub/sub/other.txt", "needl e, almost");
    START_OR_SKIP(server, FtpTestServer::serveFolder(kAddress, tree.path(), why));
    CountingClientFactory factory(server->port());

    FtpSearchHost(kHost, factory, context);

    ASSERT_EQ(context.hitNames(), QStringList({Url("/pub/sub/found.txt")}));
    ASSERT_TRUE(context.hits[0].Match);
    EXPECT_EQ(context.hits[0].Match->Term, QStringLiteral("needle"));
    EXPECT_EQ(context.hits[0].Match->Excerpt,
              QStringLiteral("Line one the needle is in line two line three"));
}

TEST_F(FtpContentSearchServerTest, ABigFileWithTheTermAtItsStartIsNotReadToTheEnd)
{
    ASSERT_TRUE(QDir(tree.path()).mkpath("z"));
    WriteSparse(tree.path() + "/a-big.bin", "needle at the start", qint64(1) << 30);
    // Found after the abandoned download: the walk goes on with a new connection.
    tree.write("z/after.txt", "another needle");
    START_OR_SKIP(server, FtpTestServer::serveFolder(kAddress, tree.path(), why));
    CountingClientFactory factory(server->port());

    FtpSearchHost(kHost, factory, context);

    EXPECT_EQ(context.hitNames(), QStringList({Url("/a-big.bin"), Url("/z/after.txt")}));
    EXPECT_LT(factory.downloaded, 8 << 20);
}

TEST_F(FtpContentSearchServerTest, AStopDuringADownloadEndsTheSearchWithinASecond)
{
    WriteSparse(tree.path() + "/huge.bin", "", qint64(64) << 30);
    START_OR_SKIP(server, FtpTestServer::serveFolder(kAddress, tree.path(), why));
    CountingClientFactory factory(server->port());

    QElapsedTimer sinceStop;
    std::jthread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        sinceStop.start();
        context.stop.request_stop();
    });
    FtpSearchHost(kHost, factory, context);
    const qint64 elapsed = sinceStop.isValid() ? sinceStop.elapsed() : -1;
    stopper.join();

    EXPECT_GE(elapsed, 0) << "the search ended before the stop";
    EXPECT_LT(elapsed, 1000);
    EXPECT_TRUE(context.hits.empty());
    EXPECT_LT(factory.downloaded, qint64(64) << 30);
}

TEST_F(FtpContentSearchServerTest, ReadsFilesOverTlsLikeTheListings)
{
    tree.write("secret.txt", "a needle behind TLS");
    tree.write("plain.txt", "nothing");
    START_OR_SKIP(
        server, FtpTestServer::serveFolderOverTls(kAddress, tree.path(), FtpTestServer::Tls::Required, why));
    CountingClientFactory factory(server->port());

    FtpSearchHost(kHost, factory, context);

    EXPECT_EQ(context.hitNames(), QStringList({Url("/secret.txt")}));
    EXPECT_TRUE(server->commandLog().contains("RETR control=tls"));
}

} // namespace
