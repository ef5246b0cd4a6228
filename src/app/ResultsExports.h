#pragma once

#include "app/CommandLine.h"
#include "store/IconImage.h"
#include "store/ReportExport.h"

#include <QIcon>
#include <QList>
#include <QString>
#include <optional>

class TMainWindow;

// The report format a name's extension names (.htm, .html, .xml, .csv, .jsonl in any case).
std::optional<TReportFormat> ReportFormatOfName(const QString& fileName);

// Where "Export ..." writes and in which format: a typed extension of the four picks the
// format; otherwise the chosen filter entry (1-based: HTML, XML, CSV, JSON Lines) does and
// adds its extension. JSON Lines are those of the command line's /exportjson.
struct TReportTarget {
    TReportFormat format;
    QString fileName;
    bool extensionAdded;
};
TReportTarget ReportTarget(const QString& fileName, int filterEntry);

// Results files and reports of the main window: "&Load Results ...", "&Save Results ...",
// "Export ...", "Create &Batch File ..." and the command line's export switches.
//
// The icons a results file holds are the list the view shows: the icon cache's after a
// search started, or the list read from the last loaded file (kept here until the next
// load replaces it or a search puts the cache back).
class TResultsExports {
public:
    explicit TResultsExports(TMainWindow& window);

    // Makes the window's four commands run here.
    void installCommands();
    // One command-line export; failures are shown and give false.
    bool writeExport(TCommandLine::ExportKind kind, const QString& fileName);

    // The commands' work, with the names the dialogs would give.
    bool saveResults(const QString& fileName);
    bool loadResults(const QString& fileName);
    // csvHeader adds the header row and ISO dates whatever the setting says.
    bool exportReport(TReportFormat format, const QString& fileName, bool csvHeader = false);

    TReportSettings reportSettings() const;
    // The view's current icon list as plain images.
    TIconList currentIcons() const;
    bool showsStoredIcons() const { return m_showsStoredIcons; }

    static TIconImage ToIconImage(const QImage& image);
    static QImage ToImage(const TIconImage& icon);

private:
    void saveResultsCommand();
    void loadResultsCommand();
    void exportCommand();
    void batchFileCommand();

    TMainWindow& m_window;
    TIconList m_storedIcons;
    QList<QIcon> m_storedQIcons;
    bool m_showsStoredIcons = false;
};
