#include "app/ResultsExports.h"

#include "app/MainWindow.h"
#include "app/ResultsModel.h"
#include "app/SearchControl.h"
#include "dialogs/BatchFileDialog.h"
#include "model/Error.h"
#include "store/ResultsFile.h"
#include "store/Settings.h"
#include "widgets/FileDialogs.h"
#include "widgets/UserPrompts.h"

#include <QFileInfo>
#include <QPixmap>
#include <iterator>

namespace {

const QString kResultsFilter = QStringLiteral("Kestrova results (*.dat)|*.dat");
const QString kReportFilter = QStringLiteral("HTML files (*.htm)|*.htm|XML files (*.xml)|*.xml|CSV files "
                                             "(*.csv)|*.csv|JSON Lines files (*.jsonl)|*.jsonl");

// The format and the extension of each entry of kReportFilter, in the filter's order.
struct TReportEntry {
    TReportFormat format;
    QString extension;
};
const TReportEntry kReportEntries[] = {{TReportFormat::Html, QStringLiteral(".htm")},
                                       {TReportFormat::Xml, QStringLiteral(".xml")},
                                       {TReportFormat::Csv, QStringLiteral(".csv")},
                                       {TReportFormat::JsonLines, QStringLiteral(".jsonl")}};
constexpr int kReportEntryCount = static_cast<int>(std::size(kReportEntries));

} // namespace

std::optional<TReportFormat> ReportFormatOfName(const QString& fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == u"htm" || suffix == u"html")
        return TReportFormat::Html;
    if (suffix == u"xml")
        return TReportFormat::Xml;
    if (suffix == u"csv")
        return TReportFormat::Csv;
    if (suffix == u"jsonl")
        return TReportFormat::JsonLines;
    return std::nullopt;
}

TReportTarget ReportTarget(const QString& fileName, int filterEntry)
{
    if (const std::optional<TReportFormat> typed = ReportFormatOfName(fileName))
        return {*typed, fileName, false};
    const int entry = filterEntry >= 1 && filterEntry <= kReportEntryCount ? filterEntry : 1;
    const TReportEntry& chosen = kReportEntries[entry - 1];
    return {chosen.format, fileName + chosen.extension, true};
}

TResultsExports::TResultsExports(TMainWindow& window) : m_window(window)
{
    // A search start attaches the icon cache again.
    QObject::connect(&m_window.searchControl(), &TSearchControl::started, &m_window,
                     [this] { m_showsStoredIcons = false; });
}

void TResultsExports::installCommands()
{
    m_window.setCommandHandler(TCommand::SaveResults, [this] { saveResultsCommand(); });
    m_window.setCommandHandler(TCommand::LoadResults, [this] { loadResultsCommand(); });
    m_window.setCommandHandler(TCommand::Export, [this] { exportCommand(); });
    m_window.setCommandHandler(TCommand::CreateBatchFile, [this] { batchFileCommand(); });
}

TReportSettings TResultsExports::reportSettings() const
{
    TReportSettings settings;
    settings.FileNameDisplayFormat = m_window.settings().Settings.FileNameDisplayFormat;
    settings.DateFormat = m_window.settings().Settings.DateFormat;
    settings.Locale = QLocale();
    settings.CsvHeader = m_window.settings().Settings.CsvHeader;
    settings.IncludeMatch = m_window.settings().Settings.SearchInsideDocuments;
    return settings;
}

TIconImage TResultsExports::ToIconImage(const QImage& image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32); // straight alpha
    TIconImage icon(argb.width(), argb.height());
    for (int y = 0; y < argb.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        for (int x = 0; x < argb.width(); ++x)
            icon.setPixel(x, y, row[x]);
    }
    return icon;
}

QImage TResultsExports::ToImage(const TIconImage& icon)
{
    QImage image(icon.Width, icon.Height, QImage::Format_ARGB32);
    for (int y = 0; y < icon.Height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < icon.Width; ++x)
            row[x] = icon.pixel(x, y);
    }
    return image;
}

TIconList TResultsExports::currentIcons() const
{
    if (m_showsStoredIcons)
        return m_storedIcons;
    TIconList icons;
    for (const QImage& image : m_window.iconCache().images())
        icons.append(ToIconImage(image));
    return icons;
}

bool TResultsExports::saveResults(const QString& fileName)
{
    try {
        TResultsModel& model = m_window.resultsModel();
        model.flushRowCount();
        SaveResultsToFile(fileName, model.items(), currentIcons());
        return true;
    } catch (const std::exception& error) {
        // Exact text: the results file error prefixes, compared by the results export tests.
        ShowError(QStringLiteral("Unable to save file: ") + ExceptionMessage(error));
        return false;
    }
}

bool TResultsExports::loadResults(const QString& fileName)
{
    // The file is read into a list of its own: a file that fails leaves the list on
    // screen (and its icons) as they were.
    TItemList records;
    TIconList icons;
    try {
        LoadResultsFromFile(fileName, records, icons);
    } catch (const std::exception& error) {
        ShowError(QStringLiteral("Unable to open file: ") + ExceptionMessage(error));
        return false;
    }
    m_storedIcons = icons;
    m_storedQIcons.clear();
    for (const TIconImage& icon : m_storedIcons)
        m_storedQIcons.append(QIcon(QPixmap::fromImage(ToImage(icon))));
    m_showsStoredIcons = true;
    TResultsModel& model = m_window.resultsModel();
    model.replaceItems(std::move(records));
    model.setImageList(&m_storedQIcons);
    m_window.searchControl().showResultSummary();
    return true;
}

bool TResultsExports::exportReport(TReportFormat format, const QString& fileName, bool csvHeader)
{
    try {
        TResultsModel& model = m_window.resultsModel();
        model.flushRowCount();
        TReportSettings settings = reportSettings();
        settings.CsvHeader = settings.CsvHeader || csvHeader;
        ExportReport(format, fileName, model.shownItems(), settings);
        return true;
    } catch (const std::exception& error) {
        ShowError(ExceptionMessage(error)); // the writers' messages name the format
        return false;
    }
}

bool TResultsExports::writeExport(TCommandLine::ExportKind kind, const QString& fileName)
{
    switch (kind) {
    case TCommandLine::ExportKind::Html:
        return exportReport(TReportFormat::Html, fileName);
    case TCommandLine::ExportKind::Xml:
        return exportReport(TReportFormat::Xml, fileName);
    case TCommandLine::ExportKind::Csv:
        return exportReport(TReportFormat::Csv, fileName);
    case TCommandLine::ExportKind::CsvWithHeader:
        return exportReport(TReportFormat::Csv, fileName, true);
    case TCommandLine::ExportKind::JsonLines:
        return exportReport(TReportFormat::JsonLines, fileName);
    case TCommandLine::ExportKind::Results:
        return saveResults(fileName);
    }
    return false;
}

void TResultsExports::saveResultsCommand()
{
    if (!m_window.resultsModel().hasItems())
        return;
    const QString fileName = FileDialogs().saveFileName(&m_window, QStringLiteral("Save Results"),
                                                        kResultsFilter, QStringLiteral(".dat"));
    if (!fileName.isEmpty())
        saveResults(fileName);
}

void TResultsExports::loadResultsCommand()
{
    const QString fileName =
        FileDialogs().openFileName(&m_window, QStringLiteral("Load Results"), kResultsFilter);
    if (!fileName.isEmpty())
        loadResults(fileName);
}

void TResultsExports::exportCommand()
{
    int filter = 1;
    bool& csvHeader = m_window.settings().Settings.CsvHeader;
    const QString fileName = FileDialogs().saveFileNameWithOption(
        &m_window, QStringLiteral("Save as HTML, XML or CSV"), kReportFilter, QStringLiteral(".htm"), &filter,
        QStringLiteral("CSV: header row and ISO 8601 dates"), &csvHeader);
    if (fileName.isEmpty())
        return;
    // The dialog asked about replacing the name it returned; a name that gets the
    // extension only now is asked about here.
    const TReportTarget target = ReportTarget(fileName, filter);
    if (target.extensionAdded && QFileInfo::exists(target.fileName) &&
        !AskOkCancel(QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(target.fileName)))
        return;
    exportReport(target.format, target.fileName);
}

void TResultsExports::batchFileCommand()
{
    TResultsModel& model = m_window.resultsModel();
    model.flushRowCount();
    TBatchFileDialog dialog(model.shownItems(), &m_window);
    dialog.exec();
}
