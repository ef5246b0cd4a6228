#include "app/MainWindow.h"

#include "app/DialogCommands.h"
#include "app/KeyCommands.h"
#include "app/ResultsFilterBox.h"
#include "app/ResultsModel.h"
#include "app/ResultsView.h"
#include "app/SearchControl.h"
#include "app/SearchEngineLink.h"
#include "app/SearchProgressPanel.h"
#include "app/ShellFunctions.h"
#include "app/ToolbarIcons.h"
#include "app/ViewCommands.h"
#include "engine/ScopeRoot.h"
#include "engine/ScopeText.h"
#include "model/Error.h"
#include "platform/FileStore.h"
#include "store/Settings.h"
#include "store/SettingsFile.h"
#include "widgets/FileDialogs.h"
#include "widgets/UserPrompts.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QStandardPaths>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QToolBar>
#include <QToolButton>

namespace {

// Exact text: the profile dialogs' filter and the captions set in this file (the
// window title with its portable mark, the status panels) are compared by the main
// window tests.
const QString kProfileFilter = QStringLiteral("Kestrova Profiles (*.ini)|*.ini");

// A search engine for windows made without one: every start is refused.
class TNoSearchEngine : public TSearchEngineLink {
public:
    std::shared_ptr<TSearchSession> start(const TThreadConfig&, std::function<void()>) override
    {
        // Exact text: compared by the search control tests.
        RaiseError(QStringLiteral("The search engine is not available"));
    }
    void requestStop() override {}
    int runningWorkers() override { return 0; }
};

TNoSearchEngine noSearchEngine;

QLabel* StatusPanel(QWidget* parent, int width, const QString& text = {},
                    Qt::Alignment alignment = Qt::AlignLeft)
{
    auto* panel = new QLabel(text, parent);
    panel->setMinimumWidth(std::max(width, panel->sizeHint().width() + 8));
    panel->setAlignment(alignment | Qt::AlignVCenter);
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    return panel;
}

QComboBox* SearchBox(QWidget* parent, const QString& name)
{
    auto* box = new QComboBox(parent);
    box->setObjectName(name);
    box->setEditable(true);
    box->setMaxVisibleItems(10);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMinimumWidth(160);
    box->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    box->setCompleter(nullptr); // the drop-down is the history; no inline completion
    return box;
}

} // namespace

TMainWindow::TMainWindow(const Options& options, QWidget* parent)
    : QMainWindow(parent), m_settingsPath(options.settingsPath),
      m_engine(options.engine ? options.engine : &noSearchEngine)
{
    setObjectName(QStringLiteral("KSVMainForm"));
    setWindowTitle(QStringLiteral("Kestrova") + QStringLiteral(" [PORTABLE BUILD]"));
    // Larger than the classic 578 x 433 so that the date column fits today's fonts;
    // the settings file keeps whatever size the user chooses.
    resize(780, 520);

    m_model = new TResultsModel(this);
    m_view = new TResultsView(*m_model, this);
    m_filterBox = new TResultsFilterBox(*m_model, *m_view, this);
    setCentralWidget(MakeResultsPane(*m_filterBox, *m_view, this));

    createActions();
    createToolBars();
    createMenus();
    createStatusBar();
    createTrayIcon();

    m_search = new TSearchControl(
        {m_maskBox, m_textBox, action(TCommand::Search)}, *m_model, *m_engine, m_settings.Settings,
        [this](const QString& text) { setStatusText(text); }, this);
    connect(m_search, &TSearchControl::started, this, [this] {
        m_model->setImageList(&m_iconCache.icons());
        updateScopePanel(); // the command line's "/range:" changes the scope without the dialogs
        updateCommandAvailability();
    });
    connect(m_search, &TSearchControl::ended, this, [this] {
        updateCommandAvailability();
        Q_EMIT searchEnded();
        // After the engine's end handler has returned.
        if (m_closeRequested)
            QMetaObject::invokeMethod(
                this, [this] { close(); }, Qt::QueuedConnection);
    });

    QHash<TCommand, QAction*> selectedCommands;
    for (const TCommandSpec& spec : CommandTable()) {
        if (spec.rule == TAvailability::Selected)
            selectedCommands.insert(spec.command, action(spec.command));
    }
    m_view->setPopupActions(selectedCommands);
    connect(m_view, &TResultsView::openRequested, this, [this] {
        if (action(TCommand::Open)->isEnabled() || m_view->firstSelectedRow() >= 0)
            runCommand(TCommand::Open);
    });
    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &TMainWindow::updateCommandAvailability);
    // Files deleted or moved away leave the list: the summary counts what is left.
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, [this] {
        if (!m_search->running())
            m_search->showResultSummary();
    });

    m_threadCounter.setInterval(1000);
    connect(&m_threadCounter, &QTimer::timeout, this, &TMainWindow::threadCounterTimer);
    m_threadCounter.start();
    // Availability follows the state when the interface is idle: a short timer catches
    // what no signal reports (a search ending, hits arriving).
    m_idleTimer.setInterval(200);
    connect(&m_idleTimer, &QTimer::timeout, this, &TMainWindow::updateCommandAvailability);
    m_idleTimer.start();
    installBuiltInCommands();
    InstallDialogCommands(*this);

    loadSettings();
    // Exact text: the status line users and the main window tests see after start.
    setStatusText(QStringLiteral("Ready"));
    try {
        ImportLegacyAccounts(m_settingsPath, m_settings);
    } catch (const std::exception& error) {
        ShowError(ExceptionMessage(error));
    }
    InstallViewCommands(*this);
    InstallKeyCommands(*this, *m_filterBox);
    statusBar()->insertPermanentWidget(2, new TSearchProgressPanel(*m_model, *m_search, this));
    updateCommandAvailability();
}

TMainWindow::~TMainWindow()
{
    m_threadCounter.stop();
    m_idleTimer.stop();
    saveSettings();
    m_model->clearItems();
}

void TMainWindow::createActions()
{
    for (const TCommandSpec& spec : CommandTable()) {
        auto* item = new QAction(spec.caption, this);
        item->setObjectName(QString::fromLatin1(spec.name));
        item->setShortcut(spec.shortcut);
        item->setToolTip(spec.hint.isEmpty() ? HintFromCaption(spec.caption) : spec.hint);
        item->setStatusTip(spec.hint);
        item->setIcon(CommandIcon(spec.iconName));
        item->setIconVisibleInMenu(false);
        item->setCheckable(spec.checkable);
        m_actions.insert(spec.command, item);
        const TCommand command = spec.command;
        if (RunsThroughHandler(command))
            connect(item, &QAction::triggered, this, [this, command] { runCommand(command); });
    }
}

void TMainWindow::createToolBars()
{
    m_commandBar = addToolBar(QStringLiteral("Commands"));
    m_commandBar->setObjectName(QStringLiteral("ToolBarCommands"));
    m_commandBar->setMovable(false);
    m_commandBar->setIconSize(QSize(22, 22));
    for (TCommand command :
         {TCommand::ClearResults, TCommand::LoadResults, TCommand::SaveResults, TCommand::Export,
          TCommand::Find, TCommand::MapDrive, TCommand::UnmapDrive, TCommand::SearchScope, TCommand::Config,
          TCommand::PasswordManagement, TCommand::Help})
        m_commandBar->addAction(action(command));

    // The two labels share one width so that both boxes start at the same left edge.
    auto* masksLabel = new QLabel(QStringLiteral("  Search files  "), this);
    auto* textsLabel = new QLabel(QStringLiteral(" With content"), this);
    const int labelWidth = std::max(masksLabel->sizeHint().width(), textsLabel->sizeHint().width());
    masksLabel->setFixedWidth(labelWidth);
    textsLabel->setFixedWidth(labelWidth);

    addToolBarBreak();
    m_searchBar = addToolBar(QStringLiteral("Search files"));
    m_searchBar->setObjectName(QStringLiteral("ToolBarSearch"));
    m_searchBar->setMovable(false);
    m_maskBox = SearchBox(this, QStringLiteral("cmbSearch"));
    masksLabel->setBuddy(m_maskBox);
    m_searchBar->addWidget(masksLabel);
    m_searchBar->addWidget(m_maskBox);
    m_startButton = new QToolButton(this);
    m_startButton->setObjectName(QStringLiteral("StartSearchToolButton"));
    m_startButton->setDefaultAction(action(TCommand::Search));
    m_startButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_searchBar->addWidget(m_startButton);

    addToolBarBreak();
    m_contentBar = addToolBar(QStringLiteral("With content"));
    m_contentBar->setObjectName(QStringLiteral("ToolBarContent"));
    m_contentBar->setMovable(false);
    m_textBox = SearchBox(this, QStringLiteral("cmbSearchText"));
    textsLabel->setBuddy(m_textBox);
    m_contentBar->addWidget(textsLabel);
    m_contentBar->addWidget(m_textBox);
    auto* optionsButton = new QToolButton(this);
    optionsButton->setDefaultAction(action(TCommand::TextSearchOptions));
    optionsButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_contentBar->addWidget(optionsButton);
    // Both buttons one width, so that the two boxes also end at the same edge; the
    // Start/Stop button keeps it whichever caption it shows.
    m_startButton->setText(QStringLiteral("Start Search"));
    const int startWidth = m_startButton->sizeHint().width();
    m_startButton->setText(QStringLiteral("Stop Search"));
    const int buttonWidth =
        std::max({startWidth, m_startButton->sizeHint().width(), optionsButton->sizeHint().width()});
    m_startButton->setText(action(TCommand::Search)->text());
    m_startButton->setFixedWidth(buttonWidth);
    optionsButton->setFixedWidth(buttonWidth);

    // Enter in either box starts a search, or stops the one that runs. The key is taken
    // before the line edit sees it: its returnPressed fires twice per key in Qt 6.4. The
    // focus stays on the editable combo box, which hands keys to its line edit by a direct
    // call that no filter on the line edit sees, so the filter sits on the box.
    for (QComboBox* box : {m_maskBox, m_textBox})
        box->installEventFilter(this);
}

void TMainWindow::createMenus()
{
    auto add = [this](QMenu* menu, TCommand command) { menu->addAction(action(command)); };
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    add(file, TCommand::ClearResults);
    add(file, TCommand::LoadResults);
    add(file, TCommand::SaveResults);
    add(file, TCommand::Search);
    QMenu* profiles = file->addMenu(QStringLiteral("&Profiles"));
    add(profiles, TCommand::LoadProfile);
    add(profiles, TCommand::SaveProfile);
    QMenu* drives = file->addMenu(QStringLiteral("Network Drive"));
    add(drives, TCommand::MapDrive);
    add(drives, TCommand::UnmapDrive);
    add(file, TCommand::CreateBatchFile);
    add(file, TCommand::Export);
    file->addSeparator();
    add(file, TCommand::Exit);

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    add(view, TCommand::ViewShowLog);
    add(view, TCommand::ViewShowThreads);
    add(view, TCommand::ViewShowHosts);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    add(edit, TCommand::Config);
    add(edit, TCommand::PasswordManagement);
    add(edit, TCommand::Find);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    add(help, TCommand::Help);
    add(help, TCommand::About);
    add(help, TCommand::Homepage);
    add(help, TCommand::Email);
    help->addSeparator();
    add(help, TCommand::AutoCheckEnabled);
    add(help, TCommand::CheckNow);
}

void TMainWindow::createStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setSizeGripEnabled(true);
    m_panels[0] = StatusPanel(this, 50, QStringLiteral("Status"));
    m_panels[1] = StatusPanel(this, 280);
    m_panels[2] = StatusPanel(this, 50, QStringLiteral("Scope"));
    m_panels[3] = StatusPanel(this, 100);
    m_panels[4] = StatusPanel(this, 50, QStringLiteral("Threads"), Qt::AlignRight);
    m_panels[5] = StatusPanel(this, 50, QStringLiteral("0"));
    // The status and the scope take what room there is and give it up in a narrow
    // window (their text cut off, whole in the tool tip) instead of pushing the
    // panels over each other.
    // The scope keeps its whole text while there is room; the status takes the rest.
    m_panels[1]->setMinimumWidth(80);
    m_panels[1]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_panels[3]->setMinimumWidth(60);
    for (int panel = 0; panel < 6; ++panel) {
        m_panels[panel]->setObjectName(QStringLiteral("StatusPanel%1").arg(panel));
        bar->addPermanentWidget(m_panels[panel], panel == 1 ? 1 : 0);
    }
    m_panels[1]->setTextInteractionFlags(Qt::NoTextInteraction);
}

void TMainWindow::createTrayIcon()
{
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return; // minimising then takes the normal path
    m_trayIcon = new QSystemTrayIcon(windowIcon(), this);
    auto* menu = new QMenu(this);
    QAction* show = menu->addAction(QStringLiteral("Show Kestrova"), this, &TMainWindow::restoreFromTray);
    menu->setDefaultAction(show);
    menu->addAction(action(TCommand::ViewShowLog));
    menu->addAction(action(TCommand::ViewShowThreads));
    m_trayIcon->setContextMenu(menu);
    m_trayIcon->setToolTip(QStringLiteral("Kestrova"));
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::DoubleClick || reason == QSystemTrayIcon::Trigger)
            restoreFromTray();
    });
}

void TMainWindow::loadSettings()
{
    try {
        LoadSettings(m_settingsPath, *this, m_settings);
    } catch (const std::exception& error) {
        // The defaults stay; the file is written anew at exit.
        ShowError(ExceptionMessage(error));
    }
    applyHistoriesFromSettings();
    action(TCommand::AutoCheckEnabled)->setChecked(m_settings.AutoUpdate.AutoCheckEnabled);
    applyViewSettings();
}

void TMainWindow::saveSettings()
{
    m_settings.Settings.History = m_search->maskHistory();
    m_settings.Settings.TextHistory = m_search->textHistory();
    m_settings.AutoUpdate.AutoCheckEnabled = action(TCommand::AutoCheckEnabled)->isChecked();
    try {
        SaveSettings(m_settingsPath, *this, m_settings);
    } catch (const std::exception& error) {
        ShowError(ExceptionMessage(error));
    }
}

void TMainWindow::applyHistoriesFromSettings()
{
    m_search->setHistories(m_settings.Settings.History, m_settings.Settings.TextHistory);
}

void TMainWindow::applyViewSettings()
{
    m_contentBar->setVisible(m_settings.Settings.EnableTextSearch);
    m_view->setDrawGrid(m_settings.Settings.DrawGrid);
    m_view->setMatchColumnShown(m_settings.Settings.SearchInsideDocuments);
    m_model->setDisplayFormats(m_settings.Settings.FileNameDisplayFormat, m_settings.Settings.DateFormat);
    m_view->layoutColumns();
    m_view->viewport()->update();
    updateScopePanel();
}

void TMainWindow::updateScopePanel()
{
    // What the next search covers: the listed computers or ranges for those search types.
    const QString scope =
        SearchScopeText(m_settings.Settings.SearchMethod, m_settings.Settings.ResList, m_scopeRoot);
    m_panels[3]->setText(scope);
    m_panels[3]->setToolTip(scope);
}

QString TMainWindow::statusText() const
{
    return m_panels[1]->text();
}

QString TMainWindow::panelText(int panel) const
{
    return panel >= 0 && panel < 6 ? m_panels[panel]->text() : QString();
}

void TMainWindow::setStatusText(const QString& text)
{
    m_panels[1]->setText(text);
    m_panels[1]->setToolTip(text);
}

void TMainWindow::updateCommandAvailability()
{
    TAvailabilityState state;
    state.searchRunning = m_search && m_search->running();
    state.dataPresent = m_model->hasItems();
    state.rowSelected = m_view->firstSelectedRow() >= 0;
    state.firstSelectedIsFtp = state.rowSelected && m_view->firstSelectedIsFtp();
    for (const TCommandSpec& spec : CommandTable())
        action(spec.command)->setEnabled(IsCommandAvailable(spec, state));
}

const TItemList& TMainWindow::resultList() const
{
    return m_model->items();
}

void TMainWindow::setCommandHandler(TCommand command, const std::function<void()>& handler)
{
    m_handlers.insert(command, handler);
}

void TMainWindow::threadCounterTimer()
{
    m_panels[5]->setText(QString::number(m_search->threadCount()));
    m_search->updateStatusFromLog();
}

void TMainWindow::installBuiltInCommands()
{
    setCommandHandler(TCommand::ClearResults, [this] {
        m_model->clearItems();
        // Exact text: compared by the search control tests.
        setStatusText(QStringLiteral("Display cleared"));
    });
    setCommandHandler(TCommand::Find, [this] { m_view->showFindDialog(); });
    setCommandHandler(TCommand::Search, [this] { m_search->execute(); });
    setCommandHandler(TCommand::LoadProfile, [this] { loadProfile(); });
    setCommandHandler(TCommand::SaveProfile, [this] { saveProfile(); });
    setCommandHandler(TCommand::Help, [this] { OpenManual(this); });
    setCommandHandler(TCommand::Homepage, [] { ShellOpen(VendorSiteUrl() + u'/'); });
    setCommandHandler(TCommand::Email, [] { ShellOpen(VendorSiteUrl() + QStringLiteral("/support/")); });
    setCommandHandler(TCommand::Exit, [this] { close(); });
    setCommandHandler(TCommand::Open, [this] { openSelected(false); });
    setCommandHandler(TCommand::OpenFolder, [this] { openSelected(true); });
    setCommandHandler(TCommand::ShortcutToDesktop, [this] { shortcutToDesktop(); });
}

bool TMainWindow::RunsThroughHandler(TCommand command)
{
    // The copy commands take the caption of the column under the mouse (the view runs
    // them); the automatic-check item is a setting toggled in place.
    switch (command) {
    case TCommand::CopyFullName:
    case TCommand::CopyFileName:
    case TCommand::CopyFilePath:
    case TCommand::CopyFileDrive:
    case TCommand::CopyUrl:
    case TCommand::AutoCheckEnabled:
        return false;
    default:
        return true;
    }
}

bool TMainWindow::hasCommandHandler(TCommand command) const
{
    return m_handlers.contains(command);
}

void TMainWindow::runCommand(TCommand command)
{
    try {
        if (const auto handler = m_handlers.constFind(command); handler != m_handlers.constEnd())
            handler.value()();
        else
            showNotAvailable(command);
    } catch (const std::exception& error) {
        ShowError(ExceptionMessage(error));
    }
    updateCommandAvailability();
}

void TMainWindow::showNotAvailable(TCommand command)
{
    ShowInfo(QStringLiteral("\"%1\" is not available yet in this version of Kestrova.")
                 .arg(HintFromCaption(CommandSpec(command).caption)));
}

void TMainWindow::loadProfile()
{
    const QString fileName = FileDialogs().openFileName(this, QStringLiteral("Load Profile"), kProfileFilter);
    if (fileName.isEmpty())
        return;
    try {
        // A maximised window keeps no bounds of its own: leave that state so that the
        // profile's bounds apply (a profile saved maximised maximises it again).
        setWindowState(windowState() & ~Qt::WindowMaximized);
        LoadProfile(fileName, *this, m_settings);
    } catch (const std::exception& error) {
        // Exact text: compared by the main window tests.
        ShowError(QStringLiteral("Unable to load profile: ") + ExceptionMessage(error));
    }
    // What was read before an error keeps its new value, so the window follows either way.
    applyHistoriesFromSettings();
    applyViewSettings();
}

void TMainWindow::saveProfile()
{
    const QString fileName = FileDialogs().saveFileName(this, QStringLiteral("Save Profile"), kProfileFilter,
                                                        QStringLiteral(".ini"));
    if (fileName.isEmpty())
        return;
    m_settings.Settings.History = m_search->maskHistory();
    m_settings.Settings.TextHistory = m_search->textHistory();
    try {
        SaveProfile(fileName, *this, m_settings);
    } catch (const std::exception& error) {
        ShowError(QStringLiteral("Unable to save profile: ") + ExceptionMessage(error));
    }
}

void TMainWindow::openSelected(bool folder)
{
    TItemRecord record;
    if (!m_view->selectedRecord(record))
        return;
    if (folder)
        ShowContainingFolder(record.FileName);
    else
        ShellOpen(record.FileName);
}

void TMainWindow::shortcutToDesktop()
{
    TItemRecord record;
    if (!m_view->selectedRecord(record))
        return;
    const QString desktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (desktop.isEmpty())
        RaiseError(QStringLiteral("There is no desktop folder"));
    const QString name = ExtractFileName(record.FileName);
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString linkName = (dot > 0 ? name.left(dot) : name) + QStringLiteral(".desktop");
    // A name from a results file may carry "/" or ".." and would point outside the desktop.
    if (!FileStorePath::IsPlainName(linkName))
        RaiseError(QStringLiteral("Cannot create a shortcut named \"%1\": the name is not a plain file name")
                       .arg(linkName));
    CreateShortcut(record.FileName, QString(), ExtractFilePath(record.FileName), desktop + u'/' + linkName);
    ShowInfo(QStringLiteral("Shortcut to \"%1\" created").arg(name));
}

void TMainWindow::minimizeToTray()
{
    if (!m_trayIcon)
        return;
    hide();
    m_trayIcon->show();
}

void TMainWindow::restoreFromTray()
{
    if (m_trayIcon)
        m_trayIcon->hide();
    showNormal();
    raise();
    activateWindow();
}

bool TMainWindow::trayIconVisible() const
{
    return m_trayIcon && m_trayIcon->isVisible();
}

void TMainWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized() && m_settings.Settings.MinToTray &&
        m_trayIcon)
        QTimer::singleShot(0, this, &TMainWindow::minimizeToTray);
}

bool TMainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && (watched == m_maskBox || watched == m_textBox)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            runCommand(TCommand::Search);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainWindow::closeEvent(QCloseEvent* event)
{
    if (m_search->running()) {
        // The engine's end needs the main thread (hit deliveries, termination
        // handlers): the close waits outside, and the end of the search closes again.
        event->ignore();
        // Exact text: the question the main window tests answer when closing.
        if (m_closeRequested || !AskOkCancel(QStringLiteral("Searching... Exit now?")))
            return;
        m_closeRequested = true;
        m_search->stopForExit();
        return;
    }
    m_closeRequested = false;
    event->accept();
    Q_EMIT closing();
}

void TMainWindow::setSearchEngine(TSearchEngineLink* engine)
{
    m_engine = engine ? engine : &noSearchEngine;
    m_search->setEngine(*m_engine);
}

bool TMainWindow::IsMaximized() const
{
    return isMaximized();
}

void TMainWindow::Maximize()
{
    setWindowState(windowState() | Qt::WindowMaximized);
}

TWindowBounds TMainWindow::Bounds() const
{
    const QRect rect = isMaximized() ? normalGeometry() : geometry();
    return {rect.x(), rect.y(), rect.width(), rect.height()};
}

void TMainWindow::SetBounds(const TWindowBounds& bounds)
{
    if (windowState() & Qt::WindowMaximized)
        return; // the normal bounds of a maximised window are the window system's
    setGeometry(bounds.Left, bounds.Top, std::max(bounds.Width, 1), std::max(bounds.Height, 1));
}

QSize TMainWindow::ScreenSize() const
{
    const QScreen* display = screen() ? screen() : QGuiApplication::primaryScreen();
    return display ? display->availableGeometry().size() : QSize(1024, 768);
}
