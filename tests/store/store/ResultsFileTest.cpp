#include "store/ResultsFile.h"

#include "model/DateTime.h"
#include "model/Error.h"
#include "store/CompoundFile.h"
#include "store/ImageListStream.h"
#include "support/IconSamples.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TItemList SampleRecords()
{
    return {
        MakeItemRecord(QStringLiteral("\\\\PC\\s\\a.c"), 0x20, 3, 45000.75, 1234), // 10 units
        MakeItemRecord(QString(), 0x10, -1, 0.0, 0),
        MakeItemRecord(QString(300, u'x'), -1, 0, -2.25, 6442450944LL),
    };
}

// Writes a compound file whose streams hold the given bytes.
void WriteCompound(const QString& path, const QList<std::pair<const char*, QByteArray>>& streams)
{
    TCompoundFileWriter file(path);
    for (const auto& [name, bytes] : streams) {
        file.beginStream(name);
        file.write(bytes.constData(), static_cast<size_t>(bytes.size()));
        file.endStream();
    }
    file.commit();
}

QByteArray RecordBytes(uint32_t length, const QString& name)
{
    QByteArray bytes(32, '\0');
    std::memcpy(bytes.data(), &length, 4); // the test machine is little-endian
    bytes.append(reinterpret_cast<const char*>(name.utf16()), 2 * name.size());
    return bytes;
}

QString LoadError(const QString& path, TItemList& list, TIconList& icons)
{
    try {
        LoadResultsFromFile(path, list, icons);
    } catch (const EKestrovaError& error) {
        return error.message();
    }
    return QString();
}

// Saves with a file size limit of 256 KiB, so that every write beyond it fails with
// EFBIG like a full disk; meant for a child process. Exits 2 with the message on
// stderr when the save fails.
void SaveUnderFileSizeLimit(const QString& path, const TItemList& list)
{
    std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{256 * 1024, 256 * 1024};
    setrlimit(RLIMIT_FSIZE, &limit);
    try {
        SaveResultsToFile(path, list, {});
    } catch (const EKestrovaError& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        std::exit(2);
    }
    std::exit(0);
}

TEST(ResultsFileTest, SaveAndLoadKeepEveryFieldAndTheIcons)
{
    TempDir dir;
    TItemList list = SampleRecords();
    // Outside Windows-1252, a surrogate pair, an unpaired surrogate.
    list.append(MakeItemRecord(QStringLiteral("\\\\СЕРВЕР\\共有\\😀 файл.txt"), 0x21, 1, 45123.5, -1));
    list.append(MakeItemRecord(QString(QChar(0xD800)) + u'z', 0, 2, 1.0, 1));
    const TIconList icons = SampleIcons(4);
    const QString path = dir.file("r.dat");
    SaveResultsToFile(path, list, icons);

    TItemList loaded{MakeItemRecord("stale", 0, 0, 0, 0)};
    TIconList loadedIcons;
    LoadResultsFromFile(path, loaded, loadedIcons);
    EXPECT_EQ(loaded, list);
    EXPECT_EQ(loadedIcons, NormalisedIcons(icons));
}

TEST(ResultsFileTest, RecordStreamHoldsHeaderAndNamePerRecord)
{
    TempDir dir;
    const QString path = dir.file("r.dat");
    SaveResultsToFile(path, SampleRecords(), {});
    TCompoundFileReader file(path);
    auto stream = file.requireStream("mainlist_unicode");
    EXPECT_EQ(stream->size(), 52u + 32u + 632u);
    const QByteArray bytes = stream->readAll(1 << 20);
    // The first record field by field: length, Attrs, Size, DateTime, ImageIndex, zero.
    QByteArray expected(32, '\0');
    const uint32_t length = 52;
    const int32_t attrs = 0x20, image = 3;
    const int64_t size = 1234;
    const double date = 45000.75;
    std::memcpy(expected.data(), &length, 4);
    std::memcpy(expected.data() + 4, &attrs, 4);
    std::memcpy(expected.data() + 8, &size, 8);
    std::memcpy(expected.data() + 16, &date, 8);
    std::memcpy(expected.data() + 24, &image, 4);
    expected.append(QByteArray("\\\0\\\0P\0C\0\\\0s\0\\\0a\0.\0c\0", 20));
    EXPECT_EQ(bytes.left(52).toHex(), expected.toHex());
    // The empty name is a bare 32-byte header.
    EXPECT_EQ(bytes.mid(52, 4).toHex(), QByteArray("20000000"));
    EXPECT_EQ(file.requireStream("images")->readAll(1 << 20), WriteImageListStream({}));
}

TEST(ResultsFileTest, EmptyListGivesEmptyRecordStream)
{
    TempDir dir;
    const QString path = dir.file("empty.dat");
    SaveResultsToFile(path, {}, {});
    EXPECT_EQ(TCompoundFileReader(path).requireStream("mainlist_unicode")->size(), 0u);
    TItemList list = SampleRecords();
    TIconList icons = SampleIcons(1);
    LoadResultsFromFile(path, list, icons);
    EXPECT_TRUE(list.isEmpty());
    EXPECT_TRUE(icons.isEmpty());
}

TEST(ResultsFileTest, FileThatIsNoCompoundFileIsCorrupted)
{
    TempDir dir;
    for (const QByteArray& content :
         {QByteArray("just some text\r\n"), QByteArray(), QByteArray("\xD0\xCF\x11\xE0")}) {
        const QString path = dir.write("text.dat", content);
        TItemList list = SampleRecords();
        TIconList icons = SampleIcons(2);
        EXPECT_EQ(LoadError(path, list, icons), "file is corrupted");
        EXPECT_TRUE(list.isEmpty());
        EXPECT_TRUE(icons.isEmpty());
    }
}

TEST(ResultsFileTest, MissingFileAndMissingStreamsAreNamed)
{
    TempDir dir;
    TItemList list = SampleRecords();
    TIconList icons;
    const QString missing = LoadError(dir.file("nope.dat"), list, icons);
    EXPECT_TRUE(missing.contains("No such file or directory")) << missing.toStdString();
    EXPECT_TRUE(list.isEmpty());

    const QString noRecords = dir.file("norecords.dat");
    WriteCompound(noRecords, {{"images", WriteImageListStream({})}});
    EXPECT_EQ(LoadError(noRecords, list, icons), "The file holds no stream \"mainlist_unicode\"");

    const QString noIcons = dir.file("noicons.dat");
    WriteCompound(noIcons, {{"mainlist_unicode", RecordBytes(34, "a")}});
    EXPECT_EQ(LoadError(noIcons, list, icons), "The file holds no stream \"images\"");
    ASSERT_EQ(list.size(), 1); // the records read stay
    EXPECT_EQ(list[0].FileName, "a");
}

TEST(ResultsFileTest, BadRecordLengthsEndTheLoadKeepingEarlierRecords)
{
    TempDir dir;
    const QByteArray two = RecordBytes(34, "a") + RecordBytes(36, "bc");
    const struct {
        QByteArray tail;
        const char* message;
    } cases[] = {
        {RecordBytes(10, ""), "record 2 at offset 70 has the invalid length 10"},
        {RecordBytes(31, ""), "has the invalid length 31"},
        {RecordBytes(35, "x"), "has the invalid length 35"}, // odd: half a code unit
        {RecordBytes(40, "x"), "has the invalid length 40"}, // past the end
        {RecordBytes(0xFFFFFFF0u, "x"), "has the invalid length 4294967280"},
        {QByteArray(20, '\x22'), "record 2 at offset 70 is cut short after 20 bytes"},
    };
    for (const auto& c : cases) {
        const QString path = dir.file("bad.dat");
        WriteCompound(path, {{"mainlist_unicode", two + c.tail}, {"images", WriteImageListStream({})}});
        TItemList list;
        TIconList icons;
        const QString message = LoadError(path, list, icons);
        EXPECT_TRUE(message.contains(c.message)) << message.toStdString();
        EXPECT_TRUE(message.contains("mainlist_unicode")) << message.toStdString();
        ASSERT_EQ(list.size(), 2) << c.message;
        EXPECT_EQ(list[1].FileName, "bc");
    }
}

TEST(ResultsFileTest, EveryTruncationOfASmallFileIsRejected)
{
    TempDir dir;
    const QString path = dir.file("small.dat");
    SaveResultsToFile(path, SampleRecords(), SampleIcons(2));
    const QByteArray whole = ReadFile(path);
    ASSERT_GT(whole.size(), 512);
    const QString cut = dir.file("cut.dat");
    for (qsizetype length = 0; length < whole.size(); ++length) {
        // A new file each time: rewriting one in place makes ext4 flush it to disk.
        QFile::remove(cut);
        dir.write("cut.dat", whole.left(length));
        TItemList list;
        TIconList icons;
        ASSERT_FALSE(LoadError(cut, list, icons).isEmpty()) << "length " << length;
    }
}

TEST(ResultsFileTest, DamagedStorageMessagesCarryLibraryDetailsNotStderr)
{
    TempDir dir;
    const QString path = dir.file("small.dat");
    SaveResultsToFile(path, SampleRecords(), SampleIcons(2));
    QByteArray damaged = ReadFile(path);
    // Point the directory's first sector far past the end of the file.
    damaged[48] = '\x00';
    damaged[49] = '\x00';
    damaged[50] = '\x00';
    damaged[51] = '\x70';
    dir.write("damaged.dat", damaged);
    ::testing::internal::CaptureStderr();
    TItemList list;
    TIconList icons;
    const QString message = LoadError(dir.file("damaged.dat"), list, icons);
    const std::string printed = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(message.isEmpty());
    EXPECT_EQ(printed, "");
}

TEST(ResultsFileTest, LegacyRecordsAreReadAndAShortRestIgnored)
{
    TempDir dir;
    QByteArray legacy(1130, '\0');
    const auto put = [&](int record, int offset, const void* value, int size) {
        std::memcpy(legacy.data() + record * 560 + offset, value, static_cast<size_t>(size));
    };
    std::memcpy(legacy.data(), "\\\\PC1\\share\\\x80uro.txt", 21);
    const int32_t attrs = 0x21, image = 7;
    const int64_t size = 5000000000LL;
    const double date = 45000.0, time = 36000.75; // only the time's fraction counts
    put(0, 524, &attrs, 4);
    put(0, 528, &size, 8);
    put(0, 536, &date, 8);
    put(0, 544, &time, 8);
    put(0, 552, &image, 4);
    // A name filling all 521 bytes without a terminator; a date before 1899-12-30.
    std::memset(legacy.data() + 560, 'n', 521);
    const double oldDate = -3.0, oldTime = 0.25, minusOne = -1;
    put(1, 536, &oldDate, 8);
    put(1, 544, &oldTime, 8);
    put(1, 552, &minusOne, 4);
    legacy[560 + 521] = 'X';                     // in the unread gap
    std::memset(legacy.data() + 1120, 0x41, 10); // the ignored rest

    const QString path = dir.file("old.dat");
    WriteCompound(path, {{"mainlist", legacy}, {"images", WriteImageListStream(SampleIcons(1))}});
    TItemList list;
    TIconList icons;
    LoadResultsFromFile(path, list, icons);
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list[0].FileName, QStringLiteral("\\\\PC1\\share\\€uro.txt"));
    EXPECT_EQ(list[0].Attrs, 0x21);
    EXPECT_EQ(list[0].Size, 5000000000LL);
    EXPECT_DOUBLE_EQ(list[0].DateTime, 45000.75);
    EXPECT_EQ(list[0].ImageIndex, 7);
    EXPECT_EQ(list[1].FileName, QString(521, u'n'));
    EXPECT_DOUBLE_EQ(list[1].DateTime, -3.25);
    EXPECT_EQ(icons, NormalisedIcons(SampleIcons(1)));
}

TEST(ResultsFileTest, FailedLegacyAttemptFallsBackKeepingItsRecords)
{
    TempDir dir;
    QByteArray legacy(560, '\0');
    std::memcpy(legacy.data(), "old", 3);

    // Older records without icons, newer records with them: both sets load, as the
    // older form's failure sends the load on to the newer form.
    const QString both = dir.file("both.dat");
    WriteCompound(
        both,
        {{"mainlist", legacy}, {"mainlist_unicode", RecordBytes(38, "new")}, {"images", QByteArray("IL")}});
    TItemList list;
    TIconList icons;
    const QString message = LoadError(both, list, icons);
    EXPECT_TRUE(message.contains("Image list")) << message.toStdString();
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list[0].FileName, "old");
    EXPECT_EQ(list[1].FileName, "new");

    // An older file alone reports why it failed, not the newer form's absence.
    const QString old = dir.file("old.dat");
    WriteCompound(old, {{"mainlist", legacy}});
    EXPECT_EQ(LoadError(old, list, icons), "The file holds no stream \"images\"");
    EXPECT_EQ(list.size(), 1);
}

TEST(ResultsFileTest, SavingReplacesTheTargetKeepingItsPermissions)
{
    TempDir dir;
    const QString path = dir.write("r.dat", "previous content");
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    SaveResultsToFile(path, SampleRecords(), {});
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"r.dat"});

    // Through a symbolic link the file it points to is replaced, the link stays.
    const QString link = dir.file("link.dat");
    ASSERT_TRUE(QFile::link(path, link));
    SaveResultsToFile(link, {}, {});
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    TItemList list;
    TIconList icons;
    LoadResultsFromFile(path, list, icons);
    EXPECT_TRUE(list.isEmpty());
}

TEST(ResultsFileTest, FailedSaveLeavesThePreviousFileAndNoTemporaryFile)
{
    TempDir dir;
    const QString path = dir.file("r.dat");
    SaveResultsToFile(path, SampleRecords(), {});
    const QByteArray before = ReadFile(path);

    // The disk "fills up" half-way: a file size limit makes every write beyond it
    // fail with EFBIG, in a child process so the limit stays there.
    TItemList big;
    for (int i = 0; i < 20000; ++i)
        big.append(MakeItemRecord(QStringLiteral("\\\\HOST\\share\\folder\\file%1.txt").arg(i), 0, 0, 0, i));
    EXPECT_EXIT(SaveUnderFileSizeLimit(path, big), ::testing::ExitedWithCode(2), "File too large");
    EXPECT_EQ(ReadFile(path), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"r.dat"});

    // A target that cannot be replaced (a folder) fails without leftovers too.
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.dat"));
    EXPECT_THROW(SaveResultsToFile(dir.file("folder.dat"), SampleRecords(), {}), EKestrovaError);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{"folder.dat", "r.dat"}));
    EXPECT_THROW(SaveResultsToFile(dir.file("no/such/folder.dat"), {}, {}), EKestrovaError);
}

TEST(ResultsFileTest, MillionRecordsSaveAndLoad)
{
    TempDir dir;
    TItemList list;
    list.reserve(1000000);
    for (int i = 0; i < 1000000; ++i)
        list.append(MakeItemRecord(
            QStringLiteral("\\\\HOST%1\\share\\folder %2\\document-%3.txt").arg(i % 50).arg(i % 1000).arg(i),
            i % 64, i % 7 - 1, 40000.0 + i / 1000.0, int64_t{i} * 4099));
    const QString path = dir.file("million.dat");
    SaveResultsToFile(path, list, SampleIcons(6));
    TItemList loaded;
    TIconList icons;
    LoadResultsFromFile(path, loaded, icons);
    ASSERT_EQ(loaded.size(), list.size());
    EXPECT_TRUE(loaded == list);
    EXPECT_EQ(icons.size(), 6);
}

} // namespace
