#include "app/CommandLine.h"
#include "app/ResultsExports.h"
#include "app/ResultsModel.h"
#include "app/RunSummary.h"
#include "engine/SearchSession.h"
#include "store/Settings.h"
#include "support/DialogTestSupport.h"
#include "support/MainWindowFixture.h"
#include "support/QStringPrinter.h"

#include <QAction>
#include <QCheckBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

using Kind = TCommandLine::ExportKind;

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

TEST(ScriptSwitchesTest, ExportJsonTakesTheRestOfTheArgumentInAnyCaseAndDashToo)
{
    const TCommandLine line(
        {"/EXPORTJSON:hits %date%.jsonl", "/exportcsv:a.csv", "/exportjson:-", "/exportjsonl"});
    const QList<TCommandLine::Export> exports = line.exports();
    ASSERT_EQ(exports.size(), 3);
    EXPECT_EQ(exports[0].kind, Kind::JsonLines);
    EXPECT_EQ(exports[0].fileName, "hits %date%.jsonl");
    EXPECT_EQ(exports[1].kind, Kind::Csv);
    EXPECT_EQ(exports[2].kind, Kind::JsonLines);
    EXPECT_EQ(exports[2].fileName, "-");
    // A dash has no placeholder to expand and stays the standard output.
    EXPECT_EQ(ExpandExportFileName("-", QDateTime::currentDateTime()), "-");
    EXPECT_EQ(line.unknownArguments(), QStringList({"/exportjsonl"}));
}

TEST(ScriptSwitchesTest, CsvHeaderTurnsEveryCsvExportIntoOneWithHeaderAndIsKnown)
{
    const TCommandLine line({"/exportcsv:a.csv", "-CSVHEADER", "/exporthtm:r.htm", "/exportcsv:b.csv"});
    EXPECT_TRUE(line.csvHeader());
    EXPECT_TRUE(line.unknownArguments().isEmpty());
    const QList<TCommandLine::Export> exports = line.exports();
    ASSERT_EQ(exports.size(), 3);
    EXPECT_EQ(exports[0].kind, Kind::CsvWithHeader);
    EXPECT_EQ(exports[1].kind, Kind::Html);
    EXPECT_EQ(exports[2].kind, Kind::CsvWithHeader);
    EXPECT_FALSE(TCommandLine({"/csvheaders"}).csvHeader());
    EXPECT_EQ(TCommandLine({"/exportcsv:a.csv"}).exports().at(0).kind, Kind::Csv);
    EXPECT_TRUE(CommandLineHelpText().contains("/exportjson:FILE"));
    EXPECT_TRUE(CommandLineHelpText().contains("/csvheader"));
}

TEST(RunSummaryTest, TheLinesNameHitsHostsErrorsAndTime)
{
    EXPECT_EQ(RunSummaryLine({12, 3, 0, 4250}), "Kestrova: 12 hits, 3 hosts, 0 errors, 4.3 s");
    EXPECT_EQ(RunSummaryLine({1, 1, 1, 0}), "Kestrova: 1 hit, 1 host, 1 error, 0.0 s");
    EXPECT_EQ(RunProgressLine({5, 2, 1, 125000}), "Kestrova: searching... 5 hits, 2 hosts, 1 error, 2:05");
    EXPECT_EQ(RunProgressLine({0, 0, 0, 999}), "Kestrova: searching... 0 hits, 0 hosts, 0 errors, 0:00");
}

TEST(RunSummaryTest, TheCounterTakesKnownHostsAndOnlyNewErrorLinesOfTheLog)
{
    TSearchSession session;
    TRunCounter counter;
    session.Progress().HostKnown("\\\\PC1");
    session.Log().AddEntry(TSearchLogKind::Computer, "Searching \\\\PC1\\docs...");
    session.Log().AddEntry(TSearchLogKind::Error, "Access denied");
    session.Log().AddEntry(TSearchLogKind::Info, "Access denied"); // not an error line
    TRunSummary summary = counter.collect(&session, 7, 1500);
    EXPECT_EQ(summary.hits, 7);
    EXPECT_EQ(summary.hosts, 1);
    EXPECT_EQ(summary.errors, 1);
    EXPECT_EQ(summary.elapsedMs, 1500);

    session.Progress().HostKnown("\\\\PC2");
    session.Log().AddEntry(TSearchLogKind::Error, "Timed out");
    summary = counter.collect(&session, 8, 1600);
    EXPECT_EQ(summary.hosts, 2);
    EXPECT_EQ(summary.errors, 2);

    TSearchSession next; // a new search counts from nothing
    EXPECT_EQ(counter.collect(&next, 0, 0).hosts, 0);
    EXPECT_EQ(counter.collect(&next, 0, 0).errors, 0);
    EXPECT_EQ(counter.collect(nullptr, 3, 0).hits, 3);
}

TEST(RunSummaryTest, TheReporterRewritesOneProgressLineAndEndsWithTheSummary)
{
    EnsureGuiApplication();
    auto session = std::make_shared<TSearchSession>();
    session->Progress().HostKnown("\\\\PC1");
    long long hits = 4;
    QStringList written;
    TRunReporter reporter(
        {[&] { return session; }, [&] { return hits; }, [&](const QString& text) { written.append(text); }},
        true, 10);
    reporter.searchStarted();
    QElapsedTimer waited;
    waited.start();
    while (written.size() < 2 && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_GE(written.size(), 2);
    EXPECT_TRUE(written[0].startsWith("\rKestrova: searching... 4 hits, 1 host, 0 errors, 0:0"))
        << written[0].toStdString();
    EXPECT_FALSE(written[0].contains('\n'));

    hits = 5;
    reporter.searchEnded();
    const qsizetype count = written.size();
    // The progress line is blanked, then the summary stands on a line of its own.
    EXPECT_EQ(written[count - 2], "\r" + QString(written[count - 3].trimmed().size(), ' ') + "\r");
    EXPECT_TRUE(written.last().startsWith("Kestrova: 5 hits, 1 host, 0 errors, "))
        << written.last().toStdString();
    EXPECT_TRUE(written.last().endsWith(" s\n"));
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(written.size(), count) << "no progress after the end";
}

TEST(RunSummaryTest, WithoutATerminalOnlyTheSummaryIsWritten)
{
    EnsureGuiApplication();
    QStringList written;
    TRunReporter reporter({[] { return std::shared_ptr<TSearchSession>(); }, [] { return 0LL; },
                           [&](const QString& text) { written.append(text); }},
                          false, 10);
    reporter.searchStarted();
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 100)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    reporter.searchEnded();
    ASSERT_EQ(written.size(), 1);
    EXPECT_TRUE(written[0].startsWith("Kestrova: 0 hits, 0 hosts, 0 errors, ")) << written[0].toStdString();
}

class ScriptExportsTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        window->resultsModel().appendHits(
            {MakeItemRecord("\\\\PC1\\docs\\a \"b\".txt", 0x20, -1, 45000.5, 10),
             MakeItemRecord("ftp://127.0.0.1/pub/c.txt", 0, -1, 45000.25, 20)});
        window->resultsModel().flushRowCount();
    }
};

TEST_F(ScriptExportsTest, TheCommandLinesJsonAndCsvWithHeaderExportsWriteTheirFormats)
{
    TResultsExports exports(*window);
    const QString json = folder.file("hits.jsonl");
    ASSERT_TRUE(exports.writeExport(Kind::JsonLines, json));
    const QList<QByteArray> lines = ReadFile(json).split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_TRUE(lines[2].isEmpty());
    EXPECT_EQ(QJsonDocument::fromJson(lines[0]).object().value("url").toString(),
              "smb://PC1/docs/a%20%22b%22.txt");
    EXPECT_EQ(QJsonDocument::fromJson(lines[1]).object().value("size").toInteger(), 20);

    const QString csv = folder.file("hits.csv");
    ASSERT_TRUE(exports.writeExport(Kind::Csv, csv));
    EXPECT_FALSE(ReadFile(csv).startsWith("File Name"));
    ASSERT_TRUE(exports.writeExport(Kind::CsvWithHeader, csv));
    EXPECT_TRUE(ReadFile(csv).startsWith("File Name,Location,Size,Date & Time,Attrs\r\n\"a \"\"b\"\".txt\""))
        << ReadFile(csv).toStdString();
    EXPECT_FALSE(window->settings().Settings.CsvHeader) << "the switch is no setting";

    window->settings().Settings.CsvHeader = true;
    ASSERT_TRUE(exports.writeExport(Kind::Csv, csv));
    EXPECT_TRUE(ReadFile(csv).startsWith("File Name,"));
    EXPECT_FALSE(exports.writeExport(Kind::JsonLines, folder.file("no-such/x.jsonl")));
    EXPECT_TRUE(prompts.errors.last().startsWith("JSON export error: "))
        << prompts.errors.last().toStdString();
}

TEST_F(ScriptExportsTest, TheExportDialogsCheckBoxChoosesTheCsvHeaderAndIsRemembered)
{
    TResultsExports exports(*window);
    exports.installCommands();
    const QString csv = folder.file("chosen.csv");
    bool offered = false;
    OnNextModal([&](QDialog* dialog) {
        auto* fileDialog = qobject_cast<QFileDialog*>(dialog);
        ASSERT_NE(fileDialog, nullptr);
        auto* option = dialog->findChild<QCheckBox*>("cbSaveOption");
        ASSERT_NE(option, nullptr);
        offered = option->isVisible() && !option->isChecked();
        EXPECT_EQ(option->text(), "CSV: header row and ISO 8601 dates");
        option->setChecked(true);
        fileDialog->selectNameFilter("CSV files (*.csv)");
        fileDialog->selectFile(csv);
        QMetaObject::invokeMethod(fileDialog, "accept");
    });
    window->updateCommandAvailability();
    ASSERT_TRUE(window->action(TCommand::Export)->isEnabled());
    window->action(TCommand::Export)->trigger();
    EXPECT_TRUE(offered);
    EXPECT_TRUE(window->settings().Settings.CsvHeader);
    EXPECT_TRUE(ReadFile(csv).startsWith("File Name,Location,Size,Date & Time,Attrs\r\n"))
        << ReadFile(csv).toStdString();
}

} // namespace
