#include "files/TextFileWriter.h"
#include "model/ItemDateText.h"
#include "model/LocaleFormats.h"
#include "store/ReportCommon.h"

namespace {

// A name field in double quotes; quotes inside are doubled so that a name holding
// one cannot end the field early.
void AppendQuoted(QString& out, QStringView text)
{
    out += u'"';
    qsizetype runStart = 0;
    for (qsizetype quote = text.indexOf(u'"'); quote >= 0; quote = text.indexOf(u'"', quote + 1)) {
        out += text.mid(runStart, quote + 1 - runStart);
        out += u'"';
        runStart = quote + 1;
    }
    out += text.mid(runStart);
    out += u'"';
}

// Exact text: spreadsheets and scripts that read the CSV by column name rely on
// these captions; the report tests compare the row.
// The optional first row: the column names of the HTML report, unquoted.
QString HeaderRow(TNameColumns columns, bool includeMatch, QChar separator)
{
    QStringList names{QStringLiteral("File Name")};
    if (columns == TNameColumns::NameAndLocation)
        names.append(QStringLiteral("Location"));
    names.append({QStringLiteral("Size"), QStringLiteral("Date & Time"), QStringLiteral("Attrs")});
    if (includeMatch)
        names.append({QStringLiteral("Match"), QStringLiteral("Excerpt")});
    return names.join(separator) + QLatin1StringView("\r\n");
}

} // namespace

void ExportToCsv(const QString& path, const TItemList& list, const TReportSettings& settings)
{
    // Exact text: command-line callers and the export tests match this error prefix.
    RunExport(QStringLiteral("CSV export error: "), [&] {
        const TNameColumns columns = NameColumnsFor(settings.FileNameDisplayFormat);
        const TItemDateFormatter dates(settings.DateFormat, settings.Locale);
        const QChar separator = LocaleListSeparator(settings.Locale);

        TTextFileWriter out(path, TTextFileWriter::TEncoding::Ansi);
        if (settings.CsvHeader)
            out.writeText(HeaderRow(columns, settings.IncludeMatch, separator));
        QString line;
        for (const TItemRecord& item : list) {
            line.resize(0);
            if (columns == TNameColumns::FullName) {
                AppendQuoted(line, item.FileName);
            } else {
                AppendQuoted(line, ItemNameView(item));
                if (columns == TNameColumns::NameAndLocation) {
                    line += separator;
                    AppendQuoted(line, ItemLocationView(item));
                }
            }
            line += separator;
            line += ByteCountText(item);
            line += separator;
            if (settings.CsvHeader)
                line += ItemIsoDateText(item);
            else
                dates.appendTo(line, item);
            line += separator;
            AppendItemAttributesText(line, item);
            if (settings.IncludeMatch) {
                const TContentMatch none;
                const TContentMatch& match = item.Match ? *item.Match : none;
                line += separator;
                AppendQuoted(line, match.Term);
                line += separator;
                AppendQuoted(line, match.Excerpt);
            }
            line += QLatin1StringView("\r\n");
            out.writeText(line);
        }
        out.close();
    });
}
