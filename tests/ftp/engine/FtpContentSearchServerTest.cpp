#include "engine/FtpSearch.h"
#include "engine/SearchLog.h"
#include "platform/CurlFtpClient.h"
#include "support/DocumentSamples.h"
#include "support/FakeHostSearchContext.h"
#include "support/FtpServedTree.h"
#include "support/FtpTestOptions.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <gtest/gtest.h>
#include <thread>

namespace {

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

class FtpContentSearchServerTest : public FtpServedTree {
protected:
    FtpContentSearchServerTest() : FtpServedTree(QStringLiteral("127.0.3.9"))
    {
        context.config.EnableTextSearch = true;
        context.config.SearchText = QStringLiteral("needle");
    }

    FakeHostSearchContext context;
};

TEST_F(FtpContentSearchServerTest, ListsTheMatchingFileWithItsExcerptAndNotTheOthers)
{
    ASSERT_TRUE(QDir(tree.path()).mkpath("pub/sub"));
    tree.write("pub/hay.txt", "only hay in here");
    tree.write("pub/sub/found.txt", "Line one\nthe needle is in line two\nline three");
    tree.write("pub/sub/other.txt", "needl e, almost");
    SERVE_TREE_OR_SKIP(server);
    CountingClientFactory factory(server->port());

    FtpSearchHost(host(), factory, context);

    ASSERT_EQ(context.hitNames(), QStringList({url("/pub/sub/found.txt")}));
    ASSERT_TRUE(context.hits[0].Match);
    EXPECT_EQ(context.hits[0].Match->Term, QStringLiteral("needle"));
    EXPECT_EQ(context.hits[0].Match->Excerpt,
              QStringLiteral("Line one the needle is in line two line three"));
}

TEST_F(FtpContentSearchServerTest, ABigFileWithTheTermAtItsStartIsNotReadToTheEnd)
{
    ASSERT_TRUE(QDir(tree.path()).mkpath("z"));
    writeSparse("a-big.bin", "needle at the start", qint64(1) << 30);
    // Found after the abandoned download: the walk goes on with a new connection.
    tree.write("z/after.txt", "another needle");
    SERVE_TREE_OR_SKIP(server);
    CountingClientFactory factory(server->port());

    FtpSearchHost(host(), factory, context);

    EXPECT_EQ(context.hitNames(), QStringList({url("/a-big.bin"), url("/z/after.txt")}));
    EXPECT_LT(factory.downloaded, 8 << 20);
}

TEST_F(FtpContentSearchServerTest, AStopDuringADownloadEndsTheSearchWithinASecond)
{
    writeSparse("huge.bin", "", qint64(64) << 30);
    SERVE_TREE_OR_SKIP(server);
    CountingClientFactory factory(server->port());

    QElapsedTimer sinceStop;
    std::jthread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        sinceStop.start();
        context.stop.request_stop();
    });
    FtpSearchHost(host(), factory, context);
    const qint64 elapsed = sinceStop.isValid() ? sinceStop.elapsed() : -1;
    stopper.join();

    EXPECT_GE(elapsed, 0) << "the search ended before the stop";
    EXPECT_LT(elapsed, 3000); // 1 s wanted; the bound leaves room for a loaded machine
    EXPECT_TRUE(context.hits.empty());
    EXPECT_LT(factory.downloaded, qint64(64) << 30);
}

TEST_F(FtpContentSearchServerTest, ReadsFilesOverTlsLikeTheListings)
{
    tree.write("secret.txt", "a needle behind TLS");
    tree.write("plain.txt", "nothing");
    START_OR_SKIP(server,
                  FtpTestServer::serveFolderOverTls(address, tree.path(), FtpTestServer::Tls::Required, why));
    CountingClientFactory factory(server->port());

    FtpSearchHost(host(), factory, context);

    EXPECT_EQ(context.hitNames(), QStringList({url("/secret.txt")}));
    EXPECT_TRUE(server->commandLog().contains("RETR control=tls"));
}

// The term of the docx lies only inside its zipped XML: the byte search cannot see
// it, the document test over the download can. A plain file is found either way.
TEST_F(FtpContentSearchServerTest, DocumentTextOfAnFtpFileIsSearchedWithTheOption)
{
    const QByteArray docx = DocumentSamples::docx();
    ASSERT_FALSE(docx.contains("bodyterm"));
    tree.write("report.docx", docx);
    const QByteArray notes = "plain notes with the bodyterm in them";
    const QByteArray other = "nothing to see";
    tree.write("notes.txt", notes);
    tree.write("other.txt", other);
    START_OR_SKIP(server, FtpTestServer::serveFolder(address, tree.path(), why));
    context.config.SearchText = QStringLiteral("bodyterm");

    CountingClientFactory bytesOnly(server->port());
    FtpSearchHost(host(), bytesOnly, context);
    EXPECT_EQ(context.hitNames(), QStringList({url("/notes.txt")}));

    context.hits.clear();
    context.config.SearchInsideDocuments = true;
    CountingClientFactory documents(server->port());
    FtpSearchHost(host(), documents, context);
    QStringList names = context.hitNames();
    names.sort();
    ASSERT_EQ(names, QStringList({url("/notes.txt"), url("/report.docx")}));
    for (const TItemRecord& hit : context.hits) {
        ASSERT_TRUE(hit.Match);
        EXPECT_EQ(hit.Match->Term, QStringLiteral("bodyterm"));
    }
    // Each file is downloaded once, although the document test and the byte
    // search may both read it from its start.
    EXPECT_EQ(documents.downloaded, docx.size() + notes.size() + other.size());
    EXPECT_TRUE(context.log.Snapshot().empty());
}

// A document over the size limit is searched as bytes and named in the log; the
// bytes the document test read first are not lost to the byte search.
TEST_F(FtpContentSearchServerTest, ADocumentOverTheSizeLimitFallsBackToTheByteSearch)
{
    tree.write("report.docx", DocumentSamples::docx());
    QByteArray pdf = "%PDF-1.4\n" + QByteArray(6000, ' ') + "raw bodyterm in the bytes";
    tree.write("big.pdf", pdf);
    START_OR_SKIP(server, FtpTestServer::serveFolder(address, tree.path(), why));
    context.config.SearchText = QStringLiteral("bodyterm");
    context.config.SearchInsideDocuments = true;
    context.config.DocumentSizeLimit = 100;
    CountingClientFactory factory(server->port());

    FtpSearchHost(host(), factory, context);

    EXPECT_EQ(context.hitNames(), QStringList({url("/big.pdf")}));
    QStringList lines;
    for (const TSearchLogEntry& entry : context.log.Snapshot())
        lines.append(entry.Text);
    EXPECT_TRUE(lines.contains(
        QStringLiteral("Cannot search the text of ") + url("/big.pdf") +
        QStringLiteral(" (PDF): it is larger than 0 MB. Its bytes are searched instead; further PDF "
                       "files on this computer whose text cannot be read are not named.")))
        << lines.join(u'\n').toStdString();
    EXPECT_EQ(lines.size(), 2);
}

} // namespace
