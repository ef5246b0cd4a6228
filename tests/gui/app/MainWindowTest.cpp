#include "app/ResultsExports.h"
#include "app/ResultsModel.h"
#include "app/ResultsView.h"
#include "app/SearchControl.h"
#include "dialogs/FindDialog.h"
#include "engine/SearchSession.h"
#include "files/IniFile.h"
#include "store/Settings.h"
#include "support/MainWindowFixture.h"
#include "support/QStringPrinter.h"
#include "support/ShotFiles.h"
#include "widgets/FileDialogs.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QTest>
#include <QToolBar>

namespace {

class MainWindowTest : public MainWindowFixture {
protected:
    void fillList(const std::vector<TItemRecord>& hits) { window->resultsModel().appendHits(hits); }
};

TEST_F(MainWindowTest, CaptionPanelsAndTheContentBarFollowTheSettings)
{
    EXPECT_EQ(window->windowTitle(), "Kestrova [PORTABLE BUILD]");
    EXPECT_EQ(window->statusText(), "Ready");
    EXPECT_EQ(window->panelText(0), "Status");
    EXPECT_EQ(window->panelText(2), "Scope");
    EXPECT_EQ(window->panelText(3), "Entire Network");
    EXPECT_EQ(window->panelText(4), "Threads");
    EXPECT_TRUE(window->contentToolBar()->isHidden());
    EXPECT_EQ(window->maskBox()->maxVisibleItems(), 10);
    EXPECT_TRUE(window->maskBox()->isEditable());
    EXPECT_EQ(window->action(TCommand::Export)->statusTip(), "Export to CSV, XML or HTML");
}

TEST_F(MainWindowTest, TheScopePanelShowsTheListedComputersOrRangesThatAreSearched)
{
    window->settings().Settings.SearchMethod = TSearchType::SpecifiedComputers;
    window->settings().Settings.ResList = {"\\\\PC1", "\\\\PC 2"};
    window->applyViewSettings();
    EXPECT_EQ(window->panelText(3), "\\\\PC1, \\\\PC 2");

    // A scope set without the dialogs (the command line's "/range:") shows once the search starts.
    window->settings().Settings.SearchMethod = TSearchType::IpAddressRange;
    window->settings().Settings.ResList = {"127.0.0.2 - 127.0.0.9"};
    engine->hits = ShareHits(1);
    typeAndEnter(window->maskBox(), "*.txt");
    EXPECT_EQ(window->panelText(3), "127.0.0.2 - 127.0.0.9");
    ASSERT_TRUE(processUntil([&] { return !window->searchControl().running(); }));
    EXPECT_EQ(window->panelText(3), "127.0.0.2 - 127.0.0.9");
}

TEST_F(MainWindowTest, TheStopButtonShowsAFilledStopSign)
{
    engine->hits = ShareHits(1);
    engine->holdAfterHits = true;
    typeAndEnter(window->maskBox(), "*.txt");
    ASSERT_TRUE(window->searchControl().running());
    const QImage image = window->action(TCommand::Search)->icon().pixmap(22, 22).toImage();
    ASSERT_FALSE(image.isNull());
    // Filled, not an outline: the middle is as red and opaque as the edge of the sign.
    const QColor middle = image.pixelColor(11, 11);
    EXPECT_EQ(middle.alpha(), 255);
    EXPECT_GT(middle.red(), 150);
    EXPECT_LT(middle.green(), 100);
    engine->requestStop();
    ASSERT_TRUE(processUntil([&] { return !window->searchControl().running(); }));
}

TEST_F(MainWindowTest, StatusPanelsDoNotOverlapInANarrowWindow)
{
    window->settings().Settings.SearchMethod = TSearchType::SpecifiedComputers;
    window->settings().Settings.ResList = {"\\\\FILESERVER-NORTH", "\\\\FILESERVER-SOUTH", "\\\\ARCHIVE"};
    window->applyViewSettings();
    window->setStatusText("Computer \\\\FILESERVER-NORTH enqueued. A long status line that needs room.");
    window->show();
    window->resize(420, 300);
    processUntil([] { return false; }, 100);
    QList<QRect> panels;
    for (int panel = 0; panel < 6; ++panel) {
        auto* label = window->findChild<QLabel*>(QStringLiteral("StatusPanel%1").arg(panel));
        ASSERT_NE(label, nullptr);
        EXPECT_TRUE(label->isVisible()) << panel;
        panels.append(label->geometry());
    }
    for (int a = 0; a < 6; ++a)
        for (int b = a + 1; b < 6; ++b)
            EXPECT_FALSE(panels[a].intersects(panels[b])) << a << " and " << b;
    EXPECT_LE(panels[5].right(), window->width());
    EXPECT_EQ(window->panelText(3), "\\\\FILESERVER-NORTH, \\\\FILESERVER-SOUTH, \\\\ARCHIVE");

    // After a search of the listed computers (the picture for the record).
    window->settings().Settings.CompleteMessage = false;
    engine->hits = ShareHits(3);
    typeAndEnter(window->maskBox(), "*.txt");
    ASSERT_TRUE(processUntil([&] { return !window->searchControl().running(); }));
    window->resize(900, 300);
    processUntil([] { return false; }, 100);
    EXPECT_EQ(window->panelText(3), "\\\\FILESERVER-NORTH, \\\\FILESERVER-SOUTH, \\\\ARCHIVE");
    SaveShotIfAsked(window.get(), "gui15-statusbar");
}

TEST_F(MainWindowTest, CommandsFollowTheirRulesAsTheStateChanges)
{
    window->updateCommandAvailability();
    EXPECT_FALSE(window->action(TCommand::SaveResults)->isEnabled());
    EXPECT_FALSE(window->action(TCommand::Find)->isEnabled());
    EXPECT_TRUE(window->action(TCommand::LoadResults)->isEnabled());
    EXPECT_FALSE(window->action(TCommand::Open)->isEnabled());

    engine->hits = ShareHits(1);
    engine->holdAfterHits = true;
    typeAndEnter(window->maskBox(), "*.txt");
    ASSERT_TRUE(processUntil([&] { return window->resultsModel().rowCount() == 1; }));
    window->updateCommandAvailability();
    EXPECT_FALSE(window->action(TCommand::LoadResults)->isEnabled());
    EXPECT_FALSE(window->action(TCommand::SaveResults)->isEnabled());
    EXPECT_FALSE(window->action(TCommand::SearchScope)->isEnabled());
    EXPECT_TRUE(window->action(TCommand::Find)->isEnabled());
    EXPECT_TRUE(window->action(TCommand::Config)->isEnabled());

    engine->requestStop();
    ASSERT_TRUE(processUntil([&] { return !window->searchControl().running(); }));
    // Nobody calls the check here: the idle timer must pick the change up.
    EXPECT_TRUE(processUntil([&] { return window->action(TCommand::SaveResults)->isEnabled(); }, 2000));

    window->resultsModel().appendHits({MakeItemRecord("ftp://10.0.0.5/pub/a.txt", 0, -1, 0, 1)});
    window->resultsView()->selectRow(1);
    window->updateCommandAvailability();
    EXPECT_TRUE(window->action(TCommand::Open)->isEnabled());
    EXPECT_TRUE(window->action(TCommand::CopyFileName)->isEnabled());
    EXPECT_FALSE(window->action(TCommand::Delete)->isEnabled());
    window->resultsView()->selectRow(0);
    window->updateCommandAvailability();
    EXPECT_TRUE(window->action(TCommand::Delete)->isEnabled());
}

TEST_F(MainWindowTest, ClosingDuringASearchAsksAndCancelKeepsItRunning)
{
    engine->hits = ShareHits(1);
    engine->holdAfterHits = true;
    window->show();
    typeAndEnter(window->maskBox(), "*.txt");
    ASSERT_TRUE(window->searchControl().running());
    ASSERT_TRUE(processUntil([&] { return window->resultList().size() == 1; }));

    prompts.answers = {false};
    EXPECT_FALSE(window->close());
    EXPECT_EQ(prompts.questions, QStringList({"Searching... Exit now?"}));
    EXPECT_TRUE(window->searchControl().running());
    EXPECT_FALSE(window->searchControl().session()->StopRequested());

    // OK stops the search; the window closes by itself once the engine has ended,
    // without running events inside the close.
    prompts.answers = {true};
    bool closingSeen = false;
    QObject::connect(window.get(), &TMainWindow::closing, [&] { closingSeen = true; });
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->searchControl().session()->StopRequested());
    EXPECT_EQ(window->statusText(), "Shutting down...");
    EXPECT_FALSE(closingSeen);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->close()); // asked once only
    EXPECT_EQ(prompts.questions.size(), 2);
    ASSERT_TRUE(processUntil([&] { return closingSeen; }));
    EXPECT_FALSE(window->searchControl().running());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->resultList().size(), 1);
}

TEST_F(MainWindowTest, ExitNowDuringASearchQuitsWithoutTheCompletionMessage)
{
    engine->hits = ShareHits(1);
    engine->holdAfterHits = true;
    window->show();
    typeAndEnter(window->maskBox(), "*.txt");
    ASSERT_TRUE(processUntil([&] { return window->resultList().size() == 1; }));
    bool closingSeen = false;
    QObject::connect(window.get(), &TMainWindow::closing, [&] { closingSeen = true; });
    prompts.answers = {true};
    window->close();
    ASSERT_TRUE(processUntil([&] { return closingSeen; }));
    EXPECT_TRUE(prompts.infos.isEmpty()) << prompts.infos.join('|').toStdString();
}

TEST_F(MainWindowTest, AWindowThatWasNeverShownStillClosesAndSaysSo)
{
    // The `close` switch of a hidden run closes a window that was never shown.
    bool closingSeen = false;
    QObject::connect(window.get(), &TMainWindow::closing, [&] { closingSeen = true; });
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(closingSeen);
}

TEST_F(MainWindowTest, MinimisingWithoutANotificationAreaTakesTheNormalPath)
{
    window->settings().Settings.MinToTray = true;
    window->show();
    window->showMinimized();
    processUntil([] { return false; }, 100);
    EXPECT_FALSE(window->trayIconVisible()); // offscreen has no notification area
    EXPECT_TRUE(window->isVisible());
    window->restoreFromTray();
    EXPECT_FALSE(window->isMinimized());
}

TEST_F(MainWindowTest, SettingsAreSavedAtDestructionAndReadAtCreation)
{
    engine->hits = ShareHits(1);
    window->settings().Settings.CompleteMessage = false;
    typeAndEnter(window->maskBox(), "*.doc, *.xls");
    ASSERT_TRUE(processUntil([&] { return !window->searchControl().running(); }));
    typeAndEnter(window->maskBox(), "*.txt");
    ASSERT_TRUE(processUntil([&] { return !window->searchControl().running(); }));
    window->action(TCommand::AutoCheckEnabled)->setChecked(true);
    window->setGeometry(40, 50, 700, 480);
    destroyWindow();

    const TIniFile ini(settingsPath);
    EXPECT_EQ(ini.ReadString("Lists", "History", ""), "*.txt,~*.doc, *.xls~");
    EXPECT_EQ(ini.ReadInteger("View", "Width", 0), 700);
    EXPECT_EQ(ini.ReadInteger("Misc", "CompleteMessage", 1), 0);
    EXPECT_EQ(ini.ReadInteger("AutoUpdate", "AutoCheckEnabled", 0), 1);

    createWindow();
    EXPECT_EQ(window->searchControl().maskHistory(), QStringList({"*.txt", "*.doc, *.xls"}));
    EXPECT_TRUE(window->action(TCommand::AutoCheckEnabled)->isChecked());
    EXPECT_EQ(window->Bounds().Width, 700);
    EXPECT_FALSE(window->settings().Settings.CompleteMessage);
}

TEST_F(MainWindowTest, ADamagedSettingsFolderIsReportedAndTheWindowStillOpens)
{
    destroyWindow();
    settingsPath = folder.file("settings-is-a-folder");
    QDir().mkpath(settingsPath);
    createWindow();
    EXPECT_EQ(window->statusText(), "Ready");
    EXPECT_FALSE(prompts.errors.isEmpty());
}

TEST_F(MainWindowTest, FindSelectsTheNextMatchAndReportsTheEnd)
{
    fillList({MakeItemRecord("\\\\PC1\\s\\a.txt", 0, -1, 0, 1),
              MakeItemRecord("\\\\PC2\\Reports\\b.txt", 0, -1, 0, 1),
              MakeItemRecord("\\\\PC3\\reports\\c.txt", 0, -1, 0, 1)});
    TResultsView* view = window->resultsView();
    window->action(TCommand::Find)->setEnabled(true);
    window->action(TCommand::Find)->trigger();
    ASSERT_NE(view->findDialog(), nullptr);
    EXPECT_TRUE(view->findDialog()->isVisible());

    view->findDialog()->setText("REPORTS");
    Q_EMIT view->findDialog()->findNext(view->findDialog()->text());
    EXPECT_EQ(view->firstSelectedRow(), 1);
    Q_EMIT view->findDialog()->findNext(view->findDialog()->text());
    EXPECT_EQ(view->firstSelectedRow(), 2);
    EXPECT_TRUE(view->isRowSelected(2));
    EXPECT_FALSE(view->isRowSelected(1));
    Q_EMIT view->findDialog()->findNext(view->findDialog()->text());
    Q_EMIT view->findDialog()->findNext(view->findDialog()->text());
    EXPECT_EQ(prompts.infos, QStringList({"Text not found", "Text not found"}));
    EXPECT_EQ(view->findPosition(), 2);

    view->showFindDialog(); // opening again starts from the top
    EXPECT_EQ(view->findNext("reports"), 1);
}

TEST_F(MainWindowTest, HeaderClicksSortTheListAndAnEmptyListKeepsTheState)
{
    TResultsView* view = window->resultsView();
    view->horizontalHeader()->sectionClicked(2);
    EXPECT_EQ(view->sortTag(), 0);

    fillList({MakeItemRecord("\\\\H\\s\\big", 0, -1, 0, 500), MakeItemRecord("\\\\H\\s\\dir", 0x10, -1, 0, 0),
              MakeItemRecord("\\\\H\\s\\small", 0, -1, 0, 5)});
    view->horizontalHeader()->sectionClicked(2);
    EXPECT_EQ(view->sortTag(), 3);
    EXPECT_EQ(window->resultList().at(0).FileName, "\\\\H\\s\\dir");
    EXPECT_EQ(window->resultList().at(2).FileName, "\\\\H\\s\\big");
    view->horizontalHeader()->sectionClicked(2);
    EXPECT_EQ(view->sortTag(), -3);
    EXPECT_EQ(window->resultList().at(0).FileName, "\\\\H\\s\\big");
    EXPECT_EQ(window->resultsModel().index(0, 0).data().toString(), "big");
}

TEST_F(MainWindowTest, ANewSearchOrNewRowsTakeTheSortIndicatorAway)
{
    TResultsView* view = window->resultsView();
    QHeaderView* header = view->horizontalHeader();
    fillList(ShareHits(3));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(2) + 5, header->height() / 2));
    EXPECT_EQ(view->sortTag(), 3);
    EXPECT_TRUE(header->isSortIndicatorShown());

    fillList(ShareHits(1)); // a row at the end, out of order
    EXPECT_EQ(view->sortTag(), 0);
    EXPECT_FALSE(header->isSortIndicatorShown());

    header->sectionClicked(2);
    EXPECT_TRUE(header->isSortIndicatorShown());
    window->settings().Settings.CompleteMessage = false;
    engine->hits = ShareHits(2);
    typeAndEnter(window->maskBox(), "*.txt");
    ASSERT_TRUE(processUntil([&] { return !window->searchControl().running(); }));
    EXPECT_FALSE(header->isSortIndicatorShown());
    EXPECT_EQ(view->sortTag(), 0);
}

TEST_F(MainWindowTest, TheCopyCommandsAreCaptionedByWhatTheyCopy)
{
    TResultsView* view = window->resultsView();
    view->prepareCopyCaptions();
    EXPECT_EQ(window->action(TCommand::CopyFullName)->text(), "<empty>");
    EXPECT_EQ(window->action(TCommand::CopyFileDrive)->text(), "<empty>");

    fillList({MakeItemRecord("\\\\PC1\\docs\\Q&A\\notes.txt", 0, -1, 0, 1)});
    view->selectRow(0);
    Q_EMIT view->popupMenu()->aboutToShow();
    EXPECT_EQ(window->action(TCommand::CopyFullName)->text(), "\\\\PC1\\docs\\Q&&A\\notes.txt");
    EXPECT_EQ(window->action(TCommand::CopyFileName)->text(), "notes.txt");
    EXPECT_EQ(window->action(TCommand::CopyFilePath)->text(), "\\\\PC1\\docs\\Q&&A");
    EXPECT_EQ(window->action(TCommand::CopyFileDrive)->text(), "\\\\PC1\\docs");

    window->action(TCommand::CopyFilePath)->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "\\\\PC1\\docs\\Q&A");
    window->action(TCommand::CopyFullName)->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), "\\\\PC1\\docs\\Q&A\\notes.txt");
}

TEST_F(MainWindowTest, TheLocationColumnShowsOnlyInTheSeparateFormat)
{
    window->resize(800, 500);
    window->resultsView()->layoutColumns();
    EXPECT_FALSE(window->resultsView()->isColumnHidden(TResultsModel::LocationColumn));
    window->settings().Settings.FileNameDisplayFormat = 0;
    window->applyViewSettings();
    EXPECT_TRUE(window->resultsView()->isColumnHidden(TResultsModel::LocationColumn));
    EXPECT_GT(window->resultsView()->columnWidth(TResultsModel::FileNameColumn), 0);
}

class AnsweringDialogs : public TFileDialogs {
public:
    AnsweringDialogs() { SetFileDialogs(this); }
    ~AnsweringDialogs() override { SetFileDialogs(nullptr); }
    QString openFileName(QWidget*, const QString&, const QString& filter) override
    {
        filters.append(filter);
        return answer;
    }
    QString saveFileName(QWidget*, const QString&, const QString& filter, const QString&, int*) override
    {
        filters.append(filter);
        return answer;
    }
    QString answer;
    QStringList filters;
};

TEST_F(MainWindowTest, ProfilesCarryTheHistoriesAndBadProfilesAreReported)
{
    AnsweringDialogs dialogs;
    window->searchControl().setHistories({"*.a", "*.b"}, {"x"});
    dialogs.answer = folder.file("profile.ini");
    window->action(TCommand::SaveProfile)->trigger();
    EXPECT_EQ(dialogs.filters, QStringList({"Kestrova Profiles (*.ini)|*.ini"}));

    window->searchControl().setHistories({}, {});
    window->action(TCommand::LoadProfile)->trigger();
    EXPECT_EQ(window->searchControl().maskHistory(), QStringList({"*.a", "*.b"}));
    EXPECT_EQ(window->searchControl().textHistory(), QStringList({"x"}));
    EXPECT_TRUE(prompts.errors.isEmpty());

    dialogs.answer = folder.path(); // a folder cannot be read as a profile
    window->action(TCommand::LoadProfile)->trigger();
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].startsWith("Unable to load profile: "));
}

// The desktop folder is read from the user-dirs file below XDG_CONFIG_HOME while this lives.
class DesktopFolderOverride {
public:
    explicit DesktopFolderOverride(const TempDir& folder)
        : m_saved(qgetenv("XDG_CONFIG_HOME")), m_hadValue(qEnvironmentVariableIsSet("XDG_CONFIG_HOME"))
    {
        desktop = folder.file("home/Desktop");
        QDir().mkpath(desktop);
        QDir().mkpath(folder.file("config"));
        folder.write("config/user-dirs.dirs", "XDG_DESKTOP_DIR=\"" + desktop.toUtf8() + "\"\n");
        qputenv("XDG_CONFIG_HOME", folder.file("config").toUtf8());
    }
    ~DesktopFolderOverride()
    {
        if (m_hadValue)
            qputenv("XDG_CONFIG_HOME", m_saved);
        else
            qunsetenv("XDG_CONFIG_HOME");
    }
    QString desktop;

private:
    QByteArray m_saved;
    bool m_hadValue;
};

TEST_F(MainWindowTest, AShortcutNameThatWouldLeaveTheDesktopIsRefused)
{
    DesktopFolderOverride desktop(folder);
    fillList({MakeItemRecord("\\\\PC1\\s\\../../escape.txt", 0, -1, 0, 1),
              MakeItemRecord("\\\\PC1\\s\\report.txt", 0, -1, 0, 1)});
    window->resultsView()->selectRow(0);
    window->action(TCommand::ShortcutToDesktop)->setEnabled(true);
    window->action(TCommand::ShortcutToDesktop)->trigger();
    EXPECT_FALSE(QFile::exists(folder.file("escape.desktop")));
    EXPECT_EQ(QDir(folder.path()).entryList({"*.desktop"}), QStringList());
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].contains("escape.desktop"));

    window->resultsView()->selectRow(1);
    window->action(TCommand::ShortcutToDesktop)->trigger();
    EXPECT_TRUE(QFile::exists(desktop.desktop + "/report.desktop"));
    EXPECT_EQ(prompts.errors.size(), 1);
}

TEST_F(MainWindowTest, AProfileLoadedIntoAMaximisedWindowBringsItsBounds)
{
    AnsweringDialogs dialogs;
    dialogs.answer =
        folder.write("normal.ini", "[View]\nMaximized=0\nLeft=30\nTop=40\nWidth=640\nHeight=420\n");
    window->Maximize();
    ASSERT_TRUE(window->IsMaximized());
    window->action(TCommand::LoadProfile)->trigger();
    EXPECT_FALSE(window->IsMaximized());
    EXPECT_EQ(window->Bounds().Width, 640);
    EXPECT_EQ(window->Bounds().Height, 420);

    dialogs.answer = folder.write("maximised.ini", "[View]\nMaximized=1\n");
    window->action(TCommand::LoadProfile)->trigger();
    EXPECT_TRUE(window->IsMaximized());
    EXPECT_TRUE(prompts.errors.isEmpty());
}

TEST_F(MainWindowTest, EveryCommandOfTheTableIsWired)
{
    TResultsExports exports(*window); // the program installs these next to the window
    exports.installCommands();
    for (const TCommandSpec& spec : CommandTable()) {
        if (TMainWindow::RunsThroughHandler(spec.command)) {
            EXPECT_TRUE(window->hasCommandHandler(spec.command)) << spec.name;
        }
    }
}

} // namespace
