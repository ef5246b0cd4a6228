#include "app/ResultsExports.h"

#include "app/ResultsModel.h"
#include "app/SearchControl.h"
#include "dialogs/BatchFileDialog.h"
#include "engine/SearchSession.h"
#include "store/Settings.h"
#include "support/MainWindowFixture.h"
#include "support/QStringPrinter.h"
#include "support/ShotFiles.h"
#include "widgets/FileDialogs.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

namespace {

class AnsweringDialogs : public TFileDialogs {
public:
    AnsweringDialogs() { SetFileDialogs(this); }
    ~AnsweringDialogs() override { SetFileDialogs(nullptr); }
    QString openFileName(QWidget*, const QString&, const QString& filter) override
    {
        filters.append(filter);
        return answer;
    }
    QString saveFileName(QWidget*, const QString&, const QString& filter, const QString& suffix,
                         int* selectedFilter) override
    {
        filters.append(filter);
        suffixes.append(suffix);
        if (selectedFilter)
            *selectedFilter = filterAnswer;
        return answer;
    }
    QString answer;
    int filterAnswer = 1;
    QStringList filters;
    QStringList suffixes;
};

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class ResultsExportsTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        MainWindowFixture::SetUp();
        exports = std::make_unique<TResultsExports>(*window);
        exports->installCommands();
        QLocale::setDefault(QLocale::c());
    }
    void TearDown() override
    {
        exports.reset();
        QLocale::setDefault(QLocale::system());
        MainWindowFixture::TearDown();
    }

    // A search that delivers the hits, so that records carry the icon cache's indexes.
    void searchFor(int count)
    {
        window->settings().Settings.CompleteMessage = false;
        engine->hits = ShareHits(count);
        engine->hits.push_back(MakeItemRecord("\\\\PC1\\share\\photo.png", 0x20, -1, 45000.5, 7));
        typeAndEnter(window->maskBox(), "*");
        ASSERT_TRUE(processUntil([&] { return !window->searchControl().running(); }));
    }

    // Exports through the real save dialog: steps down the type box as the user's keys
    // do, checks the type it lands on, types name and presses Return. Whether the
    // dialog was answered; a dialog nobody answers is closed after 10 s.
    bool exportThroughTheRealDialog(int typeSteps, const QString& expectedType, const QString& name,
                                    const char* shot = nullptr)
    {
        SetFileDialogs(nullptr);
        bool answered = false;
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] {
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        watchdog.start(10000);
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog) {
                ADD_FAILURE() << "no file dialog";
                return;
            }
            auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
            auto* nameField = dialog->findChild<QLineEdit*>("fileNameEdit");
            if (!types || !nameField) {
                ADD_FAILURE() << "the dialog has no type box or name field";
                dialog->reject();
                return;
            }
            for (int step = 0; step < typeSteps; ++step)
                QTest::keyClick(types, Qt::Key_Down);
            EXPECT_EQ(dialog->selectedNameFilter(), expectedType);
            nameField->setText(name);
            if (shot)
                SaveShotIfAsked(dialog, shot);
            answered = true;
            QTest::keyClick(nameField, Qt::Key_Return); // the dialog's Save button is the default
        });
        window->action(TCommand::Export)->trigger();
        SetFileDialogs(&dialogs);
        return answered;
    }

    std::unique_ptr<TResultsExports> exports;
    AnsweringDialogs dialogs;
};

TEST_F(ResultsExportsTest, ASavedFileLoadsBackWithItsOwnIcons)
{
    searchFor(2);
    const QString path = folder.file("found.dat");
    dialogs.answer = path;
    window->action(TCommand::SaveResults)->trigger();
    EXPECT_EQ(dialogs.filters, QStringList({"Kestrova results (*.dat)|*.dat"}));
    EXPECT_EQ(dialogs.suffixes, QStringList({".dat"}));
    ASSERT_TRUE(QFile::exists(path));
    const TItemList saved = window->resultList();
    const int icons = static_cast<int>(window->iconCache().icons().size());
    ASSERT_GE(icons, 2);

    window->action(TCommand::ClearResults)->trigger();
    window->action(TCommand::LoadResults)->trigger();
    EXPECT_EQ(window->resultList(), saved);
    EXPECT_EQ(window->resultsModel().rowCount(), 3);
    EXPECT_TRUE(exports->showsStoredIcons());
    EXPECT_EQ(exports->currentIcons().size(), icons);
    EXPECT_TRUE(window->resultsModel().index(2, 0).data(Qt::DecorationRole).isValid());
    EXPECT_EQ(window->statusText(), "Found 3 files, total size 307 bytes");
    EXPECT_TRUE(prompts.errors.isEmpty());

    // The icons written are those of the file, not of this machine's cache.
    EXPECT_EQ(TResultsExports::ToImage(exports->currentIcons().at(0)),
              window->iconCache().images().at(0).convertToFormat(QImage::Format_ARGB32));
}

TEST_F(ResultsExportsTest, AFileThatIsNoResultsFileIsReportedAndKeepsTheListOnScreen)
{
    searchFor(1);
    const TItemList before = window->resultList();
    const QString status = window->statusText();
    dialogs.answer = folder.write("notes.dat", "just some text, not a compound file");
    window->action(TCommand::LoadResults)->trigger();
    EXPECT_EQ(prompts.errors, QStringList({"Unable to open file: file is corrupted"}));
    EXPECT_EQ(window->resultList(), before);
    EXPECT_EQ(window->resultsModel().rowCount(), 2);
    EXPECT_FALSE(exports->showsStoredIcons());
    EXPECT_EQ(window->statusText(), status);
}

TEST_F(ResultsExportsTest, ATypedExtensionPicksTheFormatWhicheverTypeIsChosen)
{
    searchFor(1);
    dialogs.answer = folder.file("report.csv");
    dialogs.filterAnswer = 1; // HTML
    window->action(TCommand::Export)->trigger();
    EXPECT_EQ(dialogs.filters, QStringList({"HTML files (*.htm)|*.htm|XML files (*.xml)|*.xml|CSV files "
                                            "(*.csv)|*.csv|JSON Lines files (*.jsonl)|*.jsonl"}));
    const QByteArray csv = FileBytes(folder.file("report.csv"));
    EXPECT_TRUE(csv.startsWith("\"file1.txt\",\"\\\\PC1\\share\",100,")) << csv.toStdString();
    EXPECT_TRUE(csv.endsWith("\r\n"));

    dialogs.answer = folder.file("report.XML");
    dialogs.filterAnswer = 3; // CSV
    window->action(TCommand::Export)->trigger();
    EXPECT_TRUE(FileBytes(folder.file("report.XML")).contains("<searchresult>"));
    EXPECT_TRUE(prompts.errors.isEmpty());
}

TEST_F(ResultsExportsTest, WithoutAKnownExtensionTheChosenTypeAddsItsOwnAndAsksBeforeReplacing)
{
    searchFor(1);
    const QString html = folder.write("report.txt.htm", "<html>an older report</html>");
    dialogs.answer = folder.file("report.txt");
    dialogs.filterAnswer = 3; // CSV
    window->action(TCommand::Export)->trigger();
    EXPECT_TRUE(FileBytes(folder.file("report.txt.csv")).startsWith("\"file1.txt\""));
    EXPECT_FALSE(QFile::exists(folder.file("report.txt")));
    EXPECT_EQ(FileBytes(html), "<html>an older report</html>");
    EXPECT_TRUE(prompts.questions.isEmpty());

    // Written once already: the question names the file that would be replaced.
    prompts.answers = {false};
    dialogs.filterAnswer = 3;
    const QByteArray first = FileBytes(folder.file("report.txt.csv"));
    window->resultsModel().appendHits(ShareHits(3));
    window->action(TCommand::Export)->trigger();
    EXPECT_EQ(prompts.questions,
              QStringList({folder.file("report.txt.csv") + " already exists.\nDo you want to replace it?"}));
    EXPECT_EQ(FileBytes(folder.file("report.txt.csv")), first);
}

TEST_F(ResultsExportsTest, TheSaveDialogGivesANameWithoutExtensionTheChosenTypesOwn)
{
    searchFor(1);
    // Two steps down, as the user's keys choose the CSV entry.
    EXPECT_TRUE(
        exportThroughTheRealDialog(2, "CSV files (*.csv)", folder.file("report"), "gui15-export-dialog"));
    EXPECT_TRUE(FileBytes(folder.file("report.csv")).startsWith("\"file1.txt\""));
    EXPECT_FALSE(QFile::exists(folder.file("report.htm")));
}

TEST_F(ResultsExportsTest, TheSaveDialogsJsonLinesEntryWritesTheCommandLinesLinesForTheShownRows)
{
    searchFor(2);
    window->resultsModel().setFilter("*.png"); // of three records one is shown
    ASSERT_EQ(window->resultsModel().shownItems().size(), 1u);
    // Down to the fourth entry.
    ASSERT_TRUE(exportThroughTheRealDialog(3, "JSON Lines files (*.jsonl)", folder.file("report")));
    EXPECT_TRUE(prompts.errors.isEmpty());

    const QByteArray written = FileBytes(folder.file("report.jsonl"));
    ASSERT_TRUE(written.endsWith('\n'));
    const QList<QByteArray> lines = written.chopped(1).split('\n');
    ASSERT_EQ(lines.size(), 1);
    QJsonParseError error;
    const QJsonObject hit = QJsonDocument::fromJson(lines[0], &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    EXPECT_EQ(hit.value("name").toString(), "photo.png");
    EXPECT_EQ(hit.value("path").toString(), "\\\\PC1\\share\\photo.png");
    EXPECT_EQ(hit.value("size").toInteger(), 7);
    EXPECT_FALSE(hit.value("folder").toBool());
    // Byte for byte what /exportjson writes of the same rows.
    ASSERT_TRUE(exports->writeExport(TCommandLine::ExportKind::JsonLines, folder.file("command-line.jsonl")));
    EXPECT_EQ(FileBytes(folder.file("command-line.jsonl")), written);
    EXPECT_FALSE(QFile::exists(folder.file("report.htm")));
}

TEST_F(ResultsExportsTest, JsonLinesAreChosenByTheirExtensionOrByTheFourthType)
{
    searchFor(1);
    dialogs.answer = folder.file("typed.JSONL");
    dialogs.filterAnswer = 1; // HTML, but the name says otherwise
    window->action(TCommand::Export)->trigger();

    dialogs.answer = folder.file("chosen");
    dialogs.filterAnswer = 4;
    window->action(TCommand::Export)->trigger();
    const QByteArray chosen = FileBytes(folder.file("chosen.jsonl"));
    EXPECT_EQ(chosen.count('\n'), 2) << chosen.toStdString();
    EXPECT_EQ(chosen, FileBytes(folder.file("typed.JSONL")));
    EXPECT_EQ(ReportTarget("x", 5).fileName, "x.htm"); // no fifth type: the first
    EXPECT_TRUE(prompts.errors.isEmpty());
}

TEST_F(ResultsExportsTest, CommandLineExportsWriteEveryKindAndReportFailures)
{
    searchFor(2);
    EXPECT_TRUE(exports->writeExport(TCommandLine::ExportKind::Html, folder.file("r.htm")));
    EXPECT_TRUE(exports->writeExport(TCommandLine::ExportKind::Results, folder.file("r.dat")));
    EXPECT_TRUE(FileBytes(folder.file("r.htm")).startsWith("\xEF\xBB\xBF<HTML>"));
    EXPECT_TRUE(QFile::exists(folder.file("r.dat")));

    EXPECT_FALSE(exports->writeExport(TCommandLine::ExportKind::Csv, folder.file("missing-folder/r.csv")));
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].startsWith("CSV export error: ")) << prompts.errors[0].toStdString();
    EXPECT_FALSE(
        exports->writeExport(TCommandLine::ExportKind::Results, folder.file("missing-folder/r.dat")));
    EXPECT_TRUE(prompts.errors[1].startsWith("Unable to save file: "));
}

TEST_F(ResultsExportsTest, TheBatchWindowWritesOneLinePerHitAndStaysOpenOnErrors)
{
    TBatchFileDialog emptyList(TItemList(), window.get());
    emptyList.templateEdit()->setText("copy <FN> c:\\temp");
    EXPECT_FALSE(emptyList.createBatchFile());

    searchFor(2);
    TBatchFileDialog dialog(window->resultList(), window.get());
    EXPECT_EQ(dialog.windowTitle(), "Batch Files");
    EXPECT_FALSE(dialog.noDuplicatesBox()->isChecked());
    EXPECT_FALSE(dialog.createBatchFile());
    EXPECT_EQ(prompts.infos, QStringList({"File list is empty", "Template is empty"}));

    dialog.templateEdit()->setText("echo <fd> <FC>");
    dialog.noDuplicatesBox()->setChecked(true);
    dialogs.answer = folder.file("job.bat");
    EXPECT_TRUE(dialog.createBatchFile());
    EXPECT_EQ(dialogs.filters.last(), "Batch files (*.bat)|*.bat");
    EXPECT_EQ(FileBytes(folder.file("job.bat")), "echo \"\\\\PC1\\share\" \"PC1\"\r\n");

    dialogs.answer.clear(); // cancelling the save closes without writing
    EXPECT_TRUE(dialog.createBatchFile());
}

TEST_F(ResultsExportsTest, AnEmptyListIsNotSavedFromTheMenuButFromTheCommandLine)
{
    dialogs.answer = folder.file("empty.dat");
    window->action(TCommand::SaveResults)->setEnabled(true);
    window->action(TCommand::SaveResults)->trigger();
    EXPECT_TRUE(dialogs.filters.isEmpty());
    EXPECT_FALSE(QFile::exists(folder.file("empty.dat")));

    EXPECT_TRUE(exports->writeExport(TCommandLine::ExportKind::Results, folder.file("empty.dat")));
    EXPECT_TRUE(exports->loadResults(folder.file("empty.dat")));
    EXPECT_TRUE(window->resultList().isEmpty());
}

} // namespace
