#include "platform/LocalFileSource.h"

#include "support/TempDir.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::unique_ptr<LocalFileSource> Open(const QString& path, PlatformError& error)
{
    Result<std::unique_ptr<LocalFileSource>> opened = LocalFileSource::open(path);
    error = opened.error();
    return opened ? std::move(opened).value() : nullptr;
}

TEST(LocalFileSourceTest, ReadsAtAnyOffset)
{
    TempDir dir;
    const QString path = dir.write("data.bin", "0123456789");
    PlatformError error;
    auto source = Open(path, error);
    ASSERT_TRUE(source) << error.message.toStdString();
    EXPECT_FALSE(error.failed());
    EXPECT_EQ(source->size(), 10);
    char buffer[16] = {};
    EXPECT_EQ(source->read(7, buffer, 16), 3);
    EXPECT_EQ(QByteArray(buffer, 3), "789");
    EXPECT_EQ(source->read(2, buffer, 4), 4);
    EXPECT_EQ(QByteArray(buffer, 4), "2345");
    EXPECT_EQ(source->read(10, buffer, 4), 0);
    EXPECT_EQ(source->read(-1, buffer, 4), -1);
    EXPECT_EQ(source->lastError().code, EINVAL);
}

TEST(LocalFileSourceTest, MissingFileCarriesTheSystemMessage)
{
    TempDir dir;
    PlatformError error;
    EXPECT_FALSE(Open(dir.file("absent.txt"), error));
    EXPECT_EQ(error.code, ENOENT);
    EXPECT_EQ(error.message, QString::fromLocal8Bit(strerror(ENOENT)));
}

TEST(LocalFileSourceTest, RefusesWhatIsNotARegularFile)
{
    TempDir dir;
    PlatformError error;
    EXPECT_FALSE(Open(dir.path(), error));
    EXPECT_EQ(error.code, EISDIR);

    // Opening a FIFO for reading would wait for a writer; it must fail at once.
    const QString fifo = dir.file("pipe");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_FALSE(Open(fifo, error));
    EXPECT_TRUE(error.failed());
    EXPECT_FALSE(error.message.isEmpty());
}

TEST(LocalFileSourceTest, UnreadableFileFailsToOpen)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads files whatever their mode";
    TempDir dir;
    const QString path = dir.write("secret.txt", "hidden");
    ASSERT_EQ(chmod(QFile::encodeName(path).constData(), 0), 0);
    PlatformError error;
    EXPECT_FALSE(Open(path, error));
    EXPECT_EQ(error.code, EACCES);
}

} // namespace
