#include "platform/CurlFtpClient.h"
#include "support/FtpServedTree.h"
#include "support/FtpTestOptions.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <gtest/gtest.h>
#include <stop_token>
#include <thread>

namespace {

// Bytes of every value, zero included, in an order that shows misplaced pieces.
QByteArray BinaryContent(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

// What a download gives from `from` on, read in pieces of `piece` bytes.
QByteArray ReadAll(ByteSource& source, int64_t piece, int64_t from = 0)
{
    QByteArray all;
    QByteArray buffer(static_cast<qsizetype>(piece), Qt::Uninitialized);
    for (;;) {
        const int64_t got = source.read(from + all.size(), buffer.data(), piece);
        if (got <= 0) {
            EXPECT_EQ(got, 0);
            return all;
        }
        all.append(buffer.constData(), static_cast<qsizetype>(got));
    }
}

class CurlFtpDownloadTest : public FtpServedTree {
protected:
    CurlFtpDownloadTest() : FtpServedTree(QStringLiteral("127.0.3.9")) {}
};

TEST_F(CurlFtpDownloadTest, ReadsAFileWholeInOrderAndKeepsTheConnection)
{
    const QByteArray content = BinaryContent(3 << 20);
    ASSERT_TRUE(QDir(tree.path()).mkpath("pub"));
    tree.write("pub/data.bin", content);
    tree.write("pub/other.txt", "x");
    SERVE_TREE_OR_SKIP(server);
    CurlFtpClient client(TestFtpOptions(server->port()));
    ASSERT_TRUE(client.login(address).ok());

    {
        Result<std::unique_ptr<ByteSource>> download = client.retrieve("/pub/data.bin", content.size());
        ASSERT_TRUE(download.ok()) << download.error().message.toStdString();
        EXPECT_EQ(download.value()->size(), content.size());
        // Reads fill what they ask for, across the client's buffer.
        QByteArray head(100000, Qt::Uninitialized);
        ASSERT_EQ(download.value()->read(0, head.data(), head.size()), head.size());
        EXPECT_EQ(head, content.left(head.size()));
        // Out of order: refused.
        EXPECT_EQ(download.value()->read(5, head.data(), 10), -1);
        EXPECT_EQ(head + ReadAll(*download.value(), 1 << 20, head.size()), content);
    }
    EXPECT_EQ(client.downloadedBytes(), content.size());
    Result<std::vector<FtpListEntry>> listing = client.list("/pub");
    ASSERT_TRUE(listing.ok());
    EXPECT_EQ(listing.value().size(), 2u);
}

TEST_F(CurlFtpDownloadTest, AnAbandonedDownloadStopsTheTransferAndTheClientGoesOn)
{
    writeSparse("big.bin", "needle", qint64(1) << 30);
    ASSERT_TRUE(QDir(tree.path()).mkpath("pub"));
    tree.write("pub/small.txt", "small file");
    SERVE_TREE_OR_SKIP(server);
    CurlFtpClient client(TestFtpOptions(server->port()));
    ASSERT_TRUE(client.login(address).ok());

    {
        Result<std::unique_ptr<ByteSource>> download = client.retrieve("/big.bin", qint64(1) << 30);
        ASSERT_TRUE(download.ok());
        char head[6];
        ASSERT_EQ(download.value()->read(0, head, 6), 6);
        EXPECT_EQ(QByteArray(head, 6), "needle");
        // While a download lives the client serves nothing else.
        EXPECT_FALSE(client.list("").ok());
    }
    // The transfer ended with the download: only what the buffer holds was received.
    EXPECT_LT(client.downloadedBytes(), 4 << 20);

    // The connection went with the transfer; the next requests log in again.
    Result<std::vector<FtpListEntry>> listing = client.list("/pub");
    ASSERT_TRUE(listing.ok()) << listing.error().message.toStdString();
    ASSERT_EQ(listing.value().size(), 1u);
    Result<std::unique_ptr<ByteSource>> small = client.retrieve("/pub/small.txt", 10);
    ASSERT_TRUE(small.ok());
    EXPECT_EQ(ReadAll(*small.value(), 4), "small file");
}

TEST_F(CurlFtpDownloadTest, AMissingFileFailsTheFirstReadAndNotTheConnection)
{
    tree.write("here.txt", "here");
    SERVE_TREE_OR_SKIP(server);
    CurlFtpClient client(TestFtpOptions(server->port()));
    ASSERT_TRUE(client.login(address).ok());

    {
        Result<std::unique_ptr<ByteSource>> download = client.retrieve("/not-there.txt", 10);
        ASSERT_TRUE(download.ok());
        char buffer[10];
        EXPECT_EQ(download.value()->read(0, buffer, 10), -1);
    }
    EXPECT_EQ(client.lastFailure(), FtpFailure::FolderUnavailable);
    EXPECT_TRUE(client.list("").ok());
}

TEST_F(CurlFtpDownloadTest, AStopDuringADownloadEndsTheReadWithinASecond)
{
    writeSparse("huge.bin", "", qint64(64) << 30);
    SERVE_TREE_OR_SKIP(server);
    std::stop_source stop;
    FtpClientOptions options = TestFtpOptions(server->port());
    options.stop = stop.get_token();
    CurlFtpClient client(options);
    ASSERT_TRUE(client.login(address).ok());
    Result<std::unique_ptr<ByteSource>> download = client.retrieve("/huge.bin", qint64(64) << 30);
    ASSERT_TRUE(download.ok());

    QElapsedTimer sinceStop;
    std::jthread stopper([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sinceStop.start();
        stop.request_stop();
    });
    QByteArray buffer(1 << 20, Qt::Uninitialized);
    int64_t offset = 0;
    int64_t got = 0;
    while ((got = download.value()->read(offset, buffer.data(), buffer.size())) > 0)
        offset += got;
    stopper.join();
    EXPECT_EQ(got, -1);
    EXPECT_LT(offset, qint64(64) << 30);
    EXPECT_LT(sinceStop.elapsed(), 3000); // 1 s wanted; room for a loaded machine
    EXPECT_EQ(client.lastFailure(), FtpFailure::Stopped);
}

} // namespace
