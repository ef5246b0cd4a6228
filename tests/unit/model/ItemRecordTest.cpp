#include "model/ItemRecord.h"

#include <QLocale>
#include <gtest/gtest.h>

namespace {

TItemRecord File(const QString& name, int64_t size = 0, int32_t attrs = 0)
{
    return MakeItemRecord(name, attrs, -1, 0.0, size);
}

class ItemSizeTextTest : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale::c()); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

TEST_F(ItemSizeTextTest, DecimalThresholdsWithBinaryDivisors)
{
    EXPECT_EQ(SizeText(0), "0 bytes");
    EXPECT_EQ(SizeText(999), "999 bytes");
    EXPECT_EQ(SizeText(1000), "0.98 KB");
    EXPECT_EQ(SizeText(10240), "10.0 KB");
    EXPECT_EQ(SizeText(999999), "977 KB");
    EXPECT_EQ(SizeText(1000000), "0.95 MB");
    EXPECT_EQ(SizeText(1000000000), "0.93 GB");
    EXPECT_EQ(SizeText(5368709120LL), "5.00 GB");
}

TEST_F(ItemSizeTextTest, FolderHasNoSizeText)
{
    EXPECT_EQ(ItemSizeText(File("\\\\H\\s\\dir", 4096, kAttrDirectory)), "");
    EXPECT_EQ(ItemSizeText(File("\\\\H\\s\\f", 1000)), "0.98 KB");
}

TEST_F(ItemSizeTextTest, DecimalSeparatorFollowsLocale)
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(SizeText(1000), "0,98 KB");
    EXPECT_EQ(SizeText(10240), "10,0 KB");
}

TEST(ItemRecordTest, FolderAndFtpClassification)
{
    EXPECT_TRUE(IsFolderItem(File("x", 0, kAttrDirectory | kAttrHidden)));
    EXPECT_FALSE(IsFolderItem(File("x", 0, kAttrArchive)));
    EXPECT_TRUE(IsFtpItem(File("ftp://HOST/a")));
    EXPECT_FALSE(IsFtpItem(File("FTP://HOST/a")));
    EXPECT_FALSE(IsFtpItem(File("\\\\HOST\\ftp:\\a")));
}

TEST(ItemRecordTest, NameAndLocationOfShareAndFtpHits)
{
    const auto ftp = File("ftp://HOST/pub/readme.txt");
    EXPECT_EQ(ItemName(ftp), "readme.txt");
    EXPECT_EQ(ItemLocation(ftp), "ftp://HOST/pub");
    const auto ftpRoot = File("ftp://HOST/name");
    EXPECT_EQ(ItemName(ftpRoot), "name");
    EXPECT_EQ(ItemLocation(ftpRoot), "ftp://HOST");

    const auto share = File("\\\\HOST\\share\\file.txt");
    EXPECT_EQ(ItemName(share), "file.txt");
    EXPECT_EQ(ItemLocation(share), "\\\\HOST\\share");
    EXPECT_EQ(ItemLocation(File("\\\\HOST\\share\\a\\b\\c.doc")), "\\\\HOST\\share\\a\\b");
}

TEST(ItemRecordTest, LocationKeepsDriveRootAndUncPrefix)
{
    EXPECT_EQ(ExtractFileDir("C:\\file.txt"), "C:\\");
    EXPECT_EQ(ExtractFileDir("\\\\file"), "\\\\");
    EXPECT_EQ(ExtractFileDir("C:file"), "C:");
    EXPECT_EQ(ExtractFileDir("file"), "");
    EXPECT_EQ(ExtractFilePath("\\\\H\\s\\dir\\a.txt"), "\\\\H\\s\\dir\\");
    EXPECT_EQ(ExtractFileName("C:name"), "name");
}

TEST(ItemRecordTest, AttributesTextInFixedOrder)
{
    EXPECT_EQ(ItemAttributesText(File("x", 0, kAttrArchive | kAttrHidden | kAttrReadOnly)), "ARH");
    EXPECT_EQ(ItemAttributesText(File("x", 0, kAttrSystem | kAttrHidden | kAttrDirectory)), "HS");
    EXPECT_EQ(ItemAttributesText(File("x", 0, 0x80 | kAttrDirectory)), "");
}

TEST(ItemRecordTest, ViewsAndAppendersMatchTheStringFunctions)
{
    for (const char* name : {"\\\\H\\s\\dir\\a.txt", "ftp://HOST/pub/readme.txt", "ftp://HOST/name",
                             "C:\\file.txt", "\\\\file", "C:file", "file", ""}) {
        const TItemRecord item = File(QString::fromLatin1(name), 0, kAttrArchive | kAttrSystem);
        EXPECT_EQ(ItemNameView(item), ItemName(item)) << name;
        EXPECT_EQ(ItemLocationView(item), ItemLocation(item)) << name;
        QString text = "x";
        AppendItemAttributesText(text, item);
        EXPECT_EQ(text, "xAS");
    }
}

TEST_F(ItemSizeTextTest, FormatterTakesItsOwnLocale)
{
    const TSizeFormatter german(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(german.text(1000), "0,98 KB");
    EXPECT_EQ(german.text(999), "999 bytes");
    QString out = "[";
    german.appendTo(out, File("\\\\H\\s\\dir", 4096, kAttrDirectory));
    german.appendTo(out, File("\\\\H\\s\\f", 10240));
    EXPECT_EQ(out, "[10,0 KB");
    EXPECT_EQ(ItemSizeText(File("f", 10240), QLocale(QLocale::German, QLocale::Germany)), "10,0 KB");
}

} // namespace
