// Results files against compound-file code that is not ours: python3-olefile reads
// what we write; Perl's OLE::Storage_Lite and libgsf's "gsf createole" write files
// that we read.
#include "model/Error.h"
#include "store/ImageListStream.h"
#include "store/ResultsFile.h"
#include "support/IconSamples.h"
#include "support/RunProgram.h"
#include "support/TempDir.h"

#include <QCryptographicHash>
#include <QDir>
#include <cstring>
#include <gtest/gtest.h>

namespace {

// One record of "mainlist_unicode", built here field by field.
QByteArray RecordBytes(const QString& name, int32_t attrs, int64_t size, double date, int32_t image)
{
    QByteArray bytes(32, '\0');
    const uint32_t length = static_cast<uint32_t>(32 + 2 * name.size());
    std::memcpy(bytes.data(), &length, 4); // the test machine is little-endian
    std::memcpy(bytes.data() + 4, &attrs, 4);
    std::memcpy(bytes.data() + 8, &size, 8);
    std::memcpy(bytes.data() + 16, &date, 8);
    std::memcpy(bytes.data() + 24, &image, 4);
    bytes.append(reinterpret_cast<const char*>(name.utf16()), 2 * name.size());
    return bytes;
}

QByteArray RecordBytes(const TItemRecord& item)
{
    return RecordBytes(item.FileName, item.Attrs, item.Size, item.DateTime, item.ImageIndex);
}

TItemList InteropRecords()
{
    return {
        MakeItemRecord(QStringLiteral("\\\\PC\\s\\a.c"), 0x20, 3, 45000.75, 1234),
        MakeItemRecord(QString(), 0x10, -1, 0.0, 0),
        MakeItemRecord(QStringLiteral("\\\\SRV\\ünï\\") + QString(290, u'y'), -1, 1, -2.25, 6442450944LL),
    };
}

QString Sha256(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

QString WriteStreamFile(const TempDir& dir, const QString& name, const QByteArray& bytes)
{
    QDir().mkpath(dir.file("streams"));
    return dir.write("streams/" + name, bytes);
}

TEST(ResultsFileInteropTest, OlefileReadsOurStreamsAndRecords)
{
    TempDir dir;
    const TItemList list = InteropRecords();
    const TIconList icons = SampleIcons(2);
    const QString path = dir.file("ours.dat");
    SaveResultsToFile(path, list, icons);

    const TProgramResult result = RunProgram("/usr/bin/python3", {FixturePath("ole_dump.py"), path});
    ASSERT_EQ(result.exitCode, 0) << result.errors.toStdString();

    QByteArray records;
    for (const TItemRecord& item : list)
        records += RecordBytes(item);
    ASSERT_EQ(records.size(), 716);
    const QByteArray images = WriteImageListStream(icons);
    QStringList expected = {
        QStringLiteral("stream images %1 %2").arg(images.size()).arg(Sha256(images)),
        QStringLiteral("stream mainlist_unicode 716 %1").arg(Sha256(records)),
    };
    for (const TItemRecord& item : list)
        expected << QStringLiteral("record %1 %2 %3 %4 %5 0 %6")
                        .arg(32 + 2 * item.FileName.size())
                        .arg(item.Attrs)
                        .arg(item.Size)
                        .arg(QString::asprintf("%.6f", item.DateTime))
                        .arg(item.ImageIndex)
                        .arg(QString::fromLatin1(item.FileName.toUtf8().toHex()));
    // Two icons: capacity 3, one bitmap row of four 16 x 16 cells.
    expected << "images 4c49 0101 2 3 4 16 16 ffffffff 0021"
             << "bitmap colour BM 40 64 16 1 32 0"
             << "bitmap mask BM 40 64 16 1 1 0" << QStringLiteral("images-end %1 %1").arg(images.size());
    EXPECT_EQ(QString::fromUtf8(result.output).split('\n', Qt::SkipEmptyParts), expected);
}

TEST(ResultsFileInteropTest, LoadsFilesWrittenByOtherWriters)
{
    TempDir dir;
    const TItemList list = InteropRecords();
    QByteArray records;
    for (const TItemRecord& item : list)
        records += RecordBytes(item);
    const TIconList icons = SampleIcons(3);
    const QString recordFile = WriteStreamFile(dir, "mainlist_unicode", records);
    const QString iconFile = WriteStreamFile(dir, "images", WriteImageListStream(icons));

    const QString perlFile = dir.file("perl.dat");
    TProgramResult perl =
        RunProgram("/usr/bin/perl", {FixturePath("ole_write.pl"), perlFile, "mainlist_unicode=" + recordFile,
                                     "images=" + iconFile});
    ASSERT_EQ(perl.exitCode, 0) << perl.errors.toStdString();
    // "gsf createole" names each stream after its file.
    const QString gsfFile = dir.file("gsf.dat");
    TProgramResult gsf = RunProgram("/usr/bin/gsf", {"createole", gsfFile, recordFile, iconFile});
    ASSERT_EQ(gsf.exitCode, 0) << gsf.errors.toStdString();

    for (const QString& path : {perlFile, gsfFile}) {
        TItemList loaded;
        TIconList loadedIcons;
        LoadResultsFromFile(path, loaded, loadedIcons);
        EXPECT_EQ(loaded, list) << path.toStdString();
        EXPECT_EQ(loadedIcons, NormalisedIcons(icons)) << path.toStdString();
    }
}

TEST(ResultsFileInteropTest, LoadsOlderFormWrittenByPerl)
{
    TempDir dir;
    // 1130 bytes: two 560-byte records and 10 bytes that are ignored.
    QByteArray legacy(1130, '\0');
    std::memcpy(legacy.data(), "\\\\OLD\\docs\\caf\xE9.doc", 20);
    const double date = 44000.0, time = 0.5;
    std::memcpy(legacy.data() + 536, &date, 8);
    std::memcpy(legacy.data() + 544, &time, 8);
    std::memcpy(legacy.data() + 560, "\\\\OLD\\docs\\b", 12);
    const QString path = dir.file("old.dat");
    TProgramResult perl =
        RunProgram("/usr/bin/perl",
                   {FixturePath("ole_write.pl"), path, "mainlist=" + WriteStreamFile(dir, "mainlist", legacy),
                    "images=" + WriteStreamFile(dir, "images", WriteImageListStream({}))});
    ASSERT_EQ(perl.exitCode, 0) << perl.errors.toStdString();

    TItemList loaded;
    TIconList icons;
    LoadResultsFromFile(path, loaded, icons);
    ASSERT_EQ(loaded.size(), 2);
    EXPECT_EQ(loaded[0].FileName, QStringLiteral("\\\\OLD\\docs\\café.doc"));
    EXPECT_DOUBLE_EQ(loaded[0].DateTime, 44000.5);
    EXPECT_EQ(loaded[1].FileName, QStringLiteral("\\\\OLD\\docs\\b"));
}

} // namespace
