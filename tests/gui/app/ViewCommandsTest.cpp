#include "app/ViewCommands.h"

#include "app/ResultFileOperations.h"
#include "app/ResultsModel.h"
#include "app/ResultsView.h"
#include "app/SearchControl.h"
#include "dialogs/AboutBox.h"
#include "dialogs/FilePropertiesDialog.h"
#include "dialogs/LogEngineForm.h"
#include "dialogs/ThreadViewForm.h"
#include "engine/SearchSession.h"
#include "files/IniFile.h"
#include "model/DateTime.h"
#include "store/Settings.h"
#include "support/HttpTestServer.h"
#include "support/MainWindowFixture.h"
#include "support/QStringPrinter.h"
#include "support/RecordingMessageBoxes.h"
#include "update/OnlineVersionCheck.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <cmath>

namespace {

const QString kAutoUpdate = QStringLiteral("AutoUpdate");

struct RecordingUpdateWindows : TUpdateCheckWindows {
    void showWait(QWidget*, const QString&) override {}
    void hideWait() override {}
    void showUpdateFound(QWidget*, const TUpdateCheckTexts&, const TUpdateFound& value) override
    {
        found.push_back(value);
    }
    bool askProxyCredentials(QWidget*, const TUpdateCheckTexts&, const QString&, QString&, QString&) override
    {
        return false;
    }
    std::vector<TUpdateFound> found;
};

template <typename Window> Window* OpenWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<Window*>(widget); window && window->isVisible())
            return window;
    }
    return nullptr;
}

QStringList Names(const TItemList& list)
{
    QStringList names;
    for (const TItemRecord& record : list)
        names.append(record.FileName);
    return names;
}

class ViewCommandsTest : public MainWindowFixture {
protected:
    TViewCommands& commands() { return *window->findChild<TViewCommands*>(); }
    QAction* action(TCommand command) { return window->action(command); }

    // A local file in the work folder, listed as a hit.
    QString addFile(const QString& name)
    {
        const QString path = files.write(name, "contents");
        addRecord(path);
        return path;
    }
    void addRecord(const QString& fileName)
    {
        window->resultsModel().appendHit(MakeItemRecord(fileName, 0x20, -1, 45000.5, 8));
        window->resultsModel().flushRowCount();
    }
    void selectRows(const QList<int>& rows)
    {
        window->resultsView()->clearSelection();
        for (const int row : rows)
            window->resultsView()->selectionModel()->select(window->resultsModel().index(row, 0),
                                                            QItemSelectionModel::Select |
                                                                QItemSelectionModel::Rows);
        window->updateCommandAvailability();
    }
    // Serves the version file with body on a loopback address, or skips the test.
    bool serveVersion(const QString& body)
    {
        QString why;
        server = HttpTestServer::start(
            QStringLiteral("127.0.5.3"),
            HttpRouteScript(QStringLiteral("/products/kestrova/version.txt"), body), why);
        if (!server && !HttpTestServer::unavailable())
            ADD_FAILURE() << why.toStdString();
        return server != nullptr;
    }
    static void settle()
    {
        processUntil([] { return false; }, 50);
    }

    TempDir files;
    RecordingMessageBoxes boxes;
    std::unique_ptr<HttpTestServer> server;
    RecordingUpdateWindows updateWindows;
};

TEST_F(ViewCommandsTest, MonitoringWindowsFollowTheirCheckItems)
{
    for (const TCommand command : {TCommand::ViewShowThreads, TCommand::ViewShowLog}) {
        SCOPED_TRACE(CommandSpec(command).name);
        QAction* item = action(command);
        item->trigger();
        EXPECT_TRUE(item->isChecked());
        QWidget* shown = command == TCommand::ViewShowLog
                             ? static_cast<QWidget*>(OpenWindow<TLogEngineForm>())
                             : OpenWindow<TThreadViewForm>();
        ASSERT_NE(shown, nullptr);
        // A second window is never made while one is open.
        item->setChecked(false);
        item->trigger();
        settle();
        EXPECT_EQ(command == TCommand::ViewShowLog ? static_cast<QWidget*>(OpenWindow<TLogEngineForm>())
                                                   : OpenWindow<TThreadViewForm>(),
                  shown);

        // Unchecking closes it.
        item->trigger();
        settle();
        EXPECT_FALSE(item->isChecked());
        EXPECT_EQ(OpenWindow<TLogEngineForm>(), nullptr);
        EXPECT_EQ(OpenWindow<TThreadViewForm>(), nullptr);
    }
    EXPECT_TRUE(prompts.infos.isEmpty());

    // The log window's own Close button clears the mark.
    action(TCommand::ViewShowLog)->trigger();
    TLogEngineForm* log = OpenWindow<TLogEngineForm>();
    ASSERT_NE(log, nullptr);
    log->closeButton()->click();
    settle();
    EXPECT_FALSE(action(TCommand::ViewShowLog)->isChecked());
    EXPECT_EQ(OpenWindow<TLogEngineForm>(), nullptr);
}

TEST_F(ViewCommandsTest, TheOpenLogWindowFollowsANewSearchsLogWithoutATimer)
{
    window->settings().Settings.CompleteMessage = false;
    action(TCommand::ViewShowLog)->trigger();
    TLogEngineForm* log = OpenWindow<TLogEngineForm>();
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(log->model().rowCount(), 0);

    engine->holdAfterHits = true;
    typeAndEnter(window->maskBox(), "*.txt");
    const std::shared_ptr<TSearchSession> session = window->searchControl().session();
    ASSERT_TRUE(session);
    session->Log().AddEntry(TSearchLogKind::Info, QStringLiteral("Search started."));
    QCoreApplication::processEvents();
    ASSERT_EQ(log->model().rowCount(), 1);
    EXPECT_EQ(log->model().entries()[0].Text, QStringLiteral("Search started."));

    engine->requestStop();
    ASSERT_TRUE(processUntil([&] { return !window->searchControl().running(); }));
    log->close();
    settle();
}

TEST_F(ViewCommandsTest, AboutShowsTheAboutBoxOfThisBuild)
{
    QString version;
    QString title;
    commands().setDialogRunner([&](QDialog& dialog) {
        title = dialog.windowTitle();
        if (auto* box = qobject_cast<TAboutBox*>(&dialog))
            version = box->versionLabel()->text();
    });

    action(TCommand::About)->trigger();

    EXPECT_EQ(title, QStringLiteral("About Kestrova"));
    EXPECT_EQ(version, QStringLiteral("Version %1.%2 Release %3")
                           .arg(KESTROVA_VERSION_MAJOR)
                           .arg(KESTROVA_VERSION_MINOR)
                           .arg(KESTROVA_VERSION_RELEASE));
    EXPECT_TRUE(prompts.infos.isEmpty());
}

TEST_F(ViewCommandsTest, CheckNowReadsTheVendorsVersionFile)
{
    if (!serveVersion(commands().versionCheck().localVersion() + QStringLiteral("\r\n")))
        GTEST_SKIP() << "no HTTP test server";
    commands().setVersionFileAddress(server->origin() + QStringLiteral("/products/kestrova/version.txt"));

    action(TCommand::CheckNow)->trigger();

    EXPECT_EQ(boxes.texts(),
              QStringList{QStringLiteral(
                  "No new version is available at this time. You are using the latest version.")});
    EXPECT_EQ(server->requests().size(), 1);
    // A manual check leaves the automatic checks' date alone.
    const int32_t before = window->settings().AutoUpdate.LastAutoCheckDate;
    action(TCommand::CheckNow)->trigger();
    EXPECT_EQ(window->settings().AutoUpdate.LastAutoCheckDate, before);
}

TEST_F(ViewCommandsTest, WithoutAnUpdateSourceNothingIsAskedAndTheItemSaysSo)
{
    EXPECT_EQ(action(TCommand::CheckNow)->text(),
              QStringLiteral("Check For Updates: No Update Source Configured"));
    window->show();
    settle();
    EXPECT_TRUE(boxes.shown.isEmpty()); // no first-start question

    action(TCommand::CheckNow)->trigger();
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_TRUE(boxes.shown[0].text.startsWith(QStringLiteral("No update source is configured.")));
    destroyWindow();
    // The question stays due for when a source is configured; the key is written, empty.
    const TIniFile ini(settingsPath);
    EXPECT_TRUE(ini.ReadBool(kAutoUpdate, QStringLiteral("QueryForAutoCheck"), false));
    EXPECT_EQ(ini.ReadString(kAutoUpdate, QStringLiteral("VersionFileAddress"), QStringLiteral("x")),
              QString());
}

TEST_F(ViewCommandsTest, TheSettingsFilesAddressIsTheVersionFileCheckNowReads)
{
    if (!serveVersion(commands().versionCheck().localVersion()))
        GTEST_SKIP() << "no HTTP test server";
    destroyWindow();
    {
        TIniFile ini(settingsPath);
        ini.WriteString(kAutoUpdate, QStringLiteral("VersionFileAddress"),
                        server->origin() + QStringLiteral("/products/kestrova/version.txt"));
        ini.WriteBool(kAutoUpdate, QStringLiteral("QueryForAutoCheck"), false);
        ini.UpdateFile();
    }
    createWindow();
    EXPECT_EQ(action(TCommand::CheckNow)->text(), QStringLiteral("Check For Updates &Now"));

    action(TCommand::CheckNow)->trigger();

    EXPECT_EQ(server->requests().size(), 1);
    EXPECT_EQ(boxes.texts(),
              QStringList{QStringLiteral(
                  "No new version is available at this time. You are using the latest version.")});
}

TEST_F(ViewCommandsTest, FirstStartAsksOnceAndTheAnswerIsWrittenAtExit)
{
    // The question needs an update source; nothing is fetched (automatic checks are off).
    destroyWindow();
    {
        TIniFile ini(settingsPath);
        ini.WriteString(kAutoUpdate, QStringLiteral("VersionFileAddress"),
                        QStringLiteral("http://127.0.5.9:9/version.txt"));
        ini.UpdateFile();
    }
    createWindow();
    boxes.answers = {QMessageBox::Yes};
    EXPECT_FALSE(action(TCommand::AutoCheckEnabled)->isChecked());
    window->show();
    ASSERT_TRUE(processUntil([&] { return !boxes.shown.isEmpty(); }, 5000));

    EXPECT_EQ(boxes.texts(), QStringList{QStringLiteral(
                                 "Would you like to check for new versions of Kestrova automatically?")});
    EXPECT_TRUE(action(TCommand::AutoCheckEnabled)->isChecked());
    destroyWindow();
    {
        const TIniFile ini(settingsPath);
        EXPECT_TRUE(ini.ReadBool(kAutoUpdate, QStringLiteral("AutoCheckEnabled"), false));
        EXPECT_FALSE(ini.ReadBool(kAutoUpdate, QStringLiteral("QueryForAutoCheck"), true));
    }

    // Never again; and unchecking the item is what the next exit stores.
    createWindow();
    window->show();
    settle();
    EXPECT_EQ(boxes.shown.size(), 1);
    EXPECT_TRUE(action(TCommand::AutoCheckEnabled)->isChecked());
    action(TCommand::AutoCheckEnabled)->trigger();
    EXPECT_FALSE(window->settings().AutoUpdate.AutoCheckEnabled);
    destroyWindow();
    EXPECT_FALSE(TIniFile(settingsPath).ReadBool(kAutoUpdate, QStringLiteral("AutoCheckEnabled"), true));
}

TEST_F(ViewCommandsTest, ADueAutomaticCheckRunsAfterTheWindowAppeared)
{
    if (!serveVersion(QStringLiteral("99.0.1")))
        GTEST_SKIP() << "no HTTP test server";
    const auto today = static_cast<int32_t>(std::floor(NowDateTime()));
    destroyWindow();
    {
        TIniFile ini(settingsPath);
        ini.WriteBool(kAutoUpdate, QStringLiteral("QueryForAutoCheck"), false);
        ini.WriteBool(kAutoUpdate, QStringLiteral("AutoCheckEnabled"), true);
        ini.WriteInteger(kAutoUpdate, QStringLiteral("LastAutoCheckDate"), today - 8);
        ini.UpdateFile();
    }
    createWindow();
    commands().setVersionFileAddress(server->origin() + QStringLiteral("/products/kestrova/version.txt"));
    commands().versionCheck().setWindows(&updateWindows);
    settle();
    EXPECT_TRUE(server->requests().isEmpty()); // not before the window shows

    window->show();
    ASSERT_TRUE(processUntil([&] { return !updateWindows.found.empty(); }, 10000));

    EXPECT_EQ(updateWindows.found[0].remoteVersion, QStringLiteral("99.0.1"));
    EXPECT_TRUE(boxes.shown.isEmpty());
    destroyWindow();
    EXPECT_EQ(TIniFile(settingsPath).ReadInteger(kAutoUpdate, QStringLiteral("LastAutoCheckDate"), 0), today);
}

TEST_F(ViewCommandsTest, DeleteWorksOnTheSelectedRowsAndShortensTheView)
{
    const QString first = addFile(QStringLiteral("one.txt"));
    const QString second = addFile(QStringLiteral("two.txt"));
    const QString third = addFile(QStringLiteral("three.txt"));
    selectRows({0, 2});
    EXPECT_EQ(commands().selectedRows(), QList<int>({0, 2}));
    boxes.answers = {QMessageBox::Ok};

    action(TCommand::Delete)->trigger();

    EXPECT_EQ(boxes.texts(),
              QStringList{QStringLiteral("Are you sure you want to delete the selected file(s)?\n\n") +
                          first + "\n" + third});
    EXPECT_FALSE(QFile::exists(first));
    EXPECT_TRUE(QFile::exists(second));
    EXPECT_FALSE(QFile::exists(third));
    EXPECT_EQ(Names(window->resultList()), QStringList{second});
    EXPECT_EQ(window->resultsModel().rowCount(), 1);
    EXPECT_EQ(window->resultsModel().index(0, 0).data().toString(), second);
    EXPECT_TRUE(window->statusText().startsWith("Found 1 files, total size "))
        << window->statusText().toStdString();
}

TEST_F(ViewCommandsTest, RenameAndPropertiesTakeTheFirstSelectedRow)
{
    addFile(QStringLiteral("one.txt"));
    const QString second = addFile(QStringLiteral("two.txt"));
    selectRows({1});
    commands().fileOperations().setNameRequester([](QWidget*, const QString& current, QString& newName) {
        newName = QStringLiteral("renamed-") + current;
        return true;
    });

    action(TCommand::Rename)->trigger();

    const QString renamed = files.file(QStringLiteral("renamed-two.txt"));
    EXPECT_FALSE(QFile::exists(second));
    EXPECT_TRUE(QFile::exists(renamed));
    EXPECT_EQ(window->resultList().at(1).FileName, renamed);

    QStringList shown;
    commands().setDialogRunner([&](QDialog& dialog) {
        if (qobject_cast<TFilePropertiesDialog*>(&dialog))
            shown.append(dialog.windowTitle());
    });
    selectRows({1});
    action(TCommand::Properties)->trigger();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains(QStringLiteral("renamed-two.txt")));
    EXPECT_TRUE(boxes.shown.isEmpty());
}

TEST_F(ViewCommandsTest, MoveTakesTheSelectedFilesAndTheirRecordsAway)
{
    const QString first = addFile(QStringLiteral("one.txt"));
    const QString second = addFile(QStringLiteral("two.txt"));
    TempDir target;
    commands().fileOperations().setFolderChooser([&](QWidget*, const QString&) { return target.path(); });
    selectRows({1});

    action(TCommand::Copy)->trigger();
    EXPECT_TRUE(QFile::exists(target.file(QStringLiteral("two.txt"))));
    EXPECT_TRUE(QFile::exists(second));
    EXPECT_EQ(window->resultList().size(), 2);
    EXPECT_EQ(window->settings().Settings.InitialDir, target.path());

    QFile::remove(target.file(QStringLiteral("two.txt")));
    selectRows({0, 1});
    action(TCommand::Move)->trigger();
    EXPECT_TRUE(QFile::exists(target.file(QStringLiteral("one.txt"))));
    EXPECT_TRUE(QFile::exists(target.file(QStringLiteral("two.txt"))));
    EXPECT_TRUE(window->resultList().isEmpty());
    EXPECT_EQ(window->resultsModel().rowCount(), 0);
    EXPECT_TRUE(boxes.shown.isEmpty());
}

TEST_F(ViewCommandsTest, NetworkDriveCommandsOpenTheShareOrExplain)
{
    addRecord(QStringLiteral("\\\\PC1\\docs\\reports\\a.txt"));
    QList<QUrl> opened;
    commands().fileOperations().setUrlOpener([&](const QUrl& url) {
        opened.append(url);
        return true;
    });
    selectRows({0});

    action(TCommand::MapDriveForFile)->trigger();
    EXPECT_EQ(opened, QList<QUrl>{QUrl(QStringLiteral("smb://PC1/docs"))});

    action(TCommand::MapDrive)->trigger();
    action(TCommand::UnmapDrive)->trigger();
    ASSERT_EQ(boxes.shown.size(), 2);
    EXPECT_TRUE(boxes.shown[0].text.contains(QStringLiteral("smb://HOST/share")));
    EXPECT_TRUE(boxes.shown[1].text.contains(QStringLiteral("connects no drive letters")));
    EXPECT_EQ(opened.size(), 1);
    EXPECT_TRUE(prompts.infos.isEmpty());
}

} // namespace
