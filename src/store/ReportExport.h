#pragma once

#include "model/ItemRecord.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

// Reports of a result list: an HTML page, an XML document or a CSV text, rows in
// list order. The settings that shape them come in with each call, so the GUI and
// unattended runs pass what is current.
struct TReportSettings {
    // "View" FileNameDisplayFormat: 0 full name in one column, 1 name and location
    // in two, 2 name only. Other values are written like 2.
    int FileNameDisplayFormat = 0;
    // "View" DateFormat (the results view's date column): 0 short date, 1 long date,
    // 2 short date and time, 3 long date and time; others give empty dates.
    int DateFormat = 0;
    // Day and month names, decimal and time separators, the CSV list separator.
    QLocale Locale;
    // The time in the HTML title; the current time when not set.
    QDateTime ReportTime;
    // "Export" CsvHeader: the CSV starts with a row of column names and its dates are
    // ISO 8601 with offset instead of the DateFormat text.
    bool CsvHeader = false;
    // Adds why each hit passed the content test (TItemRecord::Match: the term and its
    // excerpt) as a last column, XML attributes or CSV fields; without it every report
    // is as it always was.
    bool IncludeMatch = false;
};

// JsonLines: see store/JsonLinesReport.h (the settings do not shape it).
enum class TReportFormat { Html, Xml, Csv, JsonLines };

// Each writer creates the file anew and writes all of it: UTF-8 with a byte order
// mark for HTML and XML, Windows-1252 for CSV, CR LF after every line. A failure
// raises EKestrovaError whose message starts with "HTML export error: ", "XML
// export error: " or "CSV export error: "; what was written stays on disk.
void ExportToHtml(const QString& path, const TItemList& list, const TReportSettings& settings);
void ExportToXml(const QString& path, const TItemList& list, const TReportSettings& settings);
void ExportToCsv(const QString& path, const TItemList& list, const TReportSettings& settings);
void ExportReport(TReportFormat format, const QString& path, const TItemList& list,
                  const TReportSettings& settings);

// Entities for XML attribute values: blank "&#32;", '"' "&quot;", '&' "&amp;",
// '\'' "&apos;", '<' "&lt;", '>' "&gt;"; everything else is copied.
QString XmlEscape(const QString& text);
// Entities for HTML text and attribute values: '&', '<', '>' and '"'.
QString HtmlEscape(const QString& text);
