#include "files/TextFileWriter.h"
#include "model/DateTimePattern.h"
#include "model/LocaleFormats.h"
#include "store/MarkupEscape.h"
#include "store/ReportCommon.h"

void ExportToXml(const QString& path, const TItemList& list, const TReportSettings& settings)
{
    // Exact text: the error prefix and the <searchresult>/<item> markup below (element,
    // attribute names, date pattern) are parsed by users' scripts and compared by the
    // store and unattended-run tests.
    RunExport(QStringLiteral("XML export error: "), [&] {
        const TNameColumns columns = NameColumnsFor(settings.FileNameDisplayFormat);
        // The date always uses '-'; the time uses the locale's separator.
        const QString separator = TDateTimePattern::quoted(LocaleTimeSeparator(settings.Locale));
        const TDateTimePattern datePattern(QStringLiteral("yyyy-MM-dd"), settings.Locale);
        const TDateTimePattern timePattern(QStringLiteral("HH") + separator + QStringLiteral("mm") +
                                               separator + QStringLiteral("ss"),
                                           settings.Locale);

        TTextFileWriter out(path, TTextFileWriter::TEncoding::Utf8);
        out.writeUtf8ByteOrderMark();
        out.writeLine(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>"));
        out.writeLine(QStringLiteral("<searchresult>"));
        QString line;
        QString text;
        for (const TItemRecord& item : list) {
            line.resize(0);
            line += QLatin1StringView(" <item name=\"");
            if (columns == TNameColumns::FullName) {
                AppendEscaped(line, item.FileName, TMarkup::XmlAttribute);
            } else {
                AppendEscaped(line, ItemNameView(item), TMarkup::XmlAttribute);
                if (columns == TNameColumns::NameAndLocation) {
                    line += QLatin1StringView("\" location=\"");
                    AppendEscaped(line, ItemLocationView(item), TMarkup::XmlAttribute);
                }
            }
            line += QLatin1StringView("\" size=\"");
            line += ByteCountText(item);
            line += QLatin1StringView("\" date=\"");
            text.resize(0);
            datePattern.appendTo(text, item.DateTime);
            AppendEscaped(line, text, TMarkup::XmlAttribute);
            line += QLatin1StringView("\" time=\"");
            text.resize(0);
            timePattern.appendTo(text, item.DateTime);
            AppendEscaped(line, text, TMarkup::XmlAttribute);
            line += QLatin1StringView("\" attr=\"");
            AppendItemAttributesText(line, item);
            if (settings.IncludeMatch && item.Match) {
                line += QLatin1StringView("\" match=\"");
                AppendEscaped(line, item.Match->Term, TMarkup::XmlAttribute);
                line += QLatin1StringView("\" excerpt=\"");
                AppendEscaped(line, item.Match->Excerpt, TMarkup::XmlAttribute);
            }
            line += QLatin1StringView("\"/>\r\n");
            out.writeText(line);
        }
        out.writeLine(QStringLiteral("</searchresult>"));
        out.close();
    });
}
