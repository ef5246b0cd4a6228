#include "model/DateTime.h"
#include "model/ItemDateText.h"
#include "store/ReportExport.h"
#include "support/TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

TItemList Records()
{
    return {MakeItemRecord(QStringLiteral("\\\\PC1\\share\\docs\\a b.txt"), 0x21, 0,
                           EncodeDateTime({2024, 2, 5, 14, 30, 15, 0}), 1000),
            MakeItemRecord(QStringLiteral("\\\\PC1\\share\\docs"), 0x10, 0,
                           EncodeDateTime({2023, 12, 24, 9, 5, 0, 0}), 0)};
}

TReportSettings Settings(int nameFormat, bool header, const QLocale& locale = QLocale::c())
{
    TReportSettings settings;
    settings.FileNameDisplayFormat = nameFormat;
    settings.DateFormat = 2;
    settings.Locale = locale;
    settings.CsvHeader = header;
    return settings;
}

// The ISO text of a record, checked on its own below so that the expectations hold
// in any time zone the tests run in.
QByteArray Iso(const TItemRecord& item)
{
    return ItemIsoDateText(item).toLatin1();
}

TEST(CsvHeaderTest, TheOptionAddsAHeaderRowAndIsoDatesInEveryNameLayout)
{
    TempDir dir;
    const QString path = dir.file("report.csv");
    const TItemList list = Records();

    ExportToCsv(path, list, Settings(0, true));
    EXPECT_EQ(ReadFile(path), "File Name,Size,Date & Time,Attrs\r\n"
                              "\"\\\\PC1\\share\\docs\\a b.txt\",1000," +
                                  Iso(list[0]) + ",AR\r\n\"\\\\PC1\\share\\docs\",0," + Iso(list[1]) +
                                  ",\r\n");

    ExportToCsv(path, {list[0]}, Settings(1, true, QLocale(QLocale::German, QLocale::Germany)));
    EXPECT_EQ(ReadFile(path), "File Name;Location;Size;Date & Time;Attrs\r\n"
                              "\"a b.txt\";\"\\\\PC1\\share\\docs\";1000;" +
                                  Iso(list[0]) + ";AR\r\n");

    ExportToCsv(path, {}, Settings(2, true));
    EXPECT_EQ(ReadFile(path), "File Name,Size,Date & Time,Attrs\r\n");
}

TEST(CsvHeaderTest, TheHeaderNamesTheMatchFieldsWhenTheReportCarriesThem)
{
    TempDir dir;
    const QString path = dir.file("report.csv");
    TItemRecord hit = Records()[0];
    hit.Match = std::make_shared<const TContentMatch>(
        TContentMatch{QStringLiteral("pass"), QStringLiteral("a pass b")});
    TReportSettings settings = Settings(0, true);
    settings.IncludeMatch = true;
    ExportToCsv(path, {hit}, settings);
    EXPECT_EQ(ReadFile(path), "File Name,Size,Date & Time,Attrs,Match,Excerpt\r\n"
                              "\"\\\\PC1\\share\\docs\\a b.txt\",1000," +
                                  Iso(hit) + ",AR,\"pass\",\"a pass b\"\r\n");
}

TEST(CsvHeaderTest, WithoutTheOptionTheReportHasNoHeaderAndTheLocaleDate)
{
    TempDir dir;
    const QString path = dir.file("report.csv");
    ExportToCsv(path, {Records()[0]}, Settings(0, false));
    EXPECT_EQ(ReadFile(path), "\"\\\\PC1\\share\\docs\\a b.txt\",1000,5 Feb 2024 14:30:15,AR\r\n");
}

TEST(CsvHeaderTest, IsoDatesCarryTheOffsetOfTheirOwnMoment)
{
    for (const TItemRecord& item : Records()) {
        const QString text = ItemIsoDateText(item);
        const QDateTime local = QDateTimeFromDateTime(item.DateTime);
        const QDateTime read = QDateTime::fromString(text, Qt::ISODate);
        ASSERT_TRUE(read.isValid()) << text.toStdString();
        EXPECT_TRUE(text.startsWith(local.toString("yyyy-MM-ddTHH:mm:ss"))) << text.toStdString();
        EXPECT_EQ(read.offsetFromUtc(), local.offsetFromUtc()) << text.toStdString();
        EXPECT_EQ(read.toSecsSinceEpoch(), local.toSecsSinceEpoch());
        // "Z" or "+hh:mm"/"-hh:mm": never a bare local time.
        EXPECT_TRUE(text.endsWith('Z') || text.at(text.size() - 6) == '+' || text.at(text.size() - 6) == '-')
            << text.toStdString();
    }
}

} // namespace
