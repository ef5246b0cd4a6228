#include "store/ReportExport.h"

#include "store/JsonLinesReport.h"

void ExportReport(TReportFormat format, const QString& path, const TItemList& list,
                  const TReportSettings& settings)
{
    switch (format) {
    case TReportFormat::Html:
        ExportToHtml(path, list, settings);
        break;
    case TReportFormat::Xml:
        ExportToXml(path, list, settings);
        break;
    case TReportFormat::Csv:
        ExportToCsv(path, list, settings);
        break;
    case TReportFormat::JsonLines:
        ExportToJsonLines(path, list);
        break;
    }
}
