#include "app/ResultFileOperations.h"

#include "app/FileTransfer.h"
#include "app/ResultsModel.h"
#include "app/TransferDialogs.h"
#include "dialogs/FilePropertiesDialog.h"
#include "platform/LocalFileStore.h"
#include "store/Settings.h"
#include "support/FailingFileStore.h"
#include "support/GuiTestApplication.h"
#include "support/MappedFileStore.h"
#include "support/QStringPrinter.h"
#include "support/RecordingMessageBoxes.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

const QString kAreYouSure = QStringLiteral("Are you sure you want to delete the selected file(s)?");

QStringList Names(const TResultsModel& model)
{
    QStringList names;
    for (const TItemRecord& record : model.items())
        names.append(record.FileName);
    return names;
}

class ResultFileOperationsTest : public ::testing::Test {
protected:
    ResultFileOperationsTest()
    {
        EnsureGuiApplication();
        auto failingLocal = std::make_unique<FailingFileStore>(local);
        failing = failingLocal.get();
        operations.setStores(std::make_unique<FileStores>(
            std::move(failingLocal), [this] { return std::make_unique<MappedFileStore>(network.path()); }));
        QObject::connect(
            &results, &QAbstractItemModel::rowsRemoved,
            [this](const QModelIndex&, int first, int last) { removedRows += last - first + 1; });
        QObject::connect(&results, &QAbstractItemModel::dataChanged,
                         [this](const QModelIndex& first) { changedRows.append(first.row()); });
        operations.setFolderChooser([this](QWidget*, const QString& start) {
            startFolders.append(start);
            return chosenFolder;
        });
        settings.InitialDir = QStringLiteral("/initial");
    }

    // A file in the work folder and its record.
    QString addFile(const QString& name, const QByteArray& contents = "x")
    {
        const QString path = files.write(name, contents);
        append(MakeItemRecord(path, 0x20, 3, 45000.25, contents.size()));
        return path;
    }
    void append(const TItemRecord& record) { results.appendHits({record}); }

    TempDir files;
    TempDir network;
    LocalFileStore local;
    FailingFileStore* failing = nullptr;
    TResultsModel results;
    TSettings settings;
    TResultFileOperations operations{results, settings, nullptr};
    RecordingMessageBoxes boxes;
    int removedRows = 0; // as the model told the view
    QList<int> changedRows;
    QStringList startFolders;
    QString chosenFolder;
};

TEST_F(ResultFileOperationsTest, ALockedFileIgnoredKeepsItsRecordAndTheOthersGo)
{
    const QString first = addFile(QStringLiteral("one.txt"));
    const QString locked = addFile(QStringLiteral("two.txt"));
    const QString third = addFile(QStringLiteral("three.txt"));
    failing->failFor(locked);
    boxes.answers = {QMessageBox::Ok, QMessageBox::Ignore};

    operations.DeleteFiles({0, 1, 2});

    EXPECT_EQ(boxes.texts(), QStringList({kAreYouSure + "\n\n" + first + "\n" + locked + "\n" + third,
                                          QStringLiteral("Cannot delete \"%1\"").arg(locked)}));
    EXPECT_EQ(boxes.shown[0].caption, QStringLiteral("Kestrova"));
    EXPECT_EQ(boxes.shown[0].buttons, QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(boxes.shown[1].icon, QMessageBox::Warning);
    EXPECT_EQ(boxes.shown[1].caption, QStringLiteral("Error"));
    EXPECT_EQ(boxes.shown[1].buttons, QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore);
    EXPECT_EQ(Names(results), QStringList{locked});
    EXPECT_FALSE(QFile::exists(first));
    EXPECT_TRUE(QFile::exists(locked));
    EXPECT_FALSE(QFile::exists(third));
    EXPECT_EQ(removedRows, 2);
}

TEST_F(ResultFileOperationsTest, AbortKeepsWhatWasDeletedAndTouchesNothingAfter)
{
    const QString first = addFile(QStringLiteral("one.txt"));
    const QString locked = addFile(QStringLiteral("two.txt"));
    const QString third = addFile(QStringLiteral("three.txt"));
    const QString unselected = addFile(QStringLiteral("four.txt"));
    failing->failFor(locked);
    boxes.answers = {QMessageBox::Ok, QMessageBox::Abort};

    operations.DeleteFiles({2, 1, 0});

    EXPECT_EQ(Names(results), QStringList({locked, third, unselected}));
    EXPECT_EQ(failing->removeCalls, QStringList({first, locked}));
    EXPECT_TRUE(QFile::exists(third));
}

TEST_F(ResultFileOperationsTest, RetryTriesTheSameFileAgain)
{
    const QString busy = addFile(QStringLiteral("busy.txt"));
    failing->failFor(busy, 2);
    boxes.answers = {QMessageBox::Ok, QMessageBox::Retry, QMessageBox::Retry};

    operations.DeleteFiles({0});

    EXPECT_EQ(boxes.shown.size(), 3);
    EXPECT_FALSE(results.hasItems());
    EXPECT_FALSE(QFile::exists(busy));
}

TEST_F(ResultFileOperationsTest, CancellingTheQuestionDeletesNothing)
{
    const QString kept = addFile(QStringLiteral("kept.txt"));
    boxes.answers = {QMessageBox::Cancel};

    operations.DeleteFiles({0});

    EXPECT_TRUE(QFile::exists(kept));
    EXPECT_EQ(results.rowCount(), 1);
    EXPECT_TRUE(failing->removeCalls.isEmpty());
    EXPECT_EQ(removedRows, 0);
}

TEST_F(ResultFileOperationsTest, OfTwoRecordsOfOneFileOnlyTheSelectedOnesGo)
{
    const QString twice = addFile(QStringLiteral("twice.txt"));
    append(results.items().first());
    const QString other = addFile(QStringLiteral("other.txt"));
    append(results.items().first());

    operations.DeleteFiles({0}); // one of them selected: the first record goes

    EXPECT_EQ(Names(results), QStringList({twice, other, twice}));

    // Both records of a file selected: deleted once, no failure, both records go.
    files.write(QStringLiteral("twice.txt"), "again");
    operations.DeleteFiles({0, 2});
    EXPECT_EQ(Names(results), QStringList{other});
    EXPECT_EQ(boxes.texts(),
              QStringList({kAreYouSure + "\n\n" + twice, kAreYouSure + "\n\n" + twice + "\n" + twice}));
}

TEST(DeleteQuestionTest, NamesTheFirstFiveFilesAndCountsTheRest)
{
    EXPECT_EQ(DeleteQuestion({"a", "b", "c", "d", "e", "f"}),
              kAreYouSure + "\n\na\nb\nc\nd\ne\nand 1 more file");
    EXPECT_TRUE(DeleteQuestion({"1", "2", "3", "4", "5", "6", "7"}).endsWith("\n5\nand 2 more files"));
}

TEST_F(ResultFileOperationsTest, RenamingOnAShareKeepsTheFolderAndTheOtherFields)
{
    QDir().mkpath(network.file(QStringLiteral("HOST/share/dir")));
    network.write(QStringLiteral("HOST/share/dir/a.txt"), "contents");
    append(MakeItemRecord(QStringLiteral("\\\\HOST\\share\\dir\\a.txt"), 0x21, 7, 45000.5, 8));
    QString offered;
    operations.setNameRequester([&](QWidget*, const QString& current, QString& name) {
        offered = current;
        name = QStringLiteral("b.txt");
        return true;
    });

    operations.RenameFile(0);

    EXPECT_EQ(offered, QStringLiteral("a.txt"));
    EXPECT_EQ(results.items()[0],
              MakeItemRecord(QStringLiteral("\\\\HOST\\share\\dir\\b.txt"), 0x21, 7, 45000.5, 8));
    EXPECT_TRUE(QFile::exists(network.file(QStringLiteral("HOST/share/dir/b.txt"))));
    EXPECT_FALSE(QFile::exists(network.file(QStringLiteral("HOST/share/dir/a.txt"))));
    EXPECT_EQ(changedRows, QList<int>{0});
    EXPECT_TRUE(boxes.shown.isEmpty());
}

TEST_F(ResultFileOperationsTest, RenamingNeverOverwritesNorLeavesTheFolder)
{
    const QString a = addFile(QStringLiteral("a.txt"), "A");
    const QString b = files.write(QStringLiteral("b.txt"), "B");
    QString answer;
    operations.setNameRequester([&](QWidget*, const QString&, QString& name) {
        name = answer;
        return true;
    });

    answer = QStringLiteral("b.txt");
    operations.RenameFile(0);
    answer = QStringLiteral("../escaped.txt");
    operations.RenameFile(0);

    EXPECT_EQ(boxes.texts(),
              QStringList(
                  {QStringLiteral("Renaming failed: File exists"),
                   QStringLiteral("Renaming failed: The filename, directory name, or volume label syntax is "
                                  "incorrect.")}));
    EXPECT_EQ(boxes.shown[0].icon, QMessageBox::Critical);
    EXPECT_EQ(results.items()[0].FileName, a);
    QFile check(b);
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), QByteArray("B"));
    EXPECT_TRUE(QFile::exists(a));
}

TEST_F(ResultFileOperationsTest, AnEmptyOrCancelledNameChangesNothing)
{
    const QString a = addFile(QStringLiteral("a.txt"));
    bool accept = true;
    operations.setNameRequester([&](QWidget*, const QString&, QString& name) {
        name.clear();
        return accept;
    });

    operations.RenameFile(0);
    accept = false;
    operations.RenameFile(0);

    EXPECT_EQ(results.items()[0].FileName, a);
    EXPECT_TRUE(changedRows.isEmpty());
    EXPECT_TRUE(boxes.shown.isEmpty());
}

TEST_F(ResultFileOperationsTest, MoveDropsTheRecordsOfFilesThatLeftAndRemembersTheFolder)
{
    TempDir destination;
    const QString moved = addFile(QStringLiteral("moved.txt"), "new");
    const QString stays = addFile(QStringLiteral("stays.txt"), "mine");
    const QString unselected = addFile(QStringLiteral("unselected.txt"));
    destination.write(QStringLiteral("stays.txt"), "theirs");
    chosenFolder = destination.path();
    boxes.answers = {QMessageBox::No}; // do not replace stays.txt

    operations.MoveFiles({0, 1});

    EXPECT_EQ(startFolders, QStringList{QStringLiteral("/initial")});
    EXPECT_EQ(settings.InitialDir, destination.path());
    EXPECT_EQ(Names(results), QStringList({stays, unselected}));
    EXPECT_EQ(removedRows, 1);
    EXPECT_TRUE(QFile::exists(destination.file(QStringLiteral("moved.txt"))));
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_EQ(boxes.shown[0].caption, QStringLiteral("Confirm File Replace"));
}

TEST_F(ResultFileOperationsTest, CopyKeepsTheListAndACancelledFolderChoiceChangesNothing)
{
    TempDir destination;
    const QString a = addFile(QStringLiteral("a.txt"), "A");

    chosenFolder.clear();
    operations.CopyFiles({0});
    EXPECT_EQ(settings.InitialDir, QStringLiteral("/initial"));
    EXPECT_EQ(QDir(destination.path()).entryList(QDir::Files), QStringList());

    chosenFolder = destination.path();
    operations.CopyFiles({0});
    EXPECT_EQ(settings.InitialDir, destination.path());
    EXPECT_EQ(QDir(destination.path()).entryList(QDir::Files), QStringList{QStringLiteral("a.txt")});
    EXPECT_EQ(Names(results), QStringList{a});
    EXPECT_EQ(removedRows, 0);
}

TEST_F(ResultFileOperationsTest, PropertiesShowTheRecordAndTheFileAsItIsNow)
{
    addFile(QStringLiteral("notes.txt"), "12345");
    append(MakeItemRecord(files.file(QStringLiteral("gone.txt")), 0, -1, 45000, 3));
    QStringList now;
    QStringList names;
    QStringList locations;
    operations.setDialogRunner([&](QDialog& dialog) {
        auto& properties = dynamic_cast<TFilePropertiesDialog&>(dialog);
        names.append(properties.fieldText(QStringLiteral("Name")));
        locations.append(properties.fieldText(QStringLiteral("Location")));
        now.append(properties.fieldText(QStringLiteral("Now")));
    });

    operations.ShowProperties(0);
    operations.ShowProperties(1);

    EXPECT_EQ(names, QStringList({QStringLiteral("notes.txt"), QStringLiteral("gone.txt")}));
    ASSERT_EQ(now.size(), 2);
    EXPECT_EQ(locations[0], files.path());
    EXPECT_TRUE(now[0].startsWith(QStringLiteral("5 bytes, modified "))) << now[0].toStdString();
    EXPECT_EQ(now[1], QStringLiteral("No such file or directory"));

    files.write(QStringLiteral("notes.txt"), "1");
    now.clear();
    operations.ShowProperties(0);
    ASSERT_EQ(now.size(), 1);
    EXPECT_TRUE(now[0].startsWith(QStringLiteral("1 byte, modified "))) << now[0].toStdString();
}

TEST_F(ResultFileOperationsTest, MappingADriveOpensTheShareInTheFileManager)
{
    append(MakeItemRecord(QStringLiteral("\\\\HOST\\Share One\\dir\\a.txt"), 0, -1, 45000, 1));
    QList<QUrl> opened;
    operations.setUrlOpener([&](const QUrl& url) {
        opened.append(url);
        return true;
    });

    operations.MapNetworkDrive(0);
    operations.MapNetworkDrive(-1);
    operations.UnmapNetworkDrive();

    EXPECT_EQ(opened, QList<QUrl>{QUrl(QStringLiteral("smb://HOST/Share One"))});
    ASSERT_EQ(boxes.shown.size(), 2);
    EXPECT_EQ(boxes.shown[0].icon, QMessageBox::Information);
}

} // namespace
