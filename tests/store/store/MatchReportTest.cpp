#include "model/DateTime.h"
#include "store/ReportExport.h"
#include "support/TempDir.h"

#include <QFile>
#include <gtest/gtest.h>
#include <memory>

// The match (term and excerpt) in the three reports: only with IncludeMatch, and
// without it every report is byte for byte what it is for records without a match.
namespace {

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

TItemList Records(bool withMatch)
{
    TItemRecord document = MakeItemRecord(QStringLiteral("\\\\PC1\\share\\plan.docx"), 0x20, 0,
                                          EncodeDateTime({2024, 2, 5, 14, 30, 15, 0}), 1000);
    TItemRecord other = MakeItemRecord(QStringLiteral("\\\\PC1\\share\\other.bin"), 0x20, 0,
                                       EncodeDateTime({2024, 2, 5, 9, 5, 0, 0}), 10);
    if (withMatch)
        document.Match = std::make_shared<const TContentMatch>(
            TContentMatch{QStringLiteral("password"), QStringLiteral("Your <b>password</b> & \"key\"")});
    return {document, other};
}

TReportSettings Settings(bool includeMatch)
{
    TReportSettings settings;
    settings.FileNameDisplayFormat = 0;
    settings.DateFormat = 2;
    settings.Locale = QLocale::c();
    settings.ReportTime = QDateTime(QDate(2024, 2, 5), QTime(14, 30, 59));
    settings.IncludeMatch = includeMatch;
    return settings;
}

class MatchReportTest : public ::testing::Test {
protected:
    QByteArray Export(TReportFormat format, bool withMatch, bool includeMatch)
    {
        const QString path = dir.file(QStringLiteral("report%1").arg(++count));
        ExportReport(format, path, Records(withMatch), Settings(includeMatch));
        return ReadFile(path);
    }

    TempDir dir;
    int count = 0;
};

TEST_F(MatchReportTest, WithoutTheOptionReportsIgnoreMatches)
{
    for (TReportFormat format : {TReportFormat::Html, TReportFormat::Xml, TReportFormat::Csv}) {
        const QByteArray plain = Export(format, false, false);
        EXPECT_EQ(Export(format, true, false), plain) << int(format);
        EXPECT_FALSE(plain.contains("password"));
    }
}

TEST_F(MatchReportTest, CsvGetsTermAndExcerptFieldsOnEveryLine)
{
    const QList<QByteArray> lines = Export(TReportFormat::Csv, true, true).split('\n');
    ASSERT_GE(lines.size(), 2);
    EXPECT_TRUE(lines[0].endsWith(",\"password\",\"Your <b>password</b> & \"\"key\"\"\"\r"))
        << lines[0].data();
    // A hit without a match keeps the columns, empty.
    EXPECT_TRUE(lines[1].endsWith(",\"\",\"\"\r")) << lines[1].data();
}

TEST_F(MatchReportTest, XmlGetsEscapedAttributesOnHitsWithAMatch)
{
    const QByteArray xml = Export(TReportFormat::Xml, true, true);
    EXPECT_TRUE(
        xml.contains(" match=\"password\" excerpt=\"Your&#32;&lt;b&gt;password&lt;/b&gt;&#32;&amp;&#32;"
                     "&quot;key&quot;\"/>"))
        << xml.data();
    EXPECT_EQ(xml.count("match="), 1);
}

TEST_F(MatchReportTest, HtmlGetsAMatchColumn)
{
    const QByteArray html = Export(TReportFormat::Html, true, true);
    EXPECT_TRUE(html.contains("<B>Match</B>"));
    EXPECT_TRUE(html.contains(" <TD>password: Your &lt;b&gt;password&lt;/b&gt; &amp; &quot;key&quot; </TD>"))
        << html.data();
    // Every row has the cell, empty for the hit without a match.
    EXPECT_EQ(html.count("<TR>"), 3);
    EXPECT_EQ(html.count(" <TD> </TD>"), 1);
}

} // namespace
