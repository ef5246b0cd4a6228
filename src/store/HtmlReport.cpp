#include "files/TextFileWriter.h"
#include "model/DateTime.h"
#include "model/DateTimePattern.h"
#include "model/ItemDateText.h"
#include "model/LocaleFormats.h"
#include "store/MarkupEscape.h"
#include "store/ReportCommon.h"

#include <QUrl>

namespace {

// Exact text: the HTML report's markup in this file (cells, links, the head and the
// column captions) is read by users' scripts that scrape the report and compared by
// the store tests line by line.
QString HeaderCell(const QString& caption)
{
    return QStringLiteral("<TD BGCOLOR=\"#3333CC\"><FONT COLOR=\"#FFFFFF\"><B>") + caption +
           QStringLiteral("</B></FONT></TD>");
}

// "Kestrova Report Monday, 05 February 2024 14:30" in the locale's names and time
// separator.
QString TitleText(const TReportSettings& settings)
{
    const QString pattern = QStringLiteral("dddd, dd MMMM yyyy HH") +
                            TDateTimePattern::quoted(LocaleTimeSeparator(settings.Locale)) +
                            QStringLiteral("mm");
    const QDateTime now = settings.ReportTime.isValid() ? settings.ReportTime : QDateTime::currentDateTime();
    return QStringLiteral("Kestrova Report ") +
           TDateTimePattern(pattern, settings.Locale).format(DateTimeFromQDateTime(now));
}

// A link to a hit or its folder: FTP URLs as they are, share paths as file: URLs
// with forward slashes (\\HOST\share\a b.txt links to file://HOST/share/a%20b.txt).
// The target is percent-encoded (a "#", "%" or blank in a name would otherwise cut
// or bend the link) and the text escaped, so a name on a share cannot bring markup
// into the page.
void AppendLink(QString& out, const TItemRecord& item, QStringView target, QStringView text)
{
    QString url = target.toString();
    if (!IsFtpItem(item))
        url = QStringLiteral("file:") + url.replace(u'\\', u'/');
    // The characters that separate the parts of a URL stay; "&" is encoded with the rest.
    const QByteArray encoded = QUrl::toPercentEncoding(url, "/:@[]!$'()*+,;=");
    out += QLatin1StringView("<A HREF=\"");
    AppendEscaped(out, QString::fromLatin1(encoded), TMarkup::Html);
    out += QLatin1StringView("\">");
    AppendEscaped(out, text, TMarkup::Html);
    out += QLatin1StringView("</A>");
}

void BeginCell(QString& out)
{
    out += QLatin1StringView(" <TD>");
}

void EndCell(QString& out)
{
    out += QLatin1StringView(" </TD>\r\n");
}

} // namespace

void ExportToHtml(const QString& path, const TItemList& list, const TReportSettings& settings)
{
    // Exact text: the error prefix of each export is what command-line callers and the
    // tests look for in the error output.
    RunExport(QStringLiteral("HTML export error: "), [&] {
        const TNameColumns columns = NameColumnsFor(settings.FileNameDisplayFormat);
        const TItemDateFormatter dates(settings.DateFormat, settings.Locale);
        const TSizeFormatter sizes(settings.Locale);
        const QString title = HtmlEscape(TitleText(settings));

        TTextFileWriter out(path, TTextFileWriter::TEncoding::Utf8);
        out.writeUtf8ByteOrderMark();
        out.writeLine(QStringLiteral("<HTML>"));
        out.writeLine(QStringLiteral("<HEAD>"));
        out.writeLine(
            QStringLiteral("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=utf-8\">"));
        out.writeLine(QStringLiteral("<TITLE>") + title + QStringLiteral("</TITLE>"));
        out.writeLine(QStringLiteral("</HEAD>"));
        out.writeLine(QStringLiteral("<BODY>"));
        out.writeLine(QStringLiteral("<H1>") + title + QStringLiteral("</H1>"));
        out.writeLine(QStringLiteral("<TABLE BORDER=\"1\"><FONT SIZE=\"1\" FACE=\"Tahoma\">"));
        out.writeLine(QStringLiteral("<TR>"));
        out.writeLine(HeaderCell(QStringLiteral("File Name")));
        if (columns == TNameColumns::NameAndLocation)
            out.writeLine(HeaderCell(QStringLiteral("Location")));
        out.writeLine(HeaderCell(QStringLiteral("Size")));
        out.writeLine(HeaderCell(QStringLiteral("Date &amp; Time")));
        out.writeLine(HeaderCell(QStringLiteral("Attrs")));
        if (settings.IncludeMatch)
            out.writeLine(HeaderCell(QStringLiteral("Match")));
        out.writeLine(QStringLiteral("</TR>"));

        QString row;
        for (const TItemRecord& item : list) {
            row.resize(0);
            row += QLatin1StringView("<TR>\r\n");
            BeginCell(row);
            AppendLink(row, item, item.FileName,
                       columns == TNameColumns::FullName ? QStringView(item.FileName) : ItemNameView(item));
            EndCell(row);
            if (columns == TNameColumns::NameAndLocation) {
                const QStringView location = ItemLocationView(item);
                BeginCell(row);
                AppendLink(row, item, location, location);
                EndCell(row);
            }
            BeginCell(row);
            sizes.appendTo(row, item);
            EndCell(row);
            BeginCell(row);
            dates.appendTo(row, item);
            EndCell(row);
            BeginCell(row);
            AppendItemAttributesText(row, item);
            EndCell(row);
            if (settings.IncludeMatch) {
                BeginCell(row);
                AppendEscaped(row, ContentMatchText(item.Match.get()), TMarkup::Html);
                EndCell(row);
            }
            row += QLatin1StringView("</TR>\r\n");
            out.writeText(row);
        }
        out.writeLine(QStringLiteral("</TABLE></BODY></HTML>"));
        out.close();
    });
}
