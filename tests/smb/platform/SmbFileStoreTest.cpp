#include "platform/SmbFileStore.h"

#include "support/QStringPrinter.h"
#include "support/ShareClientCalls.h"
#include "support/SmbFixture.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace SmbFixture;

namespace {

// Writes go to host 3's "scratch" share (alice only, writable, never listed), each
// test in a folder of its own that it removes again.
class SmbFileStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        KESTROVA_REQUIRE_SMB_FIXTURE();
        share = hostUnc(3) + QStringLiteral("\\scratch");
        folder =
            share +
            QStringLiteral("\\test-%1-%2")
                .arg(::getpid())
                .arg(QString::fromLatin1(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        store = std::make_unique<SmbFileStore>(
            SmbAgentOptions{}, [this](ShareClient& client, const QString& path) {
                logons.append(path);
                (void)client.connect(path, alice().name,
                                     alice().password); // a refused logon shows in the calls after it
            });
        ASSERT_FALSE(store->makeFolder(folder).failed());
    }
    void TearDown() override
    {
        if (!folder.isEmpty())
            QDir(shareDir(3, QStringLiteral("scratch")) + u'/' + folder.mid(share.size() + 1))
                .removeRecursively();
    }

    QString path(const QString& name) const { return folder + u'\\' + name; }

    PlatformError write(const QString& file, const QByteArray& bytes, bool exclusive = true)
    {
        Result<std::unique_ptr<FileStoreWriter>> writer = store->create(file, exclusive);
        if (!writer)
            return writer.error();
        if (PlatformError error = writer.value()->write(bytes.constData(), bytes.size()); error.failed())
            return error;
        return writer.value()->finish();
    }

    QByteArray read(const QString& file)
    {
        Result<std::unique_ptr<ByteSource>> source = store->openRead(file);
        if (!source)
            return "(unreadable: " + source.error().message.toUtf8() + ")";
        QByteArray data(qsizetype(source.value()->size()), '\0');
        EXPECT_EQ(source.value()->read(0, data.data(), data.size()), data.size());
        return data;
    }

    QString share;
    QString folder;
    QStringList logons;
    std::unique_ptr<SmbFileStore> store;
};

TEST_F(SmbFileStoreTest, WritesFilesLongerThanOneBlockAndReadsThemBack)
{
    QByteArray bytes(2 * 1024 * 1024 + 333, '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 7 % 251);
    const QString file = path(QStringLiteral("Ünïcødé 日本 #1%.bin"));

    ASSERT_FALSE(write(file, bytes).failed());

    EXPECT_EQ(read(file), bytes);
    FileStoreStat stat;
    ASSERT_FALSE(store->stat(file, stat).failed());
    EXPECT_FALSE(stat.folder);
    EXPECT_EQ(stat.size, bytes.size());
    std::vector<FileStoreEntry> entries;
    ASSERT_FALSE(store->list(folder, entries).failed());
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, QStringLiteral("Ünïcødé 日本 #1%.bin"));
    // The share was logged on to once, before its first use.
    EXPECT_EQ(logons, QStringList{share});
}

TEST_F(SmbFileStoreTest, ExclusiveCreationAndRenamesNeverReplaceAFile)
{
    const QString a = path(QStringLiteral("a.txt"));
    const QString b = path(QStringLiteral("b.txt"));
    ASSERT_FALSE(write(a, "A").failed());
    ASSERT_FALSE(write(b, "B").failed());

    EXPECT_EQ(write(a, "again").code, EEXIST);
    EXPECT_EQ(store->rename(a, b, false).code, EEXIST);
    EXPECT_EQ(read(a), QByteArray("A"));
    EXPECT_EQ(read(b), QByteArray("B"));

    EXPECT_FALSE(store->rename(a, b, true).failed());
    EXPECT_EQ(read(b), QByteArray("A"));
    FileStoreStat stat;
    EXPECT_EQ(store->stat(a, stat).code, ENOENT);

    // Not exclusive: the file is emptied and written anew.
    ASSERT_FALSE(write(b, "shorter", false).failed());
    EXPECT_EQ(read(b), QByteArray("shorter"));
    // Another share cannot be reached by a rename.
    EXPECT_EQ(store->rename(b, hostUnc(3) + QStringLiteral("\\docs\\b.txt"), false).code, EXDEV);
}

TEST_F(SmbFileStoreTest, ChangingTheCaseOfANameIsNoConflict)
{
    const QString lower = path(QStringLiteral("name.txt"));
    ASSERT_FALSE(write(lower, "n").failed());

    EXPECT_FALSE(store->rename(lower, path(QStringLiteral("NAME.txt")), false).failed());

    std::vector<FileStoreEntry> entries;
    ASSERT_FALSE(store->list(folder, entries).failed());
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, QStringLiteral("NAME.txt"));
}

TEST_F(SmbFileStoreTest, FoldersAndFilesAreRemovedOnlyAsWhatTheyAre)
{
    const QString sub = path(QStringLiteral("sub"));
    const QString inner = sub + QStringLiteral("\\inner.txt");
    ASSERT_FALSE(store->makeFolder(sub).failed());
    ASSERT_FALSE(write(inner, "i").failed());

    FileStoreStat stat;
    ASSERT_FALSE(store->stat(sub, stat).failed());
    EXPECT_TRUE(stat.folder);
    EXPECT_TRUE(store->removeFolder(sub).failed()); // not empty
    EXPECT_TRUE(store->removeFile(sub).failed());   // no file
    EXPECT_FALSE(store->removeFile(inner).failed());
    EXPECT_FALSE(store->removeFolder(sub).failed());
    EXPECT_EQ(store->stat(sub, stat).code, ENOENT);
    EXPECT_EQ(store->removeFile(inner).code, ENOENT);
}

TEST_F(SmbFileStoreTest, WithoutTheLogonTheShareRefusesAndAStoppedSearchStopsNothing)
{
    SmbFileStore anonymous;
    const Result<std::unique_ptr<FileStoreWriter>> refused =
        anonymous.create(path(QStringLiteral("guest.txt")), true);
    EXPECT_FALSE(refused);
    const PlatformError& error = refused.error();
    EXPECT_TRUE(error.code == EACCES || error.code == EPERM)
        << error.code << " " << error.message.toStdString();

    // A stopped search's token does not reach file operations: they bring their
    // own stop check and carry on.
    SmbAgentOptions options;
    options.stopRequested = [] { return false; };
    SmbFileStore own(options, [](ShareClient& client, const QString& path) {
        (void)client.connect(path, alice().name,
                             alice().password); // a refused logon shows in the calls after it
    });
    const PlatformError written = [&] {
        Result<std::unique_ptr<FileStoreWriter>> writer =
            own.create(path(QStringLiteral("after-stop.txt")), true);
        return writer ? writer.value()->finish() : writer.error();
    }();
    EXPECT_FALSE(written.failed()) << written.message.toStdString();
}

} // namespace
