#include "engine/FtpSearch.h"
#include "engine/FtpSearchDownload.h"
#include "engine/SearchLog.h"
#include "support/DocumentSamples.h"
#include "support/FakeFtpClient.h"
#include "support/FakeHostSearchContext.h"
#include "support/MemoryByteSource.h"

#include <QElapsedTimer>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

// The kept download serves the document test and the byte search from one pass.
TEST(FtpKeptDownloadTest, RereadsTheKeptStartAndGoesOnWhereTheDownloadStands)
{
    MemoryByteSource stream("0123456789abcdefghij");
    TFtpKeptDownload download(stream, 4);
    EXPECT_EQ(download.readHead(100), QByteArrayView("0123"));
    char buffer[20] = {};
    ASSERT_EQ(download.read(0, buffer, 20), 4);
    EXPECT_EQ(QByteArray(buffer, 4), "0123");
    ASSERT_EQ(download.read(4, buffer, 6), 6);
    EXPECT_EQ(QByteArray(buffer, 6), "456789");
    // Past the kept bytes and behind the download: gone.
    EXPECT_EQ(download.read(5, buffer, 2), -1);
    EXPECT_EQ(download.map(), nullptr);
    EXPECT_EQ(stream.bytesRead(), 10);
}

TEST(FtpKeptDownloadTest, AWholeReadKeepsTheFileForTheDocumentTestAndTheByteSearch)
{
    const QByteArray content = QByteArray(600000, 'x') + "end";
    MemoryByteSource stream(content);
    TFtpKeptDownload download(stream, 16);
    download.readHead(16);
    const TExtractionBudget budget({}, std::chrono::seconds(30));
    EXPECT_TRUE(download.readWhole(budget).isEmpty());
    const auto mapped = download.map();
    ASSERT_TRUE(mapped);
    EXPECT_EQ(QByteArray(mapped->data(), mapped->size()), content);
    char buffer[3];
    ASSERT_EQ(download.read(content.size() - 3, buffer, 3), 3);
    EXPECT_EQ(QByteArray(buffer, 3), "end");
    EXPECT_EQ(stream.bytesRead(), content.size());
}

TEST(FtpKeptDownloadTest, AStopEndsTheWholeReadBetweenChunks)
{
    MemoryByteSource stream(QByteArray(4 << 20, 'x'));
    std::stop_source stop;
    stream.setBeforeRead([&](int read) {
        if (read == 3)
            stop.request_stop();
    });
    TFtpKeptDownload download(stream, 0);
    const TExtractionBudget budget(stop.get_token(), std::chrono::seconds(30));
    EXPECT_EQ(download.readWhole(budget), QStringLiteral("the search was stopped"));
    EXPECT_EQ(stream.readCount(), 3);
    EXPECT_EQ(download.map(), nullptr);
}

class FtpDocumentSearchTest : public ::testing::Test {
protected:
    FtpDocumentSearchTest()
    {
        server.acceptedServer = QStringLiteral("HOST");
        context.config.EnableTextSearch = true;
        context.config.SearchInsideDocuments = true;
        context.config.SearchText = QStringLiteral("bodyterm");
    }

    void addFile(const QString& name, const QByteArray& content)
    {
        server.add("", name, false, content.size());
        server.files.insert(u'/' + name, content);
    }

    void search()
    {
        FakeFtpClientFactory factory(server);
        FtpSearchHost(QStringLiteral("\\\\HOST"), factory, context);
    }

    QStringList logLines() const
    {
        QStringList lines;
        for (const TSearchLogEntry& entry : context.log.Snapshot())
            lines.append(entry.Text);
        return lines;
    }

    FakeFtpServer server;
    FakeHostSearchContext context;
};

TEST_F(FtpDocumentSearchTest, FindsTheTermInADocxAndDownloadsItOnce)
{
    const QByteArray docx = DocumentSamples::docx();
    addFile("a.docx", docx);
    search();
    ASSERT_EQ(context.hitNames(), QStringList({QStringLiteral("ftp://HOST/a.docx")}));
    EXPECT_EQ(context.hits[0].Match->Term, QStringLiteral("bodyterm"));
    EXPECT_TRUE(context.hits[0].Match->Excerpt.contains(u"bodyterm"));
    EXPECT_EQ(server.bytesSent.value(QStringLiteral("/a.docx")), docx.size());
    EXPECT_EQ(server.retrievedPaths(), QStringList({QStringLiteral("/a.docx")}));
}

// The time limit ends the download into memory; the file goes to the byte search,
// which reads the kept part again and the rest from the same download.
TEST_F(FtpDocumentSearchTest, TheTimeLimitEndsTheDownloadIntoMemoryAndTheBytesAreSearched)
{
    const QByteArray pdf = "%PDF-1.4\n" + QByteArray(2 << 20, ' ') + "bodyterm as bytes";
    addFile("slow.pdf", pdf);
    context.config.DocumentTimeLimit = 1;
    int slowReads = 0;
    server.beforeRead = [&](const QString&, int64_t offset) {
        if (offset > 0 && slowReads < 3) {
            ++slowReads;
            std::this_thread::sleep_for(std::chrono::milliseconds(400));
        }
    };
    QElapsedTimer timer;
    timer.start();
    search();
    EXPECT_LT(timer.elapsed(), 3000);
    EXPECT_EQ(context.hitNames(), QStringList({QStringLiteral("ftp://HOST/slow.pdf")}));
    EXPECT_EQ(logLines(), QStringList({QStringLiteral(
                              "Cannot search the text of ftp://HOST/slow.pdf (PDF): its text took "
                              "longer than 1 s to extract. Its bytes are searched instead; further "
                              "PDF files on this computer whose text cannot be read are not named.")}));
    EXPECT_EQ(server.bytesSent.value(QStringLiteral("/slow.pdf")), pdf.size());
}

TEST_F(FtpDocumentSearchTest, AStopDuringTheDownloadIntoMemoryEndsItWithoutAHit)
{
    addFile("big.pdf", "%PDF-1.4\n" + QByteArray(8 << 20, ' ') + "bodyterm");
    server.beforeRead = [&](const QString&, int64_t offset) {
        if (offset >= (1 << 20))
            context.stop.request_stop();
    };
    search();
    EXPECT_TRUE(context.hits.empty());
    EXPECT_LT(server.bytesSent.value(QStringLiteral("/big.pdf")), 2 << 20);
    EXPECT_TRUE(logLines().isEmpty());
}

} // namespace
