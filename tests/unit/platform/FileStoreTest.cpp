#include "platform/FileStore.h"

#include "platform/LocalFileStore.h"
#include "support/QStringPrinter.h"
#include "support/TempDir.h"

#include <QFile>
#include <algorithm>
#include <cerrno>
#include <gtest/gtest.h>

using namespace FileStorePath;

namespace {

QByteArray Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

TEST(FileStorePathTest, SplitsUncAndLocalPathsAtTheirOwnSeparator)
{
    EXPECT_EQ(FolderOf(QStringLiteral("\\\\HOST\\share\\dir\\a.txt")),
              QStringLiteral("\\\\HOST\\share\\dir\\"));
    EXPECT_EQ(NameOf(QStringLiteral("\\\\HOST\\share\\dir\\a.txt")), QStringLiteral("a.txt"));
    // A colon in a local name is part of the name.
    EXPECT_EQ(FolderOf(QStringLiteral("/tmp/x/at 10:30.txt")), QStringLiteral("/tmp/x/"));
    EXPECT_EQ(NameOf(QStringLiteral("/tmp/x/at 10:30.txt")), QStringLiteral("at 10:30.txt"));
    // Windows paths of older results files.
    EXPECT_EQ(FolderOf(QStringLiteral("C:\\data\\a.txt")), QStringLiteral("C:\\data\\"));
    EXPECT_EQ(NameOf(QStringLiteral("C:a.txt")), QStringLiteral("a.txt"));

    EXPECT_EQ(Join(QStringLiteral("\\\\HOST\\share"), QStringLiteral("a")),
              QStringLiteral("\\\\HOST\\share\\a"));
    EXPECT_EQ(Join(QStringLiteral("\\\\HOST\\share\\"), QStringLiteral("a")),
              QStringLiteral("\\\\HOST\\share\\a"));
    EXPECT_EQ(Join(QStringLiteral("/tmp"), QStringLiteral("a")), QStringLiteral("/tmp/a"));
    EXPECT_EQ(Join(QStringLiteral("/"), QStringLiteral("a")), QStringLiteral("/a"));
}

TEST(FileStorePathTest, BelowMeansInsideTheFolderNotJustAPrefix)
{
    EXPECT_TRUE(IsSameOrBelow(QStringLiteral("/a/b"), QStringLiteral("/a/b")));
    EXPECT_TRUE(IsSameOrBelow(QStringLiteral("/a/b/c"), QStringLiteral("/a/b/")));
    EXPECT_FALSE(IsSameOrBelow(QStringLiteral("/a/bc"), QStringLiteral("/a/b")));
    EXPECT_FALSE(IsSameOrBelow(QStringLiteral("/A/b/c"), QStringLiteral("/a/b")));
    EXPECT_TRUE(
        IsSameOrBelow(QStringLiteral("\\\\host\\Share\\Dir\\x"), QStringLiteral("\\\\HOST\\share\\dir")));
    EXPECT_TRUE(IsSameOrBelow(QStringLiteral("/x"), QStringLiteral("/")));
}

TEST(FileStorePathTest, APlainNameCannotLeadElsewhere)
{
    EXPECT_TRUE(IsPlainName(QStringLiteral("b.txt")));
    EXPECT_TRUE(IsPlainName(QStringLiteral("..hidden")));
    EXPECT_FALSE(IsPlainName(QString()));
    EXPECT_FALSE(IsPlainName(QStringLiteral(".")));
    EXPECT_FALSE(IsPlainName(QStringLiteral("..")));
    EXPECT_FALSE(IsPlainName(QStringLiteral("../b.txt")));
    EXPECT_FALSE(IsPlainName(QStringLiteral("sub\\b.txt")));
    EXPECT_FALSE(IsPlainName(QStringLiteral("a") + QChar(0) + QStringLiteral("b")));
}

class LocalFileStoreTest : public ::testing::Test {
protected:
    TempDir dir;
    LocalFileStore store;
};

TEST_F(LocalFileStoreTest, RenameNeverReplacesUnlessAsked)
{
    const QString a = dir.write(QStringLiteral("a.txt"), "A");
    const QString b = dir.write(QStringLiteral("b.txt"), "B");

    const PlatformError refused = store.rename(a, b, false);
    EXPECT_EQ(refused.code, EEXIST);
    EXPECT_EQ(Read(a), QByteArray("A"));
    EXPECT_EQ(Read(b), QByteArray("B"));

    EXPECT_FALSE(store.rename(a, b, true).failed());
    EXPECT_FALSE(QFile::exists(a));
    EXPECT_EQ(Read(b), QByteArray("A"));

    EXPECT_FALSE(store.rename(b, dir.file(QStringLiteral("c.txt")), false).failed());
    EXPECT_EQ(Read(dir.file(QStringLiteral("c.txt"))), QByteArray("A"));
}

TEST_F(LocalFileStoreTest, OpensAFileForReadingOrSaysWhyNot)
{
    const QString path = dir.write(QStringLiteral("r.txt"), "read me");
    const Result<std::unique_ptr<ByteSource>> opened = store.openRead(path);
    ASSERT_TRUE(opened) << opened.error().message.toStdString();
    ASSERT_EQ(opened.value()->size(), 7);
    char data[7] = {};
    EXPECT_EQ(opened.value()->read(0, data, 7), 7);
    EXPECT_EQ(QByteArray(data, 7), QByteArray("read me"));

    const Result<std::unique_ptr<ByteSource>> missing = store.openRead(dir.file(QStringLiteral("none.txt")));
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.error().code, ENOENT);
    EXPECT_FALSE(missing.error().message.isEmpty());
}

TEST_F(LocalFileStoreTest, WritesNewFilesAndRefusesAnExistingOneWhenExclusive)
{
    const QString path = dir.file(QStringLiteral("new.bin"));
    Result<std::unique_ptr<FileStoreWriter>> writer = store.create(path, true);
    ASSERT_TRUE(writer) << writer.error().message.toStdString();
    EXPECT_FALSE(writer.value()->write("hello ", 6).failed());
    EXPECT_FALSE(writer.value()->write("world", 5).failed());
    EXPECT_FALSE(writer.value()->finish().failed());
    EXPECT_EQ(Read(path), QByteArray("hello world"));

    const Result<std::unique_ptr<FileStoreWriter>> refused = store.create(path, true);
    EXPECT_FALSE(refused);
    EXPECT_EQ(refused.error().code, EEXIST);
    // Not exclusive: the file is emptied for the new contents.
    writer = store.create(path, false);
    ASSERT_TRUE(writer);
    EXPECT_FALSE(writer.value()->finish().failed());
    EXPECT_EQ(Read(path), QByteArray());
}

TEST_F(LocalFileStoreTest, ListsStatsAndRemoves)
{
    dir.write(QStringLiteral("f.txt"), "12345");
    ASSERT_FALSE(store.makeFolder(dir.file(QStringLiteral("sub"))).failed());
    dir.write(QStringLiteral("sub/inner.txt"), "x");

    std::vector<FileStoreEntry> entries;
    ASSERT_FALSE(store.list(dir.path(), entries).failed());
    ASSERT_EQ(entries.size(), 2u);
    std::sort(entries.begin(), entries.end(), [](auto& a, auto& b) { return a.name < b.name; });
    EXPECT_EQ(entries[0].name, QStringLiteral("f.txt"));
    EXPECT_FALSE(entries[0].folder);
    EXPECT_EQ(entries[0].size, 5);
    EXPECT_EQ(entries[1].name, QStringLiteral("sub"));
    EXPECT_TRUE(entries[1].folder);

    FileStoreStat stat;
    EXPECT_EQ(store.stat(dir.file(QStringLiteral("missing")), stat).code, ENOENT);
    // A folder is no file, and a folder with something in it stays.
    EXPECT_TRUE(store.removeFile(dir.file(QStringLiteral("sub"))).failed());
    EXPECT_TRUE(store.removeFolder(dir.file(QStringLiteral("sub"))).failed());
    EXPECT_FALSE(store.removeFile(dir.file(QStringLiteral("sub/inner.txt"))).failed());
    EXPECT_FALSE(store.removeFolder(dir.file(QStringLiteral("sub"))).failed());
    EXPECT_EQ(store.stat(dir.file(QStringLiteral("sub")), stat).code, ENOENT);
}

} // namespace
