#include "app/FileTransfer.h"

#include "platform/LocalFileStore.h"
#include "support/FailingFileStore.h"
#include "support/MappedFileStore.h"
#include "support/QStringPrinter.h"
#include "support/TempDir.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <deque>
#include <gtest/gtest.h>

namespace {

QByteArray Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// Every file below a folder, relative, sorted.
QStringList Tree(const QString& root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(QDir(root).relativeFilePath(it.next()));
    files.sort();
    return files;
}

// Writes a file, making its folders first.
QString Put(const TempDir& dir, const QString& name, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(dir.file(name)).path());
    return dir.write(name, bytes);
}

struct ScriptedUi : TTransferUi {
    Conflict conflict(const QString& target) override
    {
        conflicts.append(target);
        if (conflictAnswers.empty())
            return Conflict::Cancel;
        const Conflict answer = conflictAnswers.front();
        conflictAnswers.pop_front();
        return answer;
    }
    Failure failure(const QString& message) override
    {
        failures.append(message);
        if (failureAnswers.empty())
            return Failure::Abort;
        const Failure answer = failureAnswers.front();
        failureAnswers.pop_front();
        return answer;
    }
    bool progress(const QString&, int64_t done, int64_t total) override
    {
        lastDone = done;
        lastTotal = total;
        return ++progressCalls != cancelAtCall;
    }

    std::deque<Conflict> conflictAnswers;
    std::deque<Failure> failureAnswers;
    QStringList conflicts;
    QStringList failures;
    int progressCalls = 0;
    int cancelAtCall = -1;
    int64_t lastDone = 0;
    int64_t lastTotal = 0;
};

class FileTransferTest : public ::testing::Test {
protected:
    FileTransferTest()
        : stores(std::make_unique<LocalFileStore>(),
                 [this] { return std::make_unique<MappedFileStore>(network.path()); })
    {
        QDir().mkpath(source.file(QStringLiteral("tree/sub")));
        QDir().mkpath(network.file(QStringLiteral("HOST/share/dir")));
    }

    bool run(const QStringList& sources, const QString& destination, bool move)
    {
        return TFileTransfer(stores, ui).run(sources, destination, move);
    }

    TempDir source;
    TempDir target;
    TempDir network; // behind \\HOST\share
    FileStores stores;
    ScriptedUi ui;
};

TEST_F(FileTransferTest, CopiesFilesAndWholeFoldersAndLeavesTheSources)
{
    const QString a = source.write(QStringLiteral("a.txt"), "alpha");
    source.write(QStringLiteral("tree/one.txt"), "1");
    source.write(QStringLiteral("tree/sub/two.bin"), QByteArray(3 * 1024 * 1024 + 17, 'x'));

    EXPECT_TRUE(run({a, source.file(QStringLiteral("tree"))}, target.path(), false));

    EXPECT_EQ(Tree(target.path()), QStringList({QStringLiteral("a.txt"), QStringLiteral("tree/one.txt"),
                                                QStringLiteral("tree/sub/two.bin")}));
    EXPECT_EQ(Read(target.file(QStringLiteral("tree/sub/two.bin"))), QByteArray(3 * 1024 * 1024 + 17, 'x'));
    EXPECT_EQ(Read(a), QByteArray("alpha"));
    EXPECT_EQ(ui.lastDone, 5 + 1 + 3 * 1024 * 1024 + 17);
    EXPECT_EQ(ui.lastTotal, ui.lastDone);
    EXPECT_TRUE(ui.failures.isEmpty());
}

TEST_F(FileTransferTest, AnExistingFileIsReplacedOnlyWhenTheUserSaysSo)
{
    const QString a = source.write(QStringLiteral("a.txt"), "new a");
    const QString b = source.write(QStringLiteral("b.txt"), "new b");
    const QString c = source.write(QStringLiteral("c.txt"), "new c");
    target.write(QStringLiteral("a.txt"), "old a");
    target.write(QStringLiteral("b.txt"), "old b");
    target.write(QStringLiteral("c.txt"), "old c");
    ui.conflictAnswers = {TTransferUi::Conflict::Skip, TTransferUi::Conflict::ReplaceAll};

    EXPECT_TRUE(run({a, b, c}, target.path(), false));

    EXPECT_EQ(ui.conflicts,
              QStringList({target.file(QStringLiteral("a.txt")), target.file(QStringLiteral("b.txt"))}));
    EXPECT_EQ(Read(target.file(QStringLiteral("a.txt"))), QByteArray("old a"));
    EXPECT_EQ(Read(target.file(QStringLiteral("b.txt"))), QByteArray("new b"));
    EXPECT_EQ(Read(target.file(QStringLiteral("c.txt"))), QByteArray("new c"));
    EXPECT_EQ(Tree(target.path()).size(), 3); // no temporary file left behind
}

TEST_F(FileTransferTest, CancellingAtAConflictStopsEverythingAfterIt)
{
    const QString a = source.write(QStringLiteral("a.txt"), "new a");
    const QString b = source.write(QStringLiteral("b.txt"), "new b");
    target.write(QStringLiteral("a.txt"), "old a");
    ui.conflictAnswers = {TTransferUi::Conflict::Cancel};

    EXPECT_FALSE(run({a, b}, target.path(), true));

    EXPECT_EQ(Tree(target.path()), QStringList{QStringLiteral("a.txt")});
    EXPECT_EQ(Read(target.file(QStringLiteral("a.txt"))), QByteArray("old a"));
    EXPECT_TRUE(QFile::exists(b));
}

TEST_F(FileTransferTest, ACancelledCopyLeavesNeitherAPartNorALostTarget)
{
    const QString big = source.write(QStringLiteral("big.bin"), QByteArray(3 * 1024 * 1024, 'n'));
    target.write(QStringLiteral("big.bin"), "precious");
    ui.conflictAnswers = {TTransferUi::Conflict::Replace};
    ui.cancelAtCall = 3; // the second block

    EXPECT_FALSE(run({big}, target.path(), false));

    EXPECT_EQ(Tree(target.path()), QStringList{QStringLiteral("big.bin")});
    EXPECT_EQ(Read(target.file(QStringLiteral("big.bin"))), QByteArray("precious"));
    EXPECT_TRUE(QFile::exists(big));
}

TEST_F(FileTransferTest, CopyingOntoItselfMakesNumberedCopiesAndMovingDoesNothing)
{
    const QString a = source.write(QStringLiteral("report.final.txt"), "r");

    EXPECT_TRUE(run({a}, source.path(), false));
    EXPECT_TRUE(run({a}, source.path(), false));
    EXPECT_TRUE(run({a}, source.path(), true));

    EXPECT_EQ(Tree(source.path()),
              QStringList({QStringLiteral("report.final - Copy (2).txt"),
                           QStringLiteral("report.final - Copy.txt"), QStringLiteral("report.final.txt")}));
    EXPECT_TRUE(ui.conflicts.isEmpty());
}

TEST_F(FileTransferTest, AFolderIsNeverCopiedIntoItself)
{
    source.write(QStringLiteral("tree/one.txt"), "1");
    ui.failureAnswers = {TTransferUi::Failure::Ignore};

    EXPECT_TRUE(run({source.file(QStringLiteral("tree"))}, source.file(QStringLiteral("tree/sub")), false));

    ASSERT_EQ(ui.failures.size(), 1);
    EXPECT_TRUE(ui.failures[0].endsWith(
        QStringLiteral("The destination folder is a subfolder of the source folder.")));
    EXPECT_EQ(Tree(source.file(QStringLiteral("tree"))), QStringList{QStringLiteral("one.txt")});
}

TEST_F(FileTransferTest, AMoveWithinOneStoreRenamesAndAcrossStoresCopiesThenDeletes)
{
    const QString local = source.write(QStringLiteral("local.txt"), "L");
    const QString remoteFile = QStringLiteral("\\\\HOST\\share\\dir\\remote.txt");
    const QString remoteFolder = QStringLiteral("\\\\HOST\\share\\dir\\folder");
    Put(network, QStringLiteral("HOST/share/dir/remote.txt"), "R");
    Put(network, QStringLiteral("HOST/share/dir/folder/deep/x.txt"), "X");

    EXPECT_TRUE(run({local, remoteFile, remoteFolder}, target.path(), true));

    EXPECT_EQ(Tree(target.path()), QStringList({QStringLiteral("folder/deep/x.txt"),
                                                QStringLiteral("local.txt"), QStringLiteral("remote.txt")}));
    EXPECT_EQ(Read(target.file(QStringLiteral("remote.txt"))), QByteArray("R"));
    EXPECT_FALSE(QFile::exists(local));
    EXPECT_EQ(Tree(network.file(QStringLiteral("HOST/share/dir"))), QStringList());
    EXPECT_FALSE(QFile::exists(network.file(QStringLiteral("HOST/share/dir/folder"))));
    // Only the bytes that crossed between stores count.
    EXPECT_EQ(ui.lastTotal, 2);
}

TEST_F(FileTransferTest, AMovedFolderHoldingALinkToAnotherFolderLeavesThatFolderAlone)
{
    TempDir outside;
    Put(outside, QStringLiteral("keep/precious.txt"), "P");
    Put(source, QStringLiteral("tree/own.txt"), "O");
    ASSERT_TRUE(QFile::link(outside.file(QStringLiteral("keep")), source.file(QStringLiteral("tree/link"))));
    ui.failureAnswers = {TTransferUi::Failure::Ignore};

    EXPECT_TRUE(run({source.file(QStringLiteral("tree"))}, QStringLiteral("\\\\HOST\\share\\dir"), true));

    EXPECT_EQ(Read(outside.file(QStringLiteral("keep/precious.txt"))), QByteArray("P"));
    EXPECT_EQ(Tree(network.file(QStringLiteral("HOST/share/dir/tree"))),
              QStringList({QStringLiteral("own.txt")}));
    ASSERT_EQ(ui.failures.size(), 1);
    EXPECT_TRUE(ui.failures[0].contains("symbolic link")) << ui.failures[0].toStdString();
    // The link stays behind with its folder, still pointing where it did.
    EXPECT_EQ(QFileInfo(source.file(QStringLiteral("tree/link"))).symLinkTarget(),
              outside.file(QStringLiteral("keep")));
    EXPECT_FALSE(QFile::exists(source.file(QStringLiteral("tree/own.txt"))));
    EXPECT_EQ(ui.lastTotal, 1); // the bytes behind the link are not counted either
}

TEST_F(FileTransferTest, AFolderMovedOnlyInPartKeepsWhatStayed)
{
    const QString remoteFolder = QStringLiteral("\\\\HOST\\share\\dir\\folder");
    Put(network, QStringLiteral("HOST/share/dir/folder/a.txt"), "new a");
    Put(network, QStringLiteral("HOST/share/dir/folder/b.txt"), "new b");
    Put(target, QStringLiteral("folder/a.txt"), "old a");
    ui.conflictAnswers = {TTransferUi::Conflict::Skip};

    EXPECT_TRUE(run({remoteFolder}, target.path(), true));

    EXPECT_EQ(Read(target.file(QStringLiteral("folder/a.txt"))), QByteArray("old a"));
    EXPECT_EQ(Read(target.file(QStringLiteral("folder/b.txt"))), QByteArray("new b"));
    EXPECT_EQ(Tree(network.file(QStringLiteral("HOST/share/dir/folder"))),
              QStringList{QStringLiteral("a.txt")});
    EXPECT_TRUE(ui.failures.isEmpty());
}

TEST_F(FileTransferTest, AFailedReadIsRetriedOrIgnoredAsTheUserSays)
{
    LocalFileStore local;
    auto failing = std::make_unique<FailingFileStore>(local);
    FailingFileStore& store = *failing;
    FileStores failingStores(std::move(failing), [] { return std::unique_ptr<FileStore>(); });
    const QString a = source.write(QStringLiteral("a.txt"), "A");
    const QString b = source.write(QStringLiteral("b.txt"), "B");
    store.failFor(a, 1);
    store.failFor(b, 1);
    ui.failureAnswers = {TTransferUi::Failure::Retry, TTransferUi::Failure::Ignore};

    EXPECT_TRUE(TFileTransfer(failingStores, ui).run({a, b}, target.path(), false));

    EXPECT_EQ(ui.failures, QStringList({QStringLiteral("Cannot copy \"%1\": Permission denied").arg(a),
                                        QStringLiteral("Cannot copy \"%1\": Permission denied").arg(b)}));
    EXPECT_EQ(Tree(target.path()), QStringList{QStringLiteral("a.txt")});
}

} // namespace
