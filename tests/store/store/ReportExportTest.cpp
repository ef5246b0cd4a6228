#include "store/ReportExport.h"

#include "model/DateTime.h"
#include "model/Error.h"
#include "support/TempDir.h"

#include <QFile>
#include <gtest/gtest.h>

namespace {

const QByteArray kBom = "\xEF\xBB\xBF";

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Lines joined with CR LF after each, as UTF-8.
QByteArray Lines(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toUtf8() + "\r\n";
    return bytes;
}

double When(int h, int mi, int s)
{
    return EncodeDateTime({2024, 2, 5, h, mi, s, 0});
}

TItemList Records()
{
    return {
        MakeItemRecord(QStringLiteral("\\\\PC1\\share\\docs\\a b.txt"), 0x21, 0, When(14, 30, 15), 1000),
        MakeItemRecord(QStringLiteral("\\\\PC1\\share\\docs"), 0x10, 0, When(9, 5, 0), 0),
        MakeItemRecord(QStringLiteral("ftp://HOST/pub/big.iso"), 0, -1, When(23, 59, 58), 5368709120LL),
    };
}

TReportSettings Settings(int nameFormat, int dateFormat = 2, const QLocale& locale = QLocale::c())
{
    TReportSettings settings;
    settings.FileNameDisplayFormat = nameFormat;
    settings.DateFormat = dateFormat;
    settings.Locale = locale;
    settings.ReportTime = QDateTime(QDate(2024, 2, 5), QTime(14, 30, 59));
    return settings;
}

QStringList HtmlHead(bool location)
{
    const auto header = [](const QString& caption) {
        return "<TD BGCOLOR=\"#3333CC\"><FONT COLOR=\"#FFFFFF\"><B>" + caption + "</B></FONT></TD>";
    };
    QStringList lines = {"<HTML>",
                         "<HEAD>",
                         "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=utf-8\">",
                         "<TITLE>Kestrova Report Monday, 05 February 2024 14:30</TITLE>",
                         "</HEAD>",
                         "<BODY>",
                         "<H1>Kestrova Report Monday, 05 February 2024 14:30</H1>",
                         "<TABLE BORDER=\"1\"><FONT SIZE=\"1\" FACE=\"Tahoma\">",
                         "<TR>",
                         header("File Name")};
    if (location)
        lines << header("Location");
    lines << header("Size") << header("Date &amp; Time") << header("Attrs") << "</TR>";
    return lines;
}

QStringList Row(const QStringList& cells)
{
    QStringList lines{"<TR>"};
    for (const QString& cell : cells)
        lines << " <TD>" + cell + " </TD>";
    lines << "</TR>";
    return lines;
}

class ReportExportTest : public ::testing::Test {
protected:
    TempDir dir;
    QString path = dir.file("report");
};

TEST_F(ReportExportTest, HtmlFullNamesInFourColumns)
{
    ExportToHtml(path, Records(), Settings(0));
    const QByteArray expected =
        kBom + Lines(HtmlHead(false) +
                     Row({"<A HREF=\"file://PC1/share/docs/a%20b.txt\">\\\\PC1\\share\\docs\\a b.txt</A>",
                          "0.98 KB", "5 Feb 2024 14:30:15", "AR"}) +
                     Row({"<A HREF=\"file://PC1/share/docs\">\\\\PC1\\share\\docs</A>", "",
                          "5 Feb 2024 09:05:00", ""}) +
                     Row({"<A HREF=\"ftp://HOST/pub/big.iso\">ftp://HOST/pub/big.iso</A>", "5.00 GB",
                          "5 Feb 2024 23:59:58", ""}) +
                     QStringList{"</TABLE></BODY></HTML>"});
    EXPECT_EQ(ReadFile(path), expected);
}

TEST_F(ReportExportTest, HtmlNameAndLocationInFiveColumns)
{
    ExportToHtml(path, Records(), Settings(1));
    const QByteArray expected =
        kBom +
        Lines(HtmlHead(true) +
              Row({"<A HREF=\"file://PC1/share/docs/a%20b.txt\">a b.txt</A>",
                   "<A HREF=\"file://PC1/share/docs\">\\\\PC1\\share\\docs</A>", "0.98 KB",
                   "5 Feb 2024 14:30:15", "AR"}) +
              Row({"<A HREF=\"file://PC1/share/docs\">docs</A>",
                   "<A HREF=\"file://PC1/share\">\\\\PC1\\share</A>", "", "5 Feb 2024 09:05:00", ""}) +
              Row({"<A HREF=\"ftp://HOST/pub/big.iso\">big.iso</A>",
                   "<A HREF=\"ftp://HOST/pub\">ftp://HOST/pub</A>", "5.00 GB", "5 Feb 2024 23:59:58", ""}) +
              QStringList{"</TABLE></BODY></HTML>"});
    EXPECT_EQ(ReadFile(path), expected);
}

TEST_F(ReportExportTest, HtmlShortNamesForFormatTwoAndUnknownFormats)
{
    for (int format : {2, 7, -1}) {
        ExportToHtml(path, {Records()[0]}, Settings(format, 0));
        const QByteArray expected =
            kBom + Lines(HtmlHead(false) +
                         Row({"<A HREF=\"file://PC1/share/docs/a%20b.txt\">a b.txt</A>", "0.98 KB",
                              "5 Feb 2024", "AR"}) +
                         QStringList{"</TABLE></BODY></HTML>"});
        EXPECT_EQ(ReadFile(path), expected) << format;
    }
}

TEST_F(ReportExportTest, HtmlEscapesNamesSoTheyCannotInjectMarkup)
{
    const TItemList list = {
        MakeItemRecord(QStringLiteral("\\\\PC1\\s\\<script>alert(\"x&y\")</script>.txt"), 0, 0, When(1, 0, 0),
                       5),
        MakeItemRecord(QStringLiteral("ftp://HOST/a\"><img src=x onerror=alert(1)>"), 0, 0, When(1, 0, 0), 5),
    };
    ExportToHtml(path, list, Settings(1));
    const QString html = QString::fromUtf8(ReadFile(path));
    EXPECT_FALSE(html.contains("<script", Qt::CaseInsensitive));
    EXPECT_FALSE(html.contains("<img", Qt::CaseInsensitive));
    EXPECT_TRUE(html.contains("<A HREF=\"file://PC1/s/%3Cscript%3Ealert(%22x%26y%22)%3C/script%3E.txt\">"
                              "&lt;script&gt;alert(&quot;x&amp;y&quot;)&lt;/script&gt;.txt</A>"));
    EXPECT_TRUE(html.contains("<A HREF=\"ftp://HOST/a%22%3E%3Cimg%20src=x%20onerror=alert(1)%3E\">"));
    EXPECT_EQ(HtmlEscape("a&b"), "a&amp;b");
    EXPECT_EQ(HtmlEscape("plain"), "plain");
}

TEST_F(ReportExportTest, HtmlLinkTargetsArePercentEncodedAndTheTextStaysTheName)
{
    const TItemList list = {
        MakeItemRecord(QStringLiteral("\\\\PC1\\s\\50% off #2.txt"), 0, 0, When(1, 0, 0), 5),
        MakeItemRecord(QStringLiteral("ftp://HOST:2121/pub/r&d #1.txt"), 0, 0, When(1, 0, 0), 5),
    };
    ExportToHtml(path, list, Settings(0));
    const QString html = QString::fromUtf8(ReadFile(path));
    EXPECT_TRUE(
        html.contains("<A HREF=\"file://PC1/s/50%25%20off%20%232.txt\">\\\\PC1\\s\\50% off #2.txt</A>"))
        << html.toStdString();
    EXPECT_TRUE(html.contains(
        "<A HREF=\"ftp://HOST:2121/pub/r%26d%20%231.txt\">ftp://HOST:2121/pub/r&amp;d #1.txt</A>"))
        << html.toStdString();
}

TEST_F(ReportExportTest, HtmlFollowsTheLocale)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    ExportToHtml(path, {Records()[0]}, Settings(0, 3, german));
    const QString html = QString::fromUtf8(ReadFile(path));
    EXPECT_TRUE(html.contains("<TITLE>Kestrova Report Montag, 05 Februar 2024 14:30</TITLE>"));
    EXPECT_TRUE(html.contains(" <TD>0,98 KB </TD>\r\n"));
    EXPECT_TRUE(html.contains(" <TD>Montag, 5. Februar 2024 14:30:15 </TD>\r\n"));
}

TEST_F(ReportExportTest, XmlItemsPerNameFormat)
{
    const QByteArray head = kBom + "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<searchresult>\r\n";
    const QByteArray tail = "</searchresult>\r\n";
    ExportToXml(path, Records(), Settings(0));
    EXPECT_EQ(
        ReadFile(path),
        head +
            Lines({" <item name=\"\\\\PC1\\share\\docs\\a&#32;b.txt\" size=\"1000\" date=\"2024-02-05\" "
                   "time=\"14:30:15\" attr=\"AR\"/>",
                   " <item name=\"\\\\PC1\\share\\docs\" size=\"0\" date=\"2024-02-05\" time=\"09:05:00\" "
                   "attr=\"\"/>",
                   " <item name=\"ftp://HOST/pub/big.iso\" size=\"5368709120\" date=\"2024-02-05\" "
                   "time=\"23:59:58\" attr=\"\"/>"}) +
            tail);
    ExportToXml(path, {Records()[0]}, Settings(1));
    EXPECT_EQ(ReadFile(path),
              head +
                  Lines({" <item name=\"a&#32;b.txt\" location=\"\\\\PC1\\share\\docs\" size=\"1000\" "
                         "date=\"2024-02-05\" time=\"14:30:15\" attr=\"AR\"/>"}) +
                  tail);
    for (int format : {2, 9}) {
        ExportToXml(path, {Records()[0]}, Settings(format));
        EXPECT_EQ(ReadFile(path), head +
                                      Lines({" <item name=\"a&#32;b.txt\" size=\"1000\" date=\"2024-02-05\" "
                                             "time=\"14:30:15\" attr=\"AR\"/>"}) +
                                      tail)
            << format;
    }
}

TEST_F(ReportExportTest, XmlEscapesAttributesAndUsesTheLocaleTimeSeparator)
{
    EXPECT_EQ(XmlEscape("a \"b\" & 'c' <d>"),
              "a&#32;&quot;b&quot;&#32;&amp;&#32;&apos;c&apos;&#32;&lt;d&gt;");
    EXPECT_EQ(XmlEscape(QStringLiteral("ünï😀")), QStringLiteral("ünï😀"));
    const TItemList list = {
        MakeItemRecord(QStringLiteral("\\\\PC\\s\\R&D ünï.txt"), 0x22, 0, When(7, 8, 9), -2)};
    ExportToXml(path, list, Settings(0, 0, QLocale(QLocale::Finnish, QLocale::Finland)));
    const QByteArray xml = ReadFile(path);
    // -2 bytes read as all 64 bits unsigned, as the size field always is.
    EXPECT_TRUE(xml.contains(
        " <item name=\"\\\\PC\\s\\R&amp;D&#32;\xC3\xBCn\xC3\xAF.txt\" size=\"18446744073709551614\" "
        "date=\"2024-02-05\" time=\"07.08.09\" attr=\"AH\"/>\r\n"))
        << xml.toStdString();
}

TEST_F(ReportExportTest, CsvFieldsSeparatorsAndAnsi)
{
    ExportToCsv(path, Records(), Settings(0));
    EXPECT_EQ(ReadFile(path), "\"\\\\PC1\\share\\docs\\a b.txt\",1000,5 Feb 2024 14:30:15,AR\r\n"
                              "\"\\\\PC1\\share\\docs\",0,5 Feb 2024 09:05:00,\r\n"
                              "\"ftp://HOST/pub/big.iso\",5368709120,5 Feb 2024 23:59:58,\r\n");
    ExportToCsv(path, {Records()[0]}, Settings(1, 2, QLocale(QLocale::German, QLocale::Germany)));
    EXPECT_EQ(ReadFile(path), "\"a b.txt\";\"\\\\PC1\\share\\docs\";1000;05.02.24 14:30;AR\r\n");
    for (int format : {2, 5}) {
        ExportToCsv(path, {Records()[2]}, Settings(format, 0));
        EXPECT_EQ(ReadFile(path), "\"big.iso\",5368709120,5 Feb 2024,\r\n") << format;
    }
}

TEST_F(ReportExportTest, CsvDoublesQuotesAndWritesWindows1252)
{
    const TItemList list = {
        MakeItemRecord(QStringLiteral("\\\\PC\\s\\say \"hi\" café €5 Жук.txt"), 0, 0, 0.0, 1)};
    ExportToCsv(path, list, Settings(1, 9));
    EXPECT_EQ(ReadFile(path),
              QByteArray("\"say \"\"hi\"\" caf\xE9 \x80") + "5 ???.txt\",\"\\\\PC\\s\",1,,\r\n");
}

TEST_F(ReportExportTest, EmptyListsGiveFrameOnly)
{
    ExportToHtml(path, {}, Settings(1));
    EXPECT_EQ(ReadFile(path), kBom + Lines(HtmlHead(true) + QStringList{"</TABLE></BODY></HTML>"}));
    ExportToXml(path, {}, Settings(0));
    EXPECT_EQ(ReadFile(path), kBom + Lines({"<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "<searchresult>",
                                            "</searchresult>"}));
    dir.write("report", "old content");
    ExportToCsv(path, {}, Settings(0));
    EXPECT_EQ(ReadFile(path), QByteArray());
}

TEST_F(ReportExportTest, FailuresCarryTheFormatsPrefix)
{
    const QString bad = dir.file("missing/folder/report");
    const struct {
        TReportFormat format;
        const char* prefix;
    } cases[] = {{TReportFormat::Html, "HTML export error: "},
                 {TReportFormat::Xml, "XML export error: "},
                 {TReportFormat::Csv, "CSV export error: "}};
    for (const auto& c : cases) {
        try {
            ExportReport(c.format, bad, Records(), Settings(0));
            ADD_FAILURE() << c.prefix << "no error";
        } catch (const EKestrovaError& error) {
            EXPECT_TRUE(error.message().startsWith(c.prefix)) << error.message().toStdString();
            EXPECT_TRUE(error.message().contains("No such file or directory"))
                << error.message().toStdString();
        }
    }
    // Writing into a full device: the failure surfaces at the write, not silently.
    if (QFile::exists("/dev/full")) {
        EXPECT_THROW(ExportToXml("/dev/full", Records(), Settings(0)), EKestrovaError);
    }
}

TEST_F(ReportExportTest, ExportReportDispatchesByFormat)
{
    ExportReport(TReportFormat::Xml, path, Records(), Settings(0));
    EXPECT_TRUE(ReadFile(path).startsWith(kBom + "<?xml"));
    ExportReport(TReportFormat::Html, path, Records(), Settings(0));
    EXPECT_TRUE(ReadFile(path).startsWith(kBom + "<HTML>"));
    ExportReport(TReportFormat::Csv, path, Records(), Settings(0));
    EXPECT_TRUE(ReadFile(path).startsWith("\"\\\\PC1"));
}

} // namespace
