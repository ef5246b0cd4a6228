#include "model/DateTime.h"
#include "model/DateTimePattern.h"
#include "model/ItemDateText.h"
#include "model/LocaleFormats.h"
#include "store/ReportCommon.h"
#include "store/TextFileWriter.h"

namespace {

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
                            TDateTimePattern::quoted(LocaleTimeSeparator(settings.Locale)) + QStringLiteral("mm");
    const QDateTime now = settings.ReportTime.isValid() ? settings.ReportTime : QDateTime::currentDateTime();
    return QStringLiteral("Kestrova Report ") +
           TDateTimePattern(pattern, settings.Locale).format(DateTimeFromQDateTime(now));
}

// A link to a hit or its folder: FTP URLs as they are, share paths as file: URLs
// with forward slashes (\\HOST\share\a.txt links to file://HOST/share/a.txt).
// Both parts are escaped, so a name on a share cannot bring markup into the page.
void AppendLink(QString& out, const TItemRecord& item, const QString& target, const QString& text)
{
    out += QStringLiteral("<A HREF=\"");
    if (IsFtpItem(item)) {
        out += HtmlEscape(target);
    } else {
        out += QStringLiteral("file:");
        out += HtmlEscape(QString(target).replace(u'\\', u'/'));
    }
    out += QStringLiteral("\">");
    out += HtmlEscape(text);
    out += QStringLiteral("</A>");
}

void BeginCell(QString& out)
{
    out += QStringLiteral(" <TD>");
}

void EndCell(QString& out)
{
    out += QStringLiteral(" </TD>\r\n");
}

} // namespace

QString HtmlEscape(const QString& text)
{
    qsizetype at = 0;
    while (at < text.size() && text.at(at) != u'&' && text.at(at) != u'<' && text.at(at) != u'>' &&
           text.at(at) != u'"')
        ++at;
    if (at == text.size())
        return text;
    QString escaped = text.left(at);
    for (; at < text.size(); ++at) {
        const QChar ch = text.at(at);
        switch (ch.unicode()) {
        case '&': escaped += QStringLiteral("&amp;"); break;
        case '<': escaped += QStringLiteral("&lt;"); break;
        case '>': escaped += QStringLiteral("&gt;"); break;
        case '"': escaped += QStringLiteral("&quot;"); break;
        default: escaped += ch; break;
        }
    }
    return escaped;
}

void ExportToHtml(const QString& path, const TItemList& list, const TReportSettings& settings)
{
    RunExport(QStringLiteral("HTML export error: "), [&] {
        const TNameColumns columns = NameColumnsFor(settings.FileNameDisplayFormat);
        const TItemDateFormatter dates(settings.DateFormat, settings.Locale);
        const QString title = HtmlEscape(TitleText(settings));

        TTextFileWriter out(path, TTextFileWriter::TEncoding::Utf8);
        out.writeUtf8ByteOrderMark();
        out.writeLine(QStringLiteral("<HTML>"));
        out.writeLine(QStringLiteral("<HEAD>"));
        out.writeLine(QStringLiteral("<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=utf-8\">"));
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
        out.writeLine(QStringLiteral("</TR>"));

        QString row;
        for (const TItemRecord& item : list) {
            row.resize(0);
            row += QStringLiteral("<TR>\r\n");
            BeginCell(row);
            AppendLink(row, item, item.FileName,
                       columns == TNameColumns::FullName ? item.FileName : ItemName(item));
            EndCell(row);
            if (columns == TNameColumns::NameAndLocation) {
                const QString location = ItemLocation(item);
                BeginCell(row);
                AppendLink(row, item, location, location);
                EndCell(row);
            }
            BeginCell(row);
            row += ItemSizeText(item, settings.Locale);
            EndCell(row);
            BeginCell(row);
            dates.appendTo(row, item);
            EndCell(row);
            BeginCell(row);
            row += ItemAttributesText(item);
            EndCell(row);
            row += QStringLiteral("</TR>\r\n");
            out.writeText(row);
        }
        out.writeLine(QStringLiteral("</TABLE></BODY></HTML>"));
        out.close();
    });
}
