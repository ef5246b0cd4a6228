#include "model/DateTimePattern.h"
#include "model/LocaleFormats.h"
#include "store/ReportCommon.h"
#include "store/TextFileWriter.h"

QString XmlEscape(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size() + 16);
    for (const QChar ch : text) {
        switch (ch.unicode()) {
        case ' ': escaped += QStringLiteral("&#32;"); break;
        case '"': escaped += QStringLiteral("&quot;"); break;
        case '&': escaped += QStringLiteral("&amp;"); break;
        case '\'': escaped += QStringLiteral("&apos;"); break;
        case '<': escaped += QStringLiteral("&lt;"); break;
        case '>': escaped += QStringLiteral("&gt;"); break;
        default: escaped += ch; break;
        }
    }
    return escaped;
}

void ExportToXml(const QString& path, const TItemList& list, const TReportSettings& settings)
{
    RunExport(QStringLiteral("XML export error: "), [&] {
        const TNameColumns columns = NameColumnsFor(settings.FileNameDisplayFormat);
        // The date always uses '-'; the time uses the locale's separator.
        const QString separator = TDateTimePattern::quoted(LocaleTimeSeparator(settings.Locale));
        const TDateTimePattern datePattern(QStringLiteral("yyyy-MM-dd"), settings.Locale);
        const TDateTimePattern timePattern(QStringLiteral("HH") + separator + QStringLiteral("mm") + separator +
                                               QStringLiteral("ss"),
                                           settings.Locale);

        TTextFileWriter out(path, TTextFileWriter::TEncoding::Utf8);
        out.writeUtf8ByteOrderMark();
        out.writeLine(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
        out.writeLine(QStringLiteral("<searchresult>"));
        QString line;
        for (const TItemRecord& item : list) {
            line.resize(0);
            line += QStringLiteral(" <item name=\"");
            if (columns == TNameColumns::FullName) {
                line += XmlEscape(item.FileName);
            } else {
                line += XmlEscape(ItemName(item));
                if (columns == TNameColumns::NameAndLocation) {
                    line += QStringLiteral("\" location=\"");
                    line += XmlEscape(ItemLocation(item));
                }
            }
            line += QStringLiteral("\" size=\"");
            line += ByteCountText(item);
            line += QStringLiteral("\" date=\"");
            line += XmlEscape(datePattern.format(item.DateTime));
            line += QStringLiteral("\" time=\"");
            line += XmlEscape(timePattern.format(item.DateTime));
            line += QStringLiteral("\" attr=\"");
            line += XmlEscape(ItemAttributesText(item));
            line += QStringLiteral("\"/>");
            out.writeLine(line);
        }
        out.writeLine(QStringLiteral("</searchresult>"));
        out.close();
    });
}
